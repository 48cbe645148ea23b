#include "text/CodePage.h"

#include <gtest/gtest.h>

namespace {

TEST(CodePage, RoundTripOfJapaneseText) {
    const std::string utf8 = "ニュース ～ ①髙 ￥\\~";
    const auto cp932 = Utf8ToCp932(utf8);
    ASSERT_TRUE(cp932);
    EXPECT_EQ(Cp932ToUtf8(*cp932), utf8);
    EXPECT_EQ(Utf8ToCp932("ソ")->size(), 2u);
}

TEST(CodePage, InvalidBytesBecomeReplacementCharacters) {
    EXPECT_EQ(Cp932ToUtf8("a\x81<b"), "a\xEF\xBF\xBD<b");
    EXPECT_EQ(Cp932ToUtf8("x\x83"), "x\xEF\xBF\xBD");
    EXPECT_EQ(Cp932ToUtf8(std::string(5000, 'a') + "\xFF"),
              std::string(5000, 'a') + "\xEF\xBF\xBD");
}

TEST(CodePage, CharactersWithoutCodePageForm) {
    const std::pair<char32_t, bool> cases[] = {
        {U'A', true}, {U'ニ', true}, {U'\u0100', false}, {U'\U0001F600', false}, {0xD800, false},
    };
    for (const auto& [cp, ok] : cases)
        EXPECT_EQ(CanEncodeCp932(cp), ok) << static_cast<uint32_t>(cp);
    EXPECT_FALSE(Utf8ToCp932("a\xF0\x9F\x98\x80"));
    EXPECT_FALSE(Utf8ToCp932("bad \xC3"));
}

// A name must come back from code page 932 as it went in: 〜 and its kind have a code page 932
// form that comes back as another character, which would name another file.
TEST(CodePage, ExactConversionNamesTheFirstCharacterThatDoesNotComeBack) {
    const std::pair<std::string, std::string> refused[] = {
        {"お知らせ〜", "〜"},
        {"a−b", "−"},
        {"x—", "—"},
        {"‖", "‖"},
        {"¢5", "¢"},
        {"café", "é"},
        {"🍣食べたい", "🍣"},
        {"ok\xC3", ""},
        {"\xFF"
         "bad",
         ""},
    };
    for (const auto& [text, culprit] : refused) {
        std::string named = "unset";
        EXPECT_FALSE(Utf8ToCp932Exact(text, &named)) << text;
        EXPECT_EQ(named, culprit) << text;
    }
    for (const std::string text : {"", "news", "ニュース～①髙", "Проекты"})
        EXPECT_EQ(Utf8ToCp932Exact(text), Utf8ToCp932(text)) << text;
}

TEST(CodePage, ShownConversionMarksWhatItCannotShow) {
    const std::pair<std::string, std::string> cases[] = {
        {"/home/u/café/news.rdf", "/home/u/caf?/news.rdf"},
        {"〜x", "?x"},
        {"a\xFF", "a?"},
        {"ニュース", *Utf8ToCp932("ニュース")},
    };
    for (const auto& [text, shown] : cases)
        EXPECT_EQ(Utf8ToCp932Shown(text), shown) << text;
}

// Each character without a form, and each malformed byte, gives one stand-in at its place.
TEST(CodePage, ReplacingConversionListsWhatItReplaced) {
    const std::string mark = Utf8ToCp932("〓").value();
    const std::string so = Utf8ToCp932("ソ").value();
    struct TCase {
        std::string text, converted;
        std::vector<TUnheldCharacter> unheld;
    } const cases[] = {
        {"", "", {}},
        {"ソa", so + "a", {}},
        {"a😀ソ😀", "a" + mark + so + mark, {{0x1F600, 1}, {0x1F600, 5}}},
        {"é\xC3", mark + mark, {{0xE9, 0}, {0xFFFD, 2}}},
        {"\xE3\x81x\xED\xA0\x80",
         mark + mark + "x" + mark + mark + mark,
         {{0xFFFD, 0}, {0xFFFD, 2}, {0xFFFD, 5}, {0xFFFD, 7}, {0xFFFD, 9}}},
        {"\xC0\xAF", mark + mark, {{0xFFFD, 0}, {0xFFFD, 2}}},
        {"\xEF\xBF\xBD", mark, {{0xFFFD, 0}}},
    };
    for (const TCase& c : cases) {
        std::vector<TUnheldCharacter> unheld;
        EXPECT_EQ(Utf8ToCp932Replacing(c.text, mark, unheld), c.converted) << c.text;
        EXPECT_EQ(unheld, c.unheld) << c.text;
    }
}

} // namespace
