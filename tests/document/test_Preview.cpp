#include "TestSupport.h"
#include "Unprivileged.h"
#include "document/Messages.h"
#include "document/Preview.h"
#include "text/Platform.h"

#include <sys/stat.h>

using namespace testsupport;
using testsupport::NobodyId;
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

    EXPECT_EQ(WritePreviewCopy(dir_ / "missing" / "x.xml", "x").Errno(), ENOENT);
}

// Another user's file or link of the copy's name in a shared temporary folder: the copy is
// refused with its cause and the other user's name is left alone.
TEST_F(PreviewTest, AnotherUsersNameInASharedFolderIsReported) {
    if (geteuid() != 0) GTEST_SKIP() << "another user's file takes root";
    const fs::path shared = dir_ / "shared";
    const fs::path copy = shared / "news.xml";
    fs::create_directory(shared);
    ASSERT_EQ(chmod(shared.c_str(), 01777), 0);
    WriteBytes(dir_ / "theirs", "theirs");
    for (const bool link : {false, true}) {
        SCOPED_TRACE(link ? "link" : "file");
        fs::remove(copy);
        if (link)
            fs::create_symlink(dir_ / "theirs", copy);
        else
            WriteBytes(copy, "theirs");
        const std::optional<std::string> failure = RunUnprivileged(
            [&]() -> std::string {
                const TResult written = WritePreviewCopy(copy, "copy");
                return written.Errno() == EPERM ? "" : "result: " + written.Reason();
            },
            {});
        ASSERT_TRUE(failure.has_value());
        EXPECT_EQ(*failure, "");
        EXPECT_EQ(fs::is_symlink(copy), link);
        EXPECT_EQ(ReadBytes(copy), "theirs");
    }
}

TEST_F(PreviewTest, CopyGoesToTheUsersOwnRuntimeFolder) {
    fs::create_directory(dir_ / "runtime");
    fs::create_directory(dir_ / "someone's");
    WriteBytes(dir_ / "file", "");
    const bool root = geteuid() == 0; // only root can give a folder to someone else
    if (root) {
        ASSERT_EQ(chown((dir_ / "someone's").c_str(), NobodyId, NobodyId), 0);
    }
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::optional<std::string> savedValue =
        saved ? std::optional<std::string>(saved) : std::nullopt;
    const std::string temp = TempFolder();
    const std::pair<std::optional<std::string>, std::string> cases[] = {
        {std::nullopt, temp},
        {"", temp},
        {Path("runtime"), Path("runtime")},
        {Path("runtime/"), Path("runtime")},
        {Path("missing"), temp},
        {Path("file"), temp},
        {"runtime", temp}, // relative
        {Path("someone's"), root ? temp : Path("someone's")},
    };
    for (const auto& [runtime, folder] : cases) {
        if (runtime)
            setenv("XDG_RUNTIME_DIR", runtime->c_str(), 1);
        else
            unsetenv("XDG_RUNTIME_DIR");
        EXPECT_EQ(PreviewCopyFolder(), folder) << runtime.value_or("unset");
    }
    if (savedValue)
        setenv("XDG_RUNTIME_DIR", savedValue->c_str(), 1);
    else
        unsetenv("XDG_RUNTIME_DIR");
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
