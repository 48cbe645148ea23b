#include "text/S_string.h"

#include <gtest/gtest.h>

namespace {

// Katakana in code page 932. "ソ" ends in the trail byte 0x5C, the code of "\".
const std::string So = "\x83\x5C";
const std::string Nyuusu = "\x83\x6A\x83\x85\x81\x5B\x83\x58"; // ニュース
const std::string FullSpace = "\x81\x40";

struct PathCase {
    std::string in, added, removed;
};

TEST(S_string, PathDelimiters) {
    const PathCase cases[] = {
        {"", "", ""},
        {"/", "/", "/"},
        {"/site", "/site/", "/site"},
        {"/site/", "/site/", "/site"},
        {"a", "a/", "a"},
        {"/home/" + So, "/home/" + So + "/", "/home/" + So},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AddPathDelim(c.in), c.added) << c.in;
        EXPECT_EQ(DelPathDelim(c.in), c.removed) << c.in;
    }
}

TEST(S_string, ByteHelpers) {
    EXPECT_EQ(SpaceStr(3), "   ");
    EXPECT_EQ(SpaceStr(-1), "");
    EXPECT_EQ(CopyB("abcdef", 2, 3), "bcd");
    EXPECT_EQ(CopyB("abcdef", 5, 10), "ef");
    EXPECT_EQ(CopyB("abcdef", 2, 0), "");
    EXPECT_EQ(CopyFromB("abcdef", 3), "cdef");
    EXPECT_EQ(CopyFromB("abcdef", 0), "");
    EXPECT_EQ(LeftB("abc", 2), "ab");
    EXPECT_EQ(RightB("abc", 2), "bc");
    EXPECT_EQ(RightB("abc", 9), "abc");
    EXPECT_EQ(RightB("", 2), "");
    EXPECT_EQ(PosIn("abcabc", "ca"), 3);
    EXPECT_EQ(PosIn("abc", "x"), 0);
}

TEST(S_string, StrToIntLoose) {
    const std::pair<std::string, int> cases[] = {
        {"", 0},    {"12", 12},  {"-7", -7},  {"1x", 1},          {"12abc", 12},
        {"abc", 0}, {" 42", 42}, {"$1F", 31}, {"0x10", 16},       {"2005", 2005},
        {"05", 5},  {"-", 0},    {"+3", 3},   {"99999999999", 0}, {"15 10:30", 15},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(StrToIntLoose(text), value) << text;
}

TEST(S_string, TrimsKnowFullWidthSpaces) {
    EXPECT_EQ(TrimAll(FullSpace + " " + Nyuusu + FullSpace), Nyuusu);
    EXPECT_EQ(TrimAll(" \t a \r\n"), "a");
    // "ー" (0x81 0x5B) and "\x82\x40"-like pairs whose trail byte is 0x40 are not spaces.
    const std::string endsInTrail40 = "a\x82\x40";
    EXPECT_EQ(TrimRightAll(endsInTrail40), endsInTrail40);
    EXPECT_EQ(TrimRightAll("x" + FullSpace + " " + FullSpace), "x");
    EXPECT_EQ(TrimLeftAll(FullSpace + FullSpace + "y "), "y ");
    EXPECT_EQ(TrimAll(FullSpace), "");
}

TEST(S_string, CharacterHelpersOnMixedText) {
    const std::string text = "a" + Nyuusu + "b"; // aニュースb
    EXPECT_EQ(LengthC(text), 6);
    EXPECT_EQ(CopyC(text, 2, 3), "\x83\x6A\x83\x85\x81\x5B"); // ニュー
    EXPECT_EQ(CopyC(text, 5, 10), "\x83\x58"
                                  "b");
    EXPECT_EQ(CopyC(text, 7, 1), "");
    EXPECT_EQ(CopyC(text, 1, 0), "");
    EXPECT_EQ(CopyFromC(text, 6), "b");
    EXPECT_EQ(PosC(text, "b"), 6);
    EXPECT_EQ(PosC(text, ""), 0);
    // The trail byte of ソ is "\": it is never found as a character of its own.
    EXPECT_EQ(PosC(So + "\\", "\\"), 2);
    EXPECT_EQ(AnsiPosB(So + "\\", "\\"), 3);
    EXPECT_EQ(AnsiPosB(So, "\\"), 0);
    EXPECT_EQ(AnsiPosFromB(4, "a&b&c", "&"), 4);
    EXPECT_EQ(AnsiPosFromB(0, "a&b&c", "&"), 2);
    EXPECT_EQ(LengthC("\x83"), 1); // a lead byte at the end is one character
}

TEST(S_string, OrphanLeadByteDoesNotSwallowMarkup) {
    EXPECT_EQ(LengthC("\x81<"), 2);
    EXPECT_EQ(AnsiPosB("\x81<", "<"), 2);
}

TEST(S_string, SplitFields) {
    std::vector<std::string> f;
    EXPECT_EQ(SplitTabFields("x\ty\tz\tw", f, 10), 4);
    EXPECT_EQ(f[1], "x");
    EXPECT_EQ(f[4], "w");
    for (size_t i = 5; i <= 10; ++i)
        EXPECT_EQ(f[i], "");

    EXPECT_EQ(SplitTabFields("", f, 10), 1);
    EXPECT_EQ(f[1], "");
    EXPECT_EQ(SplitTabFields("a\t", f, 10), 2);
    EXPECT_EQ(f[2], "");

    // More fields than the capacity: the rest stays in the last field.
    EXPECT_EQ(SplitTabFields("1\t2\t3\t4", f, 3), 3);
    EXPECT_EQ(f[3], "3\t4");

    // Trimmed splitting drops empty fields and cuts only on character boundaries.
    EXPECT_EQ(SplitFields(" a , ," + So + ", b ", ",", true, 5, f), 3);
    EXPECT_EQ(f[1], "a");
    EXPECT_EQ(f[2], So);
    EXPECT_EQ(f[3], "b");
    EXPECT_EQ(SplitFields(So + "\\" + So, "\\", false, 5, f), 2);
    EXPECT_EQ(f[1], So);
}

TEST(S_string, FileNameParts) {
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"/site/News.tbl", "News.tbl", "/site/News.rdf"},
        {"/site.d/News", "News", "/site.d/News.rdf"},
        {"News", "News", "News.rdf"},
        {"", "", ".rdf"},
        {"/a/b.c.tbl", "b.c.tbl", "/a/b.c.rdf"},
    };
    for (const auto& [path, name, changed] : cases) {
        EXPECT_EQ(ExtractFileName(path), name) << path;
        EXPECT_EQ(ChangeFileExt(path, ".rdf"), changed) << path;
    }
}

TEST(S_string, LetterCaseKeepsDoubleByteCharacters) {
    // "\x83\x41" (ア) has the trail byte "A", "\x83\x61" (ャ) the trail byte "a"; half-width
    // katakana (0xB1) and the bytes around the letters stay as they are.
    struct Case {
        std::string in, lower, upper;
    } const cases[] = {
        {"News\x83\x41.RDF", "news\x83\x41.rdf", "NEWS\x83\x41.RDF"},
        {"yy\x83\x61mm", "yy\x83\x61mm", "YY\x83\x61MM"},
        {"@AZ[`az{", "@az[`az{", "@AZ[`AZ{"},
        {"\xB1x\xDF", "\xB1x\xDF", "\xB1X\xDF"},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LowerCaseAnsi(c.in), c.lower) << c.in;
        EXPECT_EQ(UpperCaseAnsi(c.in), c.upper) << c.in;
    }
}

TEST(S_string, LeadBytesAtTheEndsOfTheirRanges) {
    // Each byte before "A": a lead byte makes one character of the two, any other byte two.
    const std::pair<unsigned char, bool> cases[] = {
        {0x80, false}, {0x81, true}, {0x9F, true}, {0xA0, false},
        {0xDF, false}, {0xE0, true}, {0xFC, true}, {0xFD, false},
    };
    for (const auto& [byte, lead] : cases) {
        const std::string text{static_cast<char>(byte), 'A'};
        EXPECT_EQ(IsLeadByte(byte), lead) << int{byte};
        EXPECT_EQ(LengthC(text), lead ? 1 : 2) << int{byte};
        EXPECT_EQ(CharLengthAt(text, 0), lead ? 2u : 1u) << int{byte};
        // A letter taken for a trail byte never changes its case.
        EXPECT_EQ(LowerCaseAnsi(text)[1], lead ? 'A' : 'a') << int{byte};
        EXPECT_EQ(UpperCaseAnsi(std::string{static_cast<char>(byte), 'a'})[1], lead ? 'a' : 'A')
            << int{byte};
    }
}

} // namespace
