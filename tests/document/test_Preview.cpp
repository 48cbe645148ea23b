#include "Messages.h"
#include "Preview.h"
#include "TestSupport.h"

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

class PreviewTest : public TTempFolderTest {};

TEST_F(PreviewTest, NoticeAndStyleSheetOverride) {
    fs::create_directory(dir_ / "prog");
    fs::create_directory(dir_ / "save");
    WriteBytes(dir_ / "prog" / "feed.xsl", "");
    const std::string program = Path("prog/");
    const std::string xmlLine = "\r\n" + MsgPreviewXmlExtension();
    const std::string noSheetLine = "\r\n" + MsgPreviewNoStyleSheet();
    struct Case {
        int extension;
        std::string sheet, feedAddress, saveFolder, notice, override;
    } const cases[] = {
        {1, "", "", "", "", ""},
        {0, "", "", "", xmlLine, ""},
        {1, "feed.xsl", "https://s.example/news", "", "", "https://s.example/news/feed.xsl"},
        {1, "feed.xsl", "https://s.example/news/", "", "", "https://s.example/news/feed.xsl"},
        {1, "feed.xsl", "", "", "", "file://" + program + "feed.xsl"},
        {1, "other.xsl", "", "", noSheetLine, "*"},
        {1, "feed.xsl", "", Path("save"), noSheetLine, "*"},
        {1, "css/feed.xsl", "", "", "", ""},
        {1, "https://s.example/f.xsl", "", "", "", ""},
        {0, "other.xsl", "", "", xmlLine + noSheetLine, "*"},
    };
    for (const auto& c : cases) {
        TFeedDocument document;
        document.Channel.ExtensionIndex = c.extension;
        document.Channel.StyleSheet = c.sheet;
        document.Channel.FeedAddress = c.feedAddress;
        document.Channel.SaveFolder = c.saveFolder;
        const TPreviewPlan plan = PlanPreview(document, program);
        EXPECT_EQ(plan.Notice, c.notice) << c.sheet << " " << c.feedAddress;
        EXPECT_EQ(plan.StyleSheetOverride, c.override) << c.sheet << " " << c.feedAddress;
    }
    EXPECT_EQ(PreviewQuestion(xmlLine), MsgPreviewHeading() + "\r\n" + xmlLine);
}

TEST_F(PreviewTest, CopyName) {
    const std::pair<std::string, std::string> cases[] = {
        {"/Site/Site News.TBL", "site news.xml"},
        {"", "orvanetest.xml"},
        {"/A.B/News", "news.xml"},
        {"/x/ニュースA.tbl", "ニュースa.xml"}, // ス is 83 58 ("X") in code page 932
        {"/café/N.tbl", "n.xml"},
    };
    for (const auto& [table, name] : cases)
        EXPECT_EQ(PreviewCopyName(table), name) << table;
}

TEST_F(PreviewTest, CopyIsRewrittenAndNeverFollowsALink) {
    const fs::path copy = dir_ / "news.xml";
    ASSERT_TRUE(WritePreviewCopy(copy, "a much longer first text"));
    ASSERT_TRUE(WritePreviewCopy(copy, "second"));
    EXPECT_EQ(ReadBytes(copy), "second");

    WriteBytes(dir_ / "victim", "keep");
    fs::remove(copy);
    fs::create_symlink(dir_ / "victim", copy);
    ASSERT_TRUE(WritePreviewCopy(copy, "third"));
    EXPECT_EQ(ReadBytes(dir_ / "victim"), "keep");
    EXPECT_FALSE(fs::is_symlink(copy));
    EXPECT_EQ(ReadBytes(copy), "third");

    EXPECT_FALSE(WritePreviewCopy(dir_ / "missing" / "x.xml", "x"));
}

TEST_F(PreviewTest, ValidationAddressIsEncoded) {
    const std::string base = "https://validator.w3.org/feed/check.cgi?url=";
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"https://s.example/news", "/site/news.rdf", "https%3A%2F%2Fs.example%2Fnews%2Fnews.rdf"},
        {"https://s.example/news/", "/site/news.rdf", "https%3A%2F%2Fs.example%2Fnews%2Fnews.rdf"},
        {"https://s.example/?a=1&b=2#x", "/n.xml",
         "https%3A%2F%2Fs.example%2F%3Fa%3D1%26b%3D2%23x%2Fn.xml"},
        {Sjis("https://s.example/ニュース"), "/n.rdf",
         "https%3A%2F%2Fs.example%2F%E3%83%8B%E3%83%A5%E3%83%BC%E3%82%B9%2Fn.rdf"},
        // Unreserved characters stay, their neighbours in ASCII do not.
        {"https://s.example/~a-b_c.d", "/n.rdf", "https%3A%2F%2Fs.example%2F~a-b_c.d%2Fn.rdf"},
        {"https://s.example/}+^`,", "/n.rdf", "https%3A%2F%2Fs.example%2F%7D%2B%5E%60%2C%2Fn.rdf"},
        {"https://s.example/AZaz09@[{:", "/n.rdf",
         "https%3A%2F%2Fs.example%2FAZaz09%40%5B%7B%3A%2Fn.rdf"},
        {"https://s.example/", "/caf\xC3\xA9/\xE3\x83\x8B.rdf",
         "https%3A%2F%2Fs.example%2F%E3%83%8B.rdf"},
    };
    for (const auto& [address, feed, encoded] : cases)
        EXPECT_EQ(ValidationAddress(address, feed), base + encoded) << address;
}

} // namespace
