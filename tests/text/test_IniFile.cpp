#include "SystemCallFaults.h"
#include "TempFolder.h"
#include "Unprivileged.h"
#include "text/CodePage.h"
#include "text/IniFile.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using testsupport::RunUnprivileged;

namespace {

std::string Sjis(const char* utf8) {
    return Utf8ToCp932(utf8).value();
}

class IniFileTest : public testsupport::TTempFolderTest {
protected:
    std::string Path(const std::string& name = "orvanix.ini") const {
        return TTempFolderTest::Path(name);
    }
    static void Put(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string Get(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    TIniFile Loaded(const std::string& bytes) {
        Put(Path(), bytes);
        TIniFile ini(Path());
        EXPECT_TRUE(ini.Load().Ok());
        return ini;
    }
};

// A file as someone might edit it by hand.
std::string HandEditedFile() {
    // The last byte of "ゾ" is "]": the line "[ゾ" opens no section.
    const std::string japanese = "[" + Sjis("日本語") + "]\r\n" + Sjis("題名") + "=" +
                                 Sjis("ニュース") + "\r\n[" + Sjis("ゾ") +
                                 "\r\nAfter=still here\r\n";
    return "; kept by hand\r\n"
           "Orphan=before any section\r\n"
           "[Environ]\r\n"
           "  LastOpen = 0  \r\n"
           "; Commented=1\r\n"
           "DefFileName=/home/user/news.tbl\r\n"
           "a line without an equals sign\r\n"
           "\r\n"
           "Empty=\r\n"
           "Equation=a=b\r\n"
           "\t[ grid ]\t\n"
           "Col_0=$1F\n"
           "Col_1=abc\n"
           "Col_2=0x10\n"
           "Col_3=-12\n"
           "Col_4=12abc\n"
           "Col_5=\n"
           "Col_6=99999999999\n"
           "Col_7=$\n"
           "Col_8=0x-5\n"
           "Dup=first\n"
           "Dup=second\n"
           "Flag=2\n"
           "Flag0=0\n"
           "FlagText=yes\n" +
           japanese;
}

struct ReadCase {
    const char* name;
    std::string section;
    std::string key;
    char type; // 'S'tring, 'I'nteger, 'B'oolean
    std::string fallback;
    std::string expected;
};

// Failure messages name the case instead of dumping its bytes.
void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << c.name;
}

class IniReadTest : public IniFileTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(IniReadTest, ReadsHandEditedFile) {
    const ReadCase& c = GetParam();
    const TIniFile ini = Loaded(HandEditedFile());
    std::string actual;
    switch (c.type) {
    case 'S':
        actual = ini.ReadString(c.section, c.key, c.fallback);
        break;
    case 'I':
        actual = std::to_string(ini.ReadInteger(c.section, c.key, std::stoi(c.fallback)));
        break;
    default:
        actual = ini.ReadBool(c.section, c.key, c.fallback == "1") ? "1" : "0";
    }
    EXPECT_EQ(actual, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, IniReadTest,
    ::testing::Values(
        ReadCase{"OddCaseAndBlanks", "ENVIRON", "lastopen", 'B', "1", "0"},
        ReadCase{"CommentIsNoKey", "Environ", "; Commented", 'S', "none", "none"},
        ReadCase{"LineBeforeFirstSection", "Environ", "Orphan", 'S', "none", "none"},
        ReadCase{"Text", "environ", "DefFileName", 'S', "", "/home/user/news.tbl"},
        ReadCase{"EmptyValueIsNotMissing", "Environ", "Empty", 'S', "none", ""},
        ReadCase{"EqualsInValue", "Environ", "Equation", 'S', "", "a=b"},
        ReadCase{"MissingKey", "Environ", "Nothing", 'S', "none", "none"},
        ReadCase{"MissingSection", "Nowhere", "LastOpen", 'B', "1", "1"},
        ReadCase{"DollarHex", "Grid", "Col_0", 'I', "400", "31"},
        ReadCase{"NotANumber", "Grid", "Col_1", 'I', "90", "90"},
        ReadCase{"ZeroXHex", "Grid", "Col_2", 'I', "400", "16"},
        ReadCase{"Negative", "Grid", "Col_3", 'I', "400", "-12"},
        ReadCase{"TrailingGarbage", "Grid", "Col_4", 'I', "400", "400"},
        ReadCase{"EmptyInteger", "Grid", "Col_5", 'I', "400", "400"},
        ReadCase{"Overflow", "Grid", "Col_6", 'I', "400", "400"},
        ReadCase{"PrefixWithoutDigits", "Grid", "Col_7", 'I', "400", "400"},
        ReadCase{"SignAfterPrefix", "Grid", "Col_8", 'I', "400", "400"},
        ReadCase{"FirstOfTwoKeys", "Grid", "dup", 'S', "", "first"},
        ReadCase{"NonZeroIsTrue", "Grid", "Flag", 'B', "0", "1"},
        ReadCase{"ZeroIsFalse", "Grid", "Flag0", 'B', "1", "0"},
        ReadCase{"WordIsNoBooleanTrue", "Grid", "FlagText", 'B', "1", "1"},
        ReadCase{"JapaneseNames", Sjis("日本語"), Sjis("題名"), 'S', "", Sjis("ニュース")},
        ReadCase{"TrailByteBracketOpensNoSection", Sjis("日本語"), "After", 'S', "", "still here"}),
    [](const auto& test) { return std::string(test.param.name); });

struct LayoutCase {
    const char* name;
    std::string before;
    std::function<void(TIniFile&)> change;
    std::string after;
};

void PrintTo(const LayoutCase& c, std::ostream* os) {
    *os << c.name;
}

class IniLayoutTest : public IniFileTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(IniLayoutTest, WritesWholeFile) {
    const LayoutCase& c = GetParam();
    TIniFile ini = Loaded(c.before);
    c.change(ini);
    ASSERT_TRUE(ini.Save().Ok());
    EXPECT_EQ(Get(Path()), c.after);
    // What was written reads back to the same file.
    ASSERT_TRUE(ini.Load().Ok());
    ASSERT_TRUE(ini.Save().Ok());
    EXPECT_EQ(Get(Path()), c.after);
}

const std::string ThreeSections = "[A]\r\nk1=1\r\nk2=2\r\n\r\n"
                                  "[B]\r\n; about b\r\nx=1\r\n\r\n"
                                  "[C]\r\ny=2\r\n\r\n";

INSTANTIATE_TEST_SUITE_P(
    Changes, IniLayoutTest,
    ::testing::Values(
        LayoutCase{"NothingChangedIsByteExact",
                   "; head\r\n\r\n" + ThreeSections + "[" + Sjis("日本") + "]\r\n" + Sjis("鍵") +
                       "=" + Sjis("値ソ") + "\r\n\r\n",
                   [](TIniFile&) {},
                   "; head\r\n\r\n" + ThreeSections + "[" + Sjis("日本") + "]\r\n" + Sjis("鍵") +
                       "=" + Sjis("値ソ") + "\r\n\r\n"},
        LayoutCase{"ReplacedKeyKeepsPlaceAndSpelling", ThreeSections,
                   [](TIniFile& ini) { ini.WriteInteger("a", "K1", -5); },
                   "[A]\r\nk1=-5\r\nk2=2\r\n\r\n[B]\r\n; about b\r\nx=1\r\n\r\n"
                   "[C]\r\ny=2\r\n\r\n"},
        LayoutCase{"NewKeyAtEndOfSection", ThreeSections,
                   [](TIniFile& ini) { ini.WriteBool("B", "flag", true); },
                   "[A]\r\nk1=1\r\nk2=2\r\n\r\n[B]\r\n; about b\r\nx=1\r\nflag=1\r\n\r\n"
                   "[C]\r\ny=2\r\n\r\n"},
        LayoutCase{"NewSectionAtEndOfFile", ThreeSections,
                   [](TIniFile& ini) { ini.WriteString("D", "name", ""); },
                   ThreeSections + "[D]\r\nname=\r\n\r\n"},
        LayoutCase{"ErasedSectionWrittenAgainMovesToEnd", ThreeSections,
                   [](TIniFile& ini) {
                       ini.EraseSection("b");
                       ini.WriteBool("B", "x", false);
                   },
                   "[A]\r\nk1=1\r\nk2=2\r\n\r\n[C]\r\ny=2\r\n\r\n[B]\r\nx=0\r\n\r\n"},
        LayoutCase{"SectionsAfterAnErasedOneReadAtOnce", ThreeSections,
                   [](TIniFile& ini) {
                       ini.EraseSection("A");
                       ini.WriteString("D", "read",
                                       ini.ReadString("B", "x", "-") +
                                           ini.ReadString("C", "y", "-"));
                   },
                   "[B]\r\n; about b\r\nx=1\r\n\r\n[C]\r\ny=2\r\n\r\n[D]\r\nread=12\r\n\r\n"},
        LayoutCase{"HandEditedFileTidied",
                   "; head\r\n\r\n[ A ]\r\n  k = v \r\n\r\n\r\n; c\r\n[B]\nx=1", [](TIniFile&) {},
                   "; head\r\n\r\n[A]\r\nk=v\r\n; c\r\n\r\n[B]\r\nx=1\r\n\r\n"},
        LayoutCase{"SectionNamedTwiceIsOne", "[A]\r\nx=1\r\n[B]\r\ny=2\r\n[a]\r\nz=3\r\n",
                   [](TIniFile&) {}, "[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=2\r\n\r\n"},
        LayoutCase{"LineBreaksInValueStayOnOneLine", "",
                   [](TIniFile& ini) { ini.WriteString("A", " k ", "a\r\n[B]\nb=1 "); },
                   "[A]\r\nk=a  [B] b=1\r\n\r\n"}),
    [](const auto& test) { return std::string(test.param.name); });

struct HostileWriteCase {
    const char* name;
    std::string section, key, value;
    bool accepted;
    std::string readBack; // "none" when nothing may be read
};

class IniHostileWriteTest : public IniFileTest,
                            public ::testing::WithParamInterface<HostileWriteCase> {};

// What is accepted reads back as written, and neither it nor a refusal disturbs other settings.
TEST_P(IniHostileWriteTest, ReadsBackWhatItAccepts) {
    const HostileWriteCase& c = GetParam();
    TIniFile ini = Loaded("[Before]\r\nold=1\r\n");
    EXPECT_EQ(ini.WriteString(c.section, c.key, c.value), c.accepted);
    ini.WriteString("After", "later", "kept");
    ASSERT_TRUE(ini.Save().Ok());
    const std::string written = Get(Path());

    TIniFile reread(Path());
    ASSERT_TRUE(reread.Load().Ok());
    EXPECT_EQ(reread.ReadString(c.section, c.key, "none"), c.readBack);
    EXPECT_EQ(reread.ReadString("Before", "old", ""), "1");
    EXPECT_EQ(reread.ReadString("After", "later", ""), "kept");
    EXPECT_EQ(reread.Text(), written);
}

INSTANTIATE_TEST_SUITE_P(
    Names, IniHostileWriteTest,
    ::testing::Values(
        HostileWriteCase{"SectionEndingInLeadByte", "Main\x92", "k", "v", true, "v"},
        HostileWriteCase{"SectionEndingInLeadByteAndTab", "Ma\xE0\t", "k", "v", true, "v"},
        HostileWriteCase{"SectionWithBracketTrailByte", Sjis("ゾ"), "k", "v", true, "v"},
        HostileWriteCase{"SectionHoldingBrackets", "[x]", "k", "v", true, "v"},
        HostileWriteCase{"KeyEndingInLeadByte", "S", "k\x92", "v", true, "v"},
        HostileWriteCase{"ValueHoldingEndOfFileMark", "S", "path", "/a\x1A/b", true, "/a /b"},
        HostileWriteCase{"SectionHoldingEndOfFileMark", "S\x1A", "k", "v", true, "v"},
        HostileWriteCase{"KeyHoldingEquals", "S", "a=b", "c", false, "none"},
        HostileWriteCase{"KeyOfComment", "S", " ;k", "v", false, "none"},
        HostileWriteCase{"KeyOfHeader", "S", "[k", "]", false, "none"}),
    [](const auto& test) { return std::string(test.param.name); });

// Files as they may be found: reading, writing and reading again gives the same settings.
TEST_F(IniFileTest, ParseWriteParseIsStable) {
    const std::pair<std::string, std::string> cases[] = {
        {"[Main\x92 ]\r\nk=1\r\n", "Main\x92"},
        {"[Ma\xE0\t]\r\nk=1\r\n", "Ma\xE0"},
        {"[A]\r\nk=0\r\n[Main\x92\x1A]\r\nk=2\r\n", "A"},
        {"[x]]\r\nk=1\r\n", "x]"},
        {"[ \x81\t]\r\nk=1\r\n", "\x81"},
        {"[]\r\nk=1\r\n", ""},
    };
    for (const auto& [file, section] : cases) {
        TIniFile ini = Loaded(file);
        const std::string first = ini.Text();
        ASSERT_TRUE(ini.Save().Ok());
        ASSERT_TRUE(ini.Load().Ok());
        EXPECT_EQ(ini.Text(), first) << file;
        EXPECT_NE(ini.ReadString(section, "k", "none"), "none") << file;
    }
}

TEST_F(IniFileTest, ManySectionsAndKeys) {
    // Every name is found through the index, also after a section before it is erased.
    TIniFile ini(Path());
    for (int n = 0; n < 2000; ++n)
        ini.WriteInteger("S" + std::to_string(n), "K" + std::to_string(n % 7), n);
    ini.EraseSection("s3");
    for (int n = 0; n < 2000; ++n)
        ini.WriteInteger("Big", "key" + std::to_string(n), n);
    ASSERT_TRUE(ini.Save().Ok());
    ASSERT_TRUE(ini.Load().Ok());
    EXPECT_EQ(ini.ReadInteger("S3", "K3", -1), -1);
    EXPECT_EQ(ini.ReadInteger("s1999", "k4", -1), 1999);
    EXPECT_EQ(ini.ReadInteger("BIG", "KEY1234", -1), 1234);
    ini.WriteInteger("s4", "k4", 44);
    EXPECT_EQ(ini.ReadInteger("S4", "K4", -1), 44);
}

TEST_F(IniFileTest, FailedSaveLeavesFileAsItWas) {
    Put(Path(), "[A]\r\nx=1\r\n\r\n");
    chmod(Path().c_str(), 0444);
    TIniFile ini(Path());
    ASSERT_TRUE(ini.Load().Ok());
    ini.WriteInteger("A", "x", 2);
    EXPECT_EQ(ini.Save().Errno(), EACCES);
    EXPECT_EQ(Get(Path()), "[A]\r\nx=1\r\n\r\n");

    fs::create_directory(Path("folder"));
    EXPECT_EQ(TIniFile(Path("folder")).Save().Errno(), EISDIR);
    EXPECT_EQ(TIniFile(Path("missing/orvanix.ini")).Save().Errno(), ENOENT);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2);
}

TEST_F(IniFileTest, WriteThroughGoesToTheFileAtOnce) {
    Put(Path(), "; head\r\n[Other]\r\nkeep=1\r\n");
    TIniFile direct(Path());
    direct.SetWriteThrough(true);
    direct.WriteInteger("Sz_Form", "szLeft", 10);
    EXPECT_EQ(Get(Path()), "; head\r\n[Other]\r\nkeep=1\r\n\r\n[Sz_Form]\r\nszLeft=10\r\n\r\n");

    Put(Path(), "[Sz_Form]\r\nszLeft=20\r\n");
    EXPECT_EQ(direct.ReadInteger("Sz_Form", "szLeft", 0), 20);
    direct.EraseSection("Sz_Form");
    EXPECT_EQ(Get(Path()), "");
    EXPECT_TRUE(direct.WriteThroughError().Ok());

    TIniFile intoFolder(dir_.string());
    intoFolder.SetWriteThrough(true);
    intoFolder.WriteInteger("A", "x", 1);
    intoFolder.WriteInteger("A", "y", 1);
    EXPECT_EQ(intoFolder.WriteThroughError().Errno(), EISDIR);
}

TEST_F(IniFileTest, UnreadableFileIsNeitherReadNorOverwritten) {
    Put(Path(), "[A]\r\nx=1\r\n");
    chmod(Path().c_str(), 0200);
    const std::optional<std::string> failure = RunUnprivileged(
        [&]() -> std::string {
            TIniFile ini(Path());
            if (ini.Load().Errno() != EACCES) return "read";
            if (ini.ReadInteger("A", "x", 7) != 7) return "value taken";
            ini.SetWriteThrough(true);
            ini.WriteInteger("A", "y", 2);
            return ini.WriteThroughError().Errno() == EACCES ? "" : "written";
        },
        {dir_, Path()});
    if (!failure) GTEST_SKIP() << "cannot drop to an unprivileged user";
    EXPECT_EQ(*failure, "");
    chmod(Path().c_str(), 0600);
    EXPECT_EQ(Get(Path()), "[A]\r\nx=1\r\n");
}

// A change in write-through mode after a read that failed would write the file without the rest
// of its content: the change is given up and the failure kept.
TEST_F(IniFileTest, WriteThroughChangeAfterAFailedReadLeavesTheFile) {
    Put(Path(), "[A]\r\nx=1\r\n");
    TIniFile ini(Path());
    ini.SetWriteThrough(true);
    FailNextCall(TSystemCall::Read, EIO);
    ini.WriteInteger("A", "y", 2);
    EXPECT_TRUE(DisarmCalls());
    EXPECT_EQ(ini.WriteThroughError().Errno(), EIO);
    EXPECT_EQ(Get(Path()), "[A]\r\nx=1\r\n");
    ini.WriteInteger("A", "z", 3);
    EXPECT_EQ(ini.WriteThroughError().Errno(), EIO) << "the first failure is kept";
}

} // namespace
