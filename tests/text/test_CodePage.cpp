#include "CodePage.h"
#include "Currency.h"
#include "Version.h"

#include <gtest/gtest.h>
#include <optional>

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

TEST(Currency, TextAndParsing) {
    const std::pair<int64_t, std::string> cases[] = {
        {0, "0"}, {125000, "12.5"}, {-1, "-0.0001"}, {1000000, "100"}, {-12345678, "-1234.5678"},
    };
    for (const auto& [raw, text] : cases) {
        EXPECT_EQ(CurrToStrSafe(TCurrency::FromRaw(raw)), text);
        EXPECT_EQ(StrToCurr(text), TCurrency::FromRaw(raw)) << text;
    }
    EXPECT_EQ(CurrToStrSafe(TCurrency::FromRaw(INT64_MIN)), "-922337203685477.5808");
    EXPECT_EQ(CurrToStrNZ(TCurrency()), "");
    EXPECT_EQ(StrToCurr(" 1,234.5 "), TCurrency::FromRaw(12345000));
    EXPECT_FALSE(StrToCurr("1.23456"));
    EXPECT_FALSE(StrToCurr("abc"));
    EXPECT_FALSE(StrToCurr("99999999999999999999"));
}

TEST(Currency, ParsingAtTheEndsOfTheRange) {
    const std::pair<std::string, std::optional<int64_t>> cases[] = {
        {"922337203685477.5807", INT64_MAX},      {"922337203685477.5808", std::nullopt},
        {"-922337203685477.5808", INT64_MIN},     {"-922337203685477.5809", std::nullopt},
        {"922337203685477", 9223372036854770000}, {"922337203685478", std::nullopt},
        {"2000000000000000.0000", std::nullopt}, // wraps around 2^64 while reading
        {"1844674407370955.1616", std::nullopt}, // 2^64 exactly
        {"18446744073709551616", std::nullopt},
    };
    for (const auto& [text, raw] : cases) {
        const std::optional<TCurrency> expected =
            raw ? std::optional(TCurrency::FromRaw(*raw)) : std::nullopt;
        EXPECT_EQ(StrToCurr(text), expected) << text;
    }
}

TEST(Version, TextOfFileVersion) {
    const std::pair<std::string, std::string> cases[] = {
        {"0.93.0.0", "0.93"},
        {"1.5.2.0", "1.05b"},
        {"1.0.0.0", "1.00"},
        {"2.10.1.7", "2.10a"},
        {"", ""},
    };
    for (const auto& [version, text] : cases)
        EXPECT_EQ(VersionTextOf(version), text) << version;
    // The running program's version is the project's 1.0.0.0.
    EXPECT_EQ(GetVersionText(), "1.00");
    EXPECT_EQ(GetVersionText("/bin/sh"), "");
}

} // namespace
