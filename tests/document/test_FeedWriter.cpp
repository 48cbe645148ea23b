#include "TestSupport.h"
#include "document/FeedWriter.h"
#include "document/TableFile.h"

#include <filesystem>

using namespace testsupport;

namespace {

const TFeedTime FixedTime{2005, 4, 1, 18, 5, 9, 9 * 60};

TFeedContext Context(const std::string& feedPath = "/site/news.rdf", std::string sheet = {}) {
    return {feedPath, std::move(sheet), FixedTime, "0.93"};
}

std::string Feed(const TFeedDocument& document, const TFeedContext& context = Context()) {
    std::vector<std::string> lines;
    BuildFeed(lines, document, context);
    return JoinLines(lines);
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TFeedDocument WithTitledRows(int count) {
    TFeedDocument document;
    for (int row = 1; row <= count; ++row) {
        document.Row(row).Title = "t" + std::to_string(row);
        document.Row(row).Address = "https://a.example/" + std::to_string(row);
        document.Row(row).Date = "2005-04-" + std::to_string(10 + row);
    }
    return document;
}

TEST(FeedWriter, GoldenFeedsOfTableFiles) {
    for (const std::string name : {"empty", "escapes"}) {
        TFeedDocument document;
        ASSERT_TRUE(LoadTableFile(document, DataFile(name + ".tbl").string()));
        ExpectGolden(name + ".rdf", Cp932ToUtf8(Feed(document, Context("/site/" + name + ".rdf"))));
    }
}

TEST(FeedWriter, NewestFifteenNewestFirst) {
    TFeedDocument document = WithTitledRows(20);
    document.Row(12).Title.clear(); // skipped, does not count
    std::vector<std::string> lines;
    BuildFeed(lines, document, Context());
    std::vector<int> order;
    for (const std::string& line : lines) {
        if (line.starts_with("    <title>t")) order.push_back(std::stoi(line.substr(12)));
    }
    EXPECT_EQ(order, (std::vector<int>{20, 19, 18, 17, 16, 15, 14, 13, 11, 10, 9, 8, 7, 6, 5}));
}

// The feed's own address, with what is beyond ASCII after the host encoded as browsers send it.
TEST(FeedWriter, ChannelAddress) {
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"https://s.example/news", "/site/news.rdf",
         R"(<channel rdf:about="https://s.example/news/news.rdf">)"},
        {"https://s.example/news/", "/site/news.rdf",
         R"(<channel rdf:about="https://s.example/news/news.rdf">)"},
        {"https://s.example/a\"b&c", "/site/news.rdf",
         R"(<channel rdf:about="https://s.example/a&quot;b&amp;c/news.rdf">)"},
        {"", "/site/news.rdf", "  <channel>\r\n"},
        {Sjis("https://s.example/ソ"), "/site/news.rdf",
         R"(<channel rdf:about="https://s.example/%E3%82%BD/news.rdf">)"},
        {"https://s.example/news", "/site/お知らせ2026.rdf",
         R"(<channel rdf:about="https://s.example/news/%E3%81%8A%E7%9F%A5%E3%82%89%E3%81%9B2026.rdf">)"},
        {Sjis("https://例え.jp/a b"), "/site/news.rdf",
         Sjis(R"(<channel rdf:about="https://例え.jp/a b/news.rdf">)")},
        {Sjis("s.example/ソ?q=ソ#ソ"), "/site/news.rdf",
         R"(<channel rdf:about="s.example/%E3%82%BD?q=%E3%82%BD#%E3%82%BD/news.rdf">)"},
    };
    for (const auto& [address, feedPath, expected] : cases) {
        TFeedDocument document;
        document.Channel.FeedAddress = address;
        EXPECT_TRUE(Contains(Feed(document, Context(feedPath)), expected)) << address;
    }
}

TEST(FeedWriter, StyleSheetLine) {
    struct Case {
        std::string sheet, override, expected; // expected href, empty for no line
    } const cases[] = {
        {"feed.xsl", "", "./feed.xsl"},
        {"css/feed.xsl", "", "css/feed.xsl"},
        {"https://s.example/f.xsl", "", "https://s.example/f.xsl"},
        {"", "", ""},
        {"feed.xsl", "*", ""},
        {"feed.xsl", "file:///tmp/x.xsl", "file:///tmp/x.xsl"},
        {"a\"b.xsl", "", "./a&quot;b.xsl"},
    };
    for (const auto& c : cases) {
        TFeedDocument document;
        document.Channel.StyleSheet = c.sheet;
        const std::string feed = Feed(document, Context("/site/news.rdf", c.override));
        const std::string line = R"(<?xml-stylesheet type="text/xsl" href=")" + c.expected + "\"?>";
        EXPECT_EQ(Contains(feed, "xml-stylesheet"), !c.expected.empty()) << c.sheet << c.override;
        if (!c.expected.empty()) {
            EXPECT_TRUE(Contains(feed, line)) << line;
        }
    }
}

TEST(FeedWriter, LogoBlockOnlyWithImageAddress) {
    TFeedDocument document;
    document.Channel.LogoTitle = "logo";
    document.Channel.LogoLinkAddress = "https://s.example/";
    EXPECT_FALSE(Contains(Feed(document), "image"));
    document.Channel.LogoImageAddress = "https://s.example/l.png";
    const std::string feed = Feed(document);
    EXPECT_TRUE(Contains(feed, "    <image rdf:resource=\"https://s.example/l.png\"/>\r\n"));
    EXPECT_TRUE(Contains(feed, "  <image rdf:about=\"https://s.example/l.png\">\r\n"
                               "    <title>logo</title>\r\n"
                               "    <link>https://s.example/</link>\r\n"
                               "    <url>https://s.example/l.png</url>\r\n"
                               "  </image>\r\n"));
}

// Entries that would share an identifier are told apart in table order; others keep theirs.
TEST(FeedWriter, CollidingIdentifiersGetSuffixes) {
    using TRows = std::vector<TFeedItem>;
    struct Case {
        const char* name;
        TRows rows;                     // from row 1 down
        std::vector<std::string> about; // the feed's items, newest first
    } const cases[] = {
        {"same address and day",
         {{"a", "2005-01-01", "https://a/x", ""}, {"b", "20050101", "https://a/x", ""}},
         {"https://a/x#he20050101-2", "https://a/x#he20050101"}},
        {"letter case aside",
         {{"a", "2005-01-01", "https://A/X", ""},
          {"b", "2005-01-01", "https://a/x", ""},
          {"c", "2005-01-01", "https://a/X", ""}},
         {"https://a/X#he20050101-3", "https://a/x#he20050101-2", "https://A/X#he20050101"}},
        {"another day",
         {{"a", "2005-01-01", "https://a/x", ""}, {"b", "2005-01-02", "https://a/x", ""}},
         {"https://a/x#he20050102", "https://a/x#he20050101"}},
        {"no dates",
         {{"a", "", "https://a/x", ""}, {"b", "", "https://a/y", ""}},
         {"https://a/y#he", "https://a/x#he"}},
        {"a row without a title does not count",
         {{"", "2005-01-01", "https://a/x", ""}, {"b", "2005-01-01", "https://a/x", ""}},
         {"https://a/x#he20050101"}},
        {"bytes a reader never sees",
         {{"a", "1", "https://a/\x01x", ""}, {"b", "1", "https://a/x", ""}},
         {"https://a/x#he1-2", "https://a/x#he1"}},
    };
    for (const Case& c : cases) {
        TFeedDocument document;
        std::copy(c.rows.begin(), c.rows.end(), document.Items.begin());
        std::vector<std::string> lines;
        BuildFeed(lines, document, Context());
        std::vector<std::string> about;
        for (const std::string& line : lines)
            if (line.starts_with("  <item rdf:about=\""))
                about.push_back(line.substr(19, line.size() - 21));
        EXPECT_EQ(about, c.about) << c.name;
    }
}

// Rows outside the newest fifteen count, so an entry leaving the feed renames nothing, and a
// later entry never renames an earlier one.
TEST(FeedWriter, IdentifiersDependOnlyOnTheRowsAbove) {
    TFeedDocument document = WithTitledRows(20);
    document.Row(1).Address = document.Row(20).Address;
    document.Row(1).Date = document.Row(20).Date;
    const std::vector<std::string> before = ItemIdentifiers(document);
    EXPECT_EQ(before[19], "https://a.example/20#he20050430-2");
    document.Row(21) = document.Row(20);
    const std::vector<std::string> after = ItemIdentifiers(document);
    EXPECT_TRUE(std::equal(before.begin(), before.begin() + 20, after.begin()));
    EXPECT_EQ(after[20], "https://a.example/20#he20050430-3");
}

TEST(FeedWriter, ChannelDateCarriesTheRealOffset) {
    const std::pair<TFeedTime, std::string> cases[] = {
        {FixedTime, "2005-04-01T18:05:09+09:00"},
        {{2026, 12, 7, 0, 0, 0, 0}, "2026-12-07T00:00:00+00:00"},
        {{2026, 1, 2, 3, 4, 5, -(5 * 60 + 30)}, "2026-01-02T03:04:05-05:30"},
    };
    for (const auto& [time, text] : cases)
        EXPECT_EQ(FormatChannelDate(time), text);
}

TEST(FeedWriter, EmptyVersionEndsTheGeneratorAddressInQuery) {
    TFeedDocument document;
    TFeedContext context = Context();
    context.VersionText.clear();
    EXPECT_TRUE(Contains(Feed(document, context), "generator?v=\" />"));
}

class FeedFileNameTest : public TTempFolderTest {};

TEST_F(FeedFileNameTest, DerivedFromTableFileAndSaveFolder) {
    std::filesystem::create_directory(dir_ / "Out");
    std::filesystem::create_directory(dir_ / "出力");
    const std::string folder = Path("");
    struct Case {
        std::string fileName, saveFolder;
        int extension;
        std::string expected;
    } const cases[] = {
        {"/Site/News.tbl", "", 0, "/Site/news.rdf"},
        {"/Site/News.tbl", "", 1, "/Site/news.xml"},
        {"/Site.d/News", "", 0, "/Site.d/news.rdf"},
        {"", "", 1, ".xml"},
        {"/Site/News.tbl", folder + "Out", 0, folder + "Out/news.rdf"},
        {"/Site/News.tbl", folder + "Out/", 0, folder + "Out/news.rdf"},
        {"/Site/News.tbl", folder + "Missing", 0, ""},
        // Paths are the file system's bytes: a folder code page 932 cannot hold is as good as any,
        // and only ASCII letters of the name are lowered (ス is E3 82 B9 in UTF-8, 83 58 = "X" as
        // code page 932).
        {"/Site/ニュースNEWS.tbl", "", 0, "/Site/ニュースnews.rdf"},
        {"/café/Проекты/N.tbl", "", 0, "/café/Проекты/n.rdf"},
        {"/Site/News.tbl", Sjis((folder + "出力").c_str()), 1, folder + "出力/news.xml"},
    };
    for (const auto& c : cases) {
        TFeedDocument document;
        document.FileName = c.fileName;
        document.Channel.SaveFolder = c.saveFolder;
        document.Channel.ExtensionIndex = c.extension;
        EXPECT_EQ(FeedFileName(document), c.expected) << c.fileName << " " << c.saveFolder;
    }
}

} // namespace
