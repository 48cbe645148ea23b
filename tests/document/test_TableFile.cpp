#include "SystemCallFaults.h"
#include "TestSupport.h"
#include "document/Messages.h"
#include "document/TableFile.h"

#include <algorithm>

using namespace testsupport;

namespace {

class TableFileTest : public TTempFolderTest {
protected:
    std::string Load(const std::string& bytes, TFeedDocument& document) {
        WriteBytes(dir_ / "in.tbl", bytes);
        EXPECT_TRUE(LoadTableFile(document, Path("in.tbl")));
        return Path("in.tbl");
    }
    static std::string Header(const std::string& line10 = "0") {
        return "1.00\r\nT\r\nH\r\nD\r\nF\r\nLT\r\nLI\r\nLL\r\nS\r\n" + line10 +
               "\r\n1\r\n0\r\nX\r\n" + std::string("\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n");
    }
};

TEST_F(TableFileTest, NewDocumentMatchesGolden) {
    TFeedDocument document;
    EXPECT_EQ(TableFileText(document), ReadBytes(DataFile("empty.tbl")));
}

TEST_F(TableFileTest, RoundTripOfExampleIsByteExact) {
    const std::string original =
        ReadBytes(std::filesystem::path(ORVANIX_TEST_DATA) / "../../examples/news.tbl");
    TFeedDocument document;
    Load(original, document);
    EXPECT_EQ(document.Row(20).Title, Sjis("春の限定ブレンド「さくら」再販"));
    ASSERT_TRUE(WriteTableFile(document, Path("out.tbl")).Ok());
    EXPECT_EQ(ReadBytes(dir_ / "out.tbl"), original);
    EXPECT_EQ(document.FileName, Path("out.tbl"));
}

TEST_F(TableFileTest, RoundTripKeepsGapsAndAllFields) {
    TFeedDocument document;
    document.Channel = {"t", "h", "d", "f", "lt", "li", "ll", "/s", 1, false, true, "x.xsl"};
    document.Row(3) = {Sjis("サイトを公開しました"), "2005-04-01", "https://a/", ""};
    document.Row(50) = {"", "", "", "only description"};
    ASSERT_TRUE(WriteTableFile(document, Path("a.tbl")).Ok());
    TFeedDocument loaded;
    loaded.Modified = true;
    ASSERT_TRUE(LoadTableFile(loaded, Path("a.tbl")));
    EXPECT_EQ(TableFileText(loaded), TableFileText(document));
    EXPECT_FALSE(loaded.Modified);
    const std::string bytes = ReadBytes(dir_ / "a.tbl");
    EXPECT_NE(bytes.find(Sjis("サイトを公開しました\t2005-04-01\thttps://a/\t\r\n")),
              std::string::npos);
}

TEST_F(TableFileTest, FieldsNeverBreakTheLineStructure) {
    TFeedDocument document;
    document.Channel.Title = "a\tb\r\nc";
    document.Row(1) = {"x\ty", "d\n", "a\rb", "e"};
    ASSERT_TRUE(WriteTableFile(document, Path("b.tbl")).Ok());
    TFeedDocument loaded;
    ASSERT_TRUE(LoadTableFile(loaded, Path("b.tbl")));
    EXPECT_EQ(loaded.Channel.Title, "a b  c");
    EXPECT_EQ(loaded.Row(1).Title, "x y");
    EXPECT_EQ(loaded.Row(1).Description, "e");
    const std::string bytes = ReadBytes(dir_ / "b.tbl");
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 72);
}

TEST_F(TableFileTest, EndOfFileMarkInAnyFieldLosesNothingAfterIt) {
    // 0x1A ends the file for its reader, so every later field would be lost.
    TFeedDocument document;
    document.Channel = {"t\x1A",  "h\x1A",  "d\x1A", "f\x1A", "lt\x1A", "li\x1A",
                        "ll\x1A", "/s\x1A", 1,       false,   true,     "x\x1A"};
    for (int row = 1; row <= MaxItemRows; ++row)
        document.Row(row) = {"a\x1A", "b\x1A", "c\x1A", "\x1A" + std::to_string(row)};
    ASSERT_TRUE(WriteTableFile(document, Path("eof.tbl")));
    TFeedDocument loaded;
    ASSERT_TRUE(LoadTableFile(loaded, Path("eof.tbl")));
    EXPECT_EQ(TableFileText(loaded), TableFileText(document));
    EXPECT_EQ(loaded.Channel.Title, "t ");
    EXPECT_EQ(loaded.Row(50).Description, " 50");
    EXPECT_EQ(loaded.Channel.StyleSheet, "x ");
}

TEST_F(TableFileTest, ReaderEdgeCases) {
    TFeedDocument document;
    document.Row(40).Title = "from an earlier document";
    Load(Header() + "a\tb\r\nc\td\te\tf\tg\th\r\np\tq\tr\r\n", document);
    EXPECT_EQ(document.Row(1).Title, "a");
    EXPECT_EQ(document.Row(1).Date, "b");
    EXPECT_EQ(document.Row(1).Address, "");
    EXPECT_EQ(document.Row(2).Description, "f");
    EXPECT_EQ(document.Row(3).Address, "r");
    EXPECT_EQ(document.Row(3).Description, "");
    EXPECT_TRUE(document.Row(40).IsEmpty()); // rows the file does not reach are emptied
    EXPECT_EQ(document.Channel.StyleSheet, "X");
    EXPECT_TRUE(document.Channel.AutoDate);
    EXPECT_FALSE(document.Channel.AutoAddress);
}

// Each channel text field has a line of its own, read and written alike.
TEST_F(TableFileTest, ChannelTextFieldsKeepTheirLines) {
    const std::pair<std::string TChannelInfo::*, std::string> fields[] = {
        {&TChannelInfo::Title, "T"},
        {&TChannelInfo::HomeAddress, "H"},
        {&TChannelInfo::Description, "D"},
        {&TChannelInfo::FeedAddress, "F"},
        {&TChannelInfo::LogoTitle, "LT"},
        {&TChannelInfo::LogoImageAddress, "LI"},
        {&TChannelInfo::LogoLinkAddress, "LL"},
        {&TChannelInfo::SaveFolder, "S"},
        {&TChannelInfo::StyleSheet, "X"},
    };
    TFeedDocument read;
    Load(Header(), read);
    TFeedDocument written;
    written.Channel.AutoAddress = false;
    for (const auto& [member, text] : fields) {
        EXPECT_EQ(read.Channel.*member, text) << text;
        written.Channel.*member = text;
    }
    EXPECT_EQ(TableFileText(written).substr(0, Header().size()), Header());
}

TEST_F(TableFileTest, ExtensionLine) {
    const std::pair<std::string, int> cases[] = {{"1", 1}, {"0", 0}, {"", 0}, {"7", 0}, {"1x", 1}};
    for (const auto& [line, index] : cases) {
        TFeedDocument document;
        Load(Header(line), document);
        EXPECT_EQ(document.Channel.ExtensionIndex, index) << line;
    }
}

TEST_F(TableFileTest, LineEndsAndVersionLine) {
    TFeedDocument crlf, lf;
    Load(ReadBytes(DataFile("escapes.tbl")), crlf);
    std::string bytes = ReadBytes(DataFile("escapes.tbl"));
    std::erase(bytes, '\r');
    bytes.replace(0, 4, "9.99");
    Load(bytes, lf);
    EXPECT_EQ(TableFileText(lf), TableFileText(crlf));

    TFeedDocument loneCr;
    Load(Header() + "ti\rtle\r\n", loneCr);
    EXPECT_EQ(loneCr.Row(1).Title, "title");
}

TEST_F(TableFileTest, ShortFileReadsEmptyChannel) {
    TFeedDocument document;
    Load("1.00\r\nOnly title\r\n", document);
    EXPECT_EQ(document.Channel.Title, "Only title");
    EXPECT_EQ(document.Channel.HomeAddress, "");
    EXPECT_FALSE(document.Channel.AutoDate);
    EXPECT_EQ(document.Channel.ExtensionIndex, 0);
}

TEST_F(TableFileTest, MissingFileLeavesDocument) {
    TFeedDocument document;
    document.FileName = "/old.tbl";
    document.Channel.Title = "kept";
    document.Modified = true;
    EXPECT_FALSE(LoadTableFile(document, Path("missing.tbl")));
    EXPECT_EQ(document.FileName, "/old.tbl");
    EXPECT_EQ(document.Channel.Title, "kept");
    EXPECT_TRUE(document.Modified);
}

// A read that fails, at the start or where a short file ends, fails the load and changes nothing.
TEST_F(TableFileTest, FailingReadFailsTheLoad) {
    const struct {
        std::string bytes;
        int passes; // reads that succeed before the failing one
    } cases[] = {
        {Header(), 0},
        {"1.00\r\nOnly title\r\n", 1},
        {Header(), 1},
        {Header() + "a\tb\r\n", 1},
    };
    for (const auto& c : cases) {
        WriteBytes(dir_ / "in.tbl", c.bytes);
        TFeedDocument document;
        document.Channel.Title = "kept";
        FailNextCall(TSystemCall::Read, EIO, c.passes);
        EXPECT_EQ(LoadTableFile(document, Path("in.tbl")).Errno(), EIO) << c.bytes.size();
        EXPECT_TRUE(DisarmCalls()) << "the read never failed";
        EXPECT_EQ(document.Channel.Title, "kept");
    }
}

// The first line of a table file is a format version; a file without one is no table file, and
// reading it as one would let the next save overwrite it.
TEST_F(TableFileTest, FileThatIsNoTableFileIsRefusedAndChangesNothing) {
    const std::string png("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16);
    const std::string jpeg("\xFF\xD8\xFF\xE0\0\x10JFIF\0", 11);
    const std::string rest = Header().substr(6);
    const struct {
        std::string bytes;
        bool accepted;
    } cases[] = {
        {png, false},
        {jpeg, false},
        {"買い物メモ\n牛乳\n", false},
        {"", false},
        {"\r\n" + rest, false},
        {"1.00x\r\n" + rest, false},
        {"v1.00\r\n" + rest, false},
        {"1.\r\n" + rest, false},
        {".00\r\n" + rest, false},
        {"100\r\n" + rest, false},
        {std::string(100000, '1') + ".00\r\n" + rest, false},
        {"1.00\r\n" + rest, true},
        {"12.345\n" + rest, true},
        {"1.00", true},
        {"1.00\x1A", true},
    };
    for (const auto& c : cases) {
        WriteBytes(dir_ / "in.tbl", c.bytes);
        TFeedDocument document;
        document.FileName = "/kept.tbl";
        document.Channel.Title = "kept";
        document.Row(1).Title = "row";
        document.Modified = true;
        const std::string before = TableFileText(document);
        const TResult loaded = LoadTableFile(document, Path("in.tbl"));
        EXPECT_EQ(loaded.Ok(), c.accepted) << c.bytes.substr(0, 16);
        if (c.accepted) continue;
        EXPECT_EQ(loaded.Reason(), MsgNotTableFile());
        EXPECT_EQ(TableFileText(document), before);
        EXPECT_EQ(document.FileName, "/kept.tbl");
        EXPECT_TRUE(document.Modified);
    }
}

// Only the document's own 72 lines are read: what follows them, however much, is never read. A
// sparse file of several gigabytes would exhaust memory and time if it were.
TEST_F(TableFileTest, ReadsOnlyTheLinesOfOneDocument) {
    const std::string original =
        ReadBytes(std::filesystem::path(ORVANIX_TEST_DATA) / "../../examples/news.tbl");
    WriteBytes(dir_ / "huge.tbl", original);
    std::filesystem::resize_file(dir_ / "huge.tbl", std::uintmax_t{8} << 30);
    TFeedDocument document;
    ASSERT_TRUE(LoadTableFile(document, Path("huge.tbl")));
    EXPECT_EQ(TableFileText(document), original);
}

// Paths are the file system's bytes: a folder code page 932 cannot hold is as good as any.
TEST_F(TableFileTest, AnyFolderWorks) {
    TFeedDocument document;
    document.Row(1).Title = Sjis("開店");
    for (const std::string folder : {"café", "Проекты", "ニュース"}) {
        std::filesystem::create_directory(dir_ / folder);
        const std::string path = Path(folder + "/news.tbl");
        ASSERT_TRUE(WriteTableFile(document, path)) << folder;
        EXPECT_EQ(document.FileName, path);
        TFeedDocument loaded;
        ASSERT_TRUE(LoadTableFile(loaded, path)) << folder;
        EXPECT_EQ(loaded.FileName, path);
        EXPECT_EQ(TableFileText(loaded), TableFileText(document));
    }
}

TEST_F(TableFileTest, FailedWriteKeepsOldFileAndFileName) {
    WriteBytes(dir_ / "old.tbl", "old content");
    std::filesystem::permissions(dir_ / "old.tbl", std::filesystem::perms::owner_read);
    TFeedDocument document;
    document.FileName = "/previous.tbl";
    EXPECT_FALSE(WriteTableFile(document, Path("old.tbl")).Ok());
    EXPECT_EQ(ReadBytes(dir_ / "old.tbl"), "old content");
    EXPECT_EQ(document.FileName, "/previous.tbl");
    std::filesystem::create_directory(dir_ / "adir");
    EXPECT_FALSE(WriteTableFile(document, Path("adir")).Ok());
}

} // namespace
