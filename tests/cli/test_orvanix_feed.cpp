// The command-line feed builder run as a process.

#include "TestSupport.h"

#include <array>
#include <cstdio>
#include <sys/stat.h>
#include <sys/wait.h>

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

struct RunResult {
    int exitCode;
    std::string out, err;
};

class OrvanixFeedTest : public TempDirTest {
protected:
    RunResult Run(const std::string& arguments) {
        const fs::path errFile = dir_ / "stderr.txt";
        const std::string command =
            std::string(ORVANIX_FEED_EXE) + " " + arguments + " 2>" + errFile.string();
        FILE* pipe = popen(command.c_str(), "r");
        std::string out;
        std::array<char, 4096> buffer{};
        for (size_t n; (n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0;)
            out.append(buffer.data(), n);
        const int status = pclose(pipe);
        return {WEXITSTATUS(status), out, ReadBytes(errFile)};
    }
    std::string Table(const std::string& name, const std::string& source = "escapes.tbl") {
        fs::copy_file(DataFile(source), dir_ / name);
        return (dir_ / name).string();
    }
};

TEST_F(OrvanixFeedTest, WritesFeedWhereTheEditorWould) {
    const std::string table = Table("News.tbl");
    const RunResult result = Run(table);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, (dir_ / "news.xml").string() + "\n"); // the table selects "xml"
    const std::string feed = ReadBytes(dir_ / "news.xml");
    EXPECT_TRUE(feed.starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"));
    EXPECT_NE(feed.find("<title>Q&amp;A &lt;ニュース&gt; \"速報\"</title>"), std::string::npos);
}

TEST_F(OrvanixFeedTest, StandardOutputAndOutputFile) {
    const std::string table = Table("a.tbl");
    const RunResult toStdout = Run("--stdout " + table);
    EXPECT_EQ(toStdout.exitCode, 0);
    EXPECT_NE(toStdout.out.find("rdf:about=\"https://site.example/feeds/a.xml\""),
              std::string::npos);
    EXPECT_FALSE(fs::exists(dir_ / "a.xml"));

    const RunResult toFile = Run("-o " + (dir_ / "out.rdf").string() + " " + table);
    EXPECT_EQ(toFile.exitCode, 0);
    EXPECT_EQ(toFile.out, "");
    EXPECT_EQ(ReadBytes(dir_ / "out.rdf"), toStdout.out);
}

TEST_F(OrvanixFeedTest, UnresolvedFeedNameOnStandardOutput) {
    std::string bytes = ReadBytes(DataFile("escapes.tbl"));
    bytes.replace(bytes.find("\r\n\r\n1\r\n"), 4, "\r\n/no/such/folder\r\n");
    WriteBytes(dir_ / "b.tbl", bytes);
    const RunResult toStdout = Run("--stdout " + (dir_ / "b.tbl").string());
    EXPECT_EQ(toStdout.exitCode, 0);
    EXPECT_NE(toStdout.out.find("feeds/[ファイル名未解決]\""), std::string::npos);

    const RunResult invalid = Run((dir_ / "b.tbl").string());
    EXPECT_EQ(invalid.exitCode, 1);
    EXPECT_NE(invalid.err.find("[RSSファイルの保存先]の指定が不正です。"), std::string::npos);
    EXPECT_NE(invalid.err.find("\"/no/such/folder\""), std::string::npos);
}

TEST_F(OrvanixFeedTest, FailuresAndUsage) {
    struct Case {
        std::string arguments;
        int exitCode;
        std::string errorPart;
    } const cases[] = {
        {(dir_ / "missing.tbl").string(), 1, "テーブルファイルを読み込むことができません。"},
        {"", 2, "Usage:"},
        {"--bogus x.tbl", 2, "Usage:"},
        {"--stdout -o f x.tbl", 2, "Usage:"},
        {"a.tbl b.tbl", 2, "Usage:"},
        {"-o", 2, "Usage:"},
    };
    for (const auto& c : cases) {
        const RunResult result = Run(c.arguments);
        EXPECT_EQ(result.exitCode, c.exitCode) << c.arguments;
        EXPECT_NE(result.err.find(c.errorPart), std::string::npos)
            << c.arguments << ": " << result.err;
    }
    const RunResult help = Run("--help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.starts_with("Usage: orvanix-feed"));
}

// A feed that cannot be written fails with the file's name and the reason, and leaves what is
// there as it was.
TEST_F(OrvanixFeedTest, FeedThatCannotBeWritten) {
    const std::string table = Table("c.tbl");
    fs::create_directory(dir_ / "c.xml");
    ASSERT_EQ(mkfifo((dir_ / "fifo").c_str(), 0644), 0);
    fs::create_symlink(dir_ / "nowhere", dir_ / "dangling");
    struct Case {
        std::string output; // empty: beside the table file
        fs::path named;
        std::string reason;
    } const cases[] = {
        {"", dir_ / "c.xml", "フォルダです。ファイルではありません。"},
        {(dir_ / "missing/out.rdf").string(), dir_ / "missing/out.rdf",
         "ファイルまたはフォルダが見つかりません。"},
        {(dir_ / "fifo").string(), dir_ / "fifo", "通常のファイルではないため"},
        {(dir_ / "dangling").string(), dir_ / "dangling", "リンク先のファイルがありません。"},
    };
    for (const Case& c : cases) {
        const RunResult result = Run((c.output.empty() ? "" : "-o " + c.output + " ") + table);
        EXPECT_EQ(result.exitCode, 1) << c.named;
        EXPECT_TRUE(result.err.starts_with("orvanix-feed: " + c.named.string() +
                                           ": RSSファイルが作成できません。 " + c.reason))
            << result.err;
    }
    EXPECT_TRUE(fs::is_fifo(dir_ / "fifo"));
    EXPECT_TRUE(fs::is_symlink(dir_ / "dangling"));
    EXPECT_FALSE(fs::exists(dir_ / "nowhere"));
}

TEST_F(OrvanixFeedTest, DuplicateWarningStillSucceeds) {
    std::string bytes = ReadBytes(DataFile("escapes.tbl"));
    bytes.replace(bytes.find("2005/04/04"), 10, "2005-04-04");
    WriteBytes(dir_ / "d.tbl", bytes);
    const RunResult result = Run((dir_ / "d.tbl").string());
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.err.find("警告 > 同じ日付でアドレス項目の重複があります。"),
              std::string::npos);
    EXPECT_TRUE(fs::exists(dir_ / "d.xml"));
}

} // namespace
