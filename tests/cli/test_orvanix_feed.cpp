// The command-line feed builder run as a process.

#include "ProcessRun.h"
#include "TestSupport.h"
#include "text/Version.h"

#include <array>
#include <cstdio>
#include <regex>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

class OrvanixFeedTest : public TTempFolderTest {
protected:
    // Runs in the test's own folder, so that relative names never reach the build folder.
    RunResult Run(const std::string& arguments) {
        return RunCapturing("cd " + Quoted(dir_.string()) + " && " + ORVANIX_FEED_EXE + " " +
                                arguments,
                            dir_ / "stderr.txt");
    }
    std::string Table(const std::string& name, const std::string& source = "escapes.tbl") {
        fs::copy_file(DataFile(source), dir_ / name);
        return (dir_ / name).string();
    }
    // The bundled example, which selects "rdf".
    std::string Example(const std::string& name) { return Table(name, "../../examples/news.tbl"); }
    // The feeds in the test's folder.
    std::vector<std::string> Feeds() const {
        std::vector<std::string> feeds;
        for (const auto& entry : fs::recursive_directory_iterator(dir_)) {
            const std::string extension = entry.path().extension().string();
            if (extension == ".rdf" || extension == ".xml") feeds.push_back(entry.path().string());
        }
        return feeds;
    }
    static std::string Quoted(const std::string& path) { return "'" + path + "'"; }
};

// The channel's date is the moment of the run; two runs differ in it only.
std::string WithoutChannelDate(const std::string& feed) {
    return std::regex_replace(feed, std::regex("<dc:date>[0-9T:+-]{25}</dc:date>"), "");
}

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
    EXPECT_EQ(WithoutChannelDate(ReadBytes(dir_ / "out.rdf")), WithoutChannelDate(toStdout.out));
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
        {"", 2, "no table file given"},
        {"--bogus x.tbl", 2, "unknown option '--bogus'"},
        {"--stdout -o f x.tbl", 2, "--stdout and -o"},
        {"a.tbl b.tbl", 2, "only one table file"},
        {"-o", 2, "-o needs a file name"},
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

TEST_F(OrvanixFeedTest, SameDayEntriesGetTheirOwnIdentifiers) {
    std::string bytes = ReadBytes(DataFile("escapes.tbl"));
    bytes.replace(bytes.find("2005/04/04"), 10, "2005-04-04");
    WriteBytes(dir_ / "d.tbl", bytes);
    const RunResult result = Run((dir_ / "d.tbl").string());
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err.find("警告"), std::string::npos);
    EXPECT_NE(ReadBytes(dir_ / "d.xml").find("same.html#he20050404-2"), std::string::npos);
}

// --check builds as before, then prints the findings; errors (and with --strict warnings) exit 3.
TEST_F(OrvanixFeedTest, CheckAfterTheBuild) {
    const std::string errorLines =
        "2行目: [警告] タイトルが空なので、この行はフィードに出力されません。\n"
        "3行目: [警告] タイトルにHTMLのマークアップ「<new>」があります。フィードリーダーによっては"
        "そのまま文字で表示されます。\n"
        "3行目: [警告] 説明文にHTMLのマークアップ「<b>」があります。フィードリーダーによってはその"
        "まま文字で表示されます。\n"
        "5行目: [エラー] 日付「2005/04/04」がW3Cの日付の形式(2005-04-01 など)ではありません。\n"
        "7行目: [エラー] 日付が空です。日付は任意ですが、空のままではフィードの日付が不正になり"
        "ます。\n";
    const std::string warningLines = errorLines.substr(0, errorLines.find("5行目"));
    std::string bytes = ReadBytes(DataFile("escapes.tbl"));
    WriteBytes(dir_ / "errors.tbl", bytes);
    bytes.replace(bytes.find("2005/04/04"), 10, "2005-04-06");
    bytes.replace(bytes.find("\t\thttps://site.example/nodate"), 2, "\t2005-04-07\t");
    WriteBytes(dir_ / "warnings.tbl", bytes);
    Example("clean.tbl");

    struct Case {
        std::string options, table;
        int exitCode;
        std::string findings;
    } const cases[] = {
        {"--check", "errors", 3, errorLines},
        {"--check", "warnings", 0, warningLines},
        {"--check --strict", "warnings", 3, warningLines},
        {"--strict", "warnings", 3, warningLines},
        {"--check --strict", "clean", 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options + " " + c.table);
        const std::string table = (dir_ / (c.table + ".tbl")).string();
        const std::string feed = (dir_ / c.table).string() + (c.table == "clean" ? ".rdf" : ".xml");
        fs::remove(feed);

        const RunResult saved = Run(c.options + " " + table);
        EXPECT_EQ(saved.exitCode, c.exitCode);
        EXPECT_EQ(saved.out, feed + "\n" + c.findings);
        EXPECT_TRUE(fs::exists(feed));

        const RunResult toFile =
            Run(c.options + " -o " + (dir_ / "out.rdf").string() + " " + table);
        EXPECT_EQ(toFile.exitCode, c.exitCode);
        EXPECT_EQ(toFile.out, c.findings);

        // On standard output the feed stays alone, as without the check.
        const RunResult toStdout = Run(c.options + " --stdout " + table);
        EXPECT_EQ(toStdout.exitCode, c.exitCode);
        EXPECT_EQ(toStdout.err, c.findings);
        EXPECT_EQ(WithoutChannelDate(toStdout.out),
                  WithoutChannelDate(ReadBytes(dir_ / "out.rdf")));
    }
}

// A build that fails exits 1 with or without the check.
TEST_F(OrvanixFeedTest, CheckAfterAFailedBuild) {
    std::string bytes = ReadBytes(DataFile("escapes.tbl"));
    bytes.replace(bytes.find("\r\n\r\n1\r\n"), 4, "\r\n/no/such/folder\r\n");
    WriteBytes(dir_ / "b.tbl", bytes);
    for (const std::string& table : {(dir_ / "missing.tbl").string(), (dir_ / "b.tbl").string()}) {
        const RunResult result = Run("--check " + table);
        EXPECT_EQ(result.exitCode, 1) << table;
        EXPECT_EQ(result.out, "") << table;
    }
}

} // namespace

namespace {

// Standard output that cannot be written (full, closed) fails the run, whether it carries the
// feed or the feed's path.
TEST_F(OrvanixFeedTest, StandardOutputThatCannotBeWrittenFails) {
    const std::string table = Table("s.tbl");
    for (const std::string redirection : {">/dev/full", ">&-"}) {
        for (const std::string options : {"--stdout ", "-o - ", ""}) {
            const RunResult result = Run(options + table + " " + redirection);
            EXPECT_EQ(result.exitCode, 1) << options << redirection;
            EXPECT_NE(result.err.find("標準出力に書き込むことができません。"), std::string::npos)
                << options << redirection << ": " << result.err;
        }
    }
}

// The feed never replaces the table file it is built from, whatever name leads to it.
TEST_F(OrvanixFeedTest, NeverOverwritesItsInput) {
    const std::string table = Example("news.rdf");
    const std::string original = ReadBytes(table);
    fs::create_symlink(table, dir_ / "link.rdf");
    fs::create_hard_link(table, dir_ / "hard.rdf");
    for (const std::string& arguments :
         {table, "-o " + table + " " + table, "-o " + (dir_ / "link.rdf").string() + " " + table,
          "-o " + (dir_ / "hard.rdf").string() + " " + table}) {
        const RunResult result = Run(arguments);
        EXPECT_EQ(result.exitCode, 1) << arguments;
        EXPECT_NE(result.err.find("RSSファイルがテーブルファイルそのものになってしまいます。"),
                  std::string::npos)
            << result.err;
        EXPECT_EQ(ReadBytes(table), original) << arguments;
    }
}

// Only a table file is read: anything else fails at once, says why, and writes no feed.
TEST_F(OrvanixFeedTest, RefusesWhatIsNoTableFile) {
    ASSERT_EQ(mkfifo((dir_ / "fifo.tbl").c_str(), 0644), 0);
    fs::create_directory(dir_ / "folder.tbl");
    WriteBytes(dir_ / "logo.png", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16));
    WriteBytes(dir_ / "photo.jpg", std::string("\xFF\xD8\xFF\xE0\0\x10JFIF\0", 11));
    WriteBytes(dir_ / "memo.tbl", "買い物メモ\n牛乳\n");
    WriteBytes(dir_ / "empty.tbl", "");
    const std::string notTable = "テーブルファイルではありません";
    const std::pair<std::string, std::string> cases[] = {
        {(dir_ / "fifo.tbl").string(), "通常のファイルではありません"},
        {"/dev/zero", "通常のファイルではありません"},
        {(dir_ / "folder.tbl").string(), "フォルダです。"},
        {(dir_ / "logo.png").string(), notTable},
        {(dir_ / "photo.jpg").string(), notTable},
        {(dir_ / "memo.tbl").string(), notTable},
        {(dir_ / "empty.tbl").string(), notTable},
    };
    for (const auto& [path, reason] : cases) {
        const RunResult result = Run(path);
        EXPECT_EQ(result.exitCode, 1) << path;
        EXPECT_TRUE(result.err.starts_with(
            "orvanix-feed: " + path + ": テーブルファイルを読み込むことができません。 " + reason))
            << result.err;
    }
    EXPECT_EQ(Feeds(), std::vector<std::string>());
}

// A usage error is one line saying what is wrong, then where help is; help wins over everything.
TEST_F(OrvanixFeedTest, Usage) {
    const std::string hint = "Try 'orvanix-feed --help' for more information.\n";
    const std::pair<std::string, std::string> errors[] = {
        {"", "no table file given"},
        {"-o '' x.tbl", "-o needs a file name (\"-\" for standard output)"},
        {"--stdout --stdout x.tbl", "--stdout and -o can be given only once, and not together"},
        {"-o a.rdf -o b.rdf x.tbl", "--stdout and -o can be given only once, and not together"},
        {"- ", "the table file must be named by a path (it cannot be read from standard input)"},
        {"-x.tbl", "unknown option '-x.tbl'"},
    };
    for (const auto& [arguments, what] : errors) {
        const RunResult result = Run(arguments);
        EXPECT_EQ(result.exitCode, 2) << arguments;
        EXPECT_EQ(result.err, "orvanix-feed: " + what + "\n" + hint) << arguments;
        EXPECT_EQ(result.out, "");
    }
    for (const std::string arguments :
         {"--help", "-h", "--bogus --help", "a b -h -o", "--version --help"}) {
        const RunResult result = Run(arguments);
        EXPECT_EQ(result.exitCode, 0) << arguments;
        EXPECT_TRUE(result.out.starts_with("Usage: orvanix-feed")) << arguments;
        EXPECT_EQ(result.err, "");
    }
    const RunResult version = Run("--version x.tbl");
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(std::regex_match(GetVersionText(), std::regex("[0-9]+\\.[0-9]{2}[a-z]?")));
    EXPECT_EQ(version.out, "orvanix-feed " + GetVersionText() + "\n");
}

// "--" ends the options, "-o -" is standard output, and paths are the file system's: any folder
// works, and ".." is resolved through the file system as cat resolves it.
TEST_F(OrvanixFeedTest, PathsAsTheFileSystemHasThem) {
    const std::string dashed = Table("-n.tbl");
    const RunResult ended = Run("-- " + dashed);
    EXPECT_EQ(ended.exitCode, 0) << ended.err;
    EXPECT_EQ(ended.out, (dir_ / "-n.xml").string() + "\n");

    const RunResult toStdout = Run("--stdout " + dashed);
    const RunResult dash = Run("-o - -- " + dashed);
    EXPECT_EQ(dash.exitCode, 0);
    EXPECT_EQ(WithoutChannelDate(dash.out), WithoutChannelDate(toStdout.out));
    EXPECT_FALSE(fs::exists(dir_ / "-"));

    // After "--" even "--help" is a file name.
    Table("--help");
    const RunResult helpFile = Run("-- --help");
    EXPECT_EQ(helpFile.exitCode, 0) << helpFile.err;
    EXPECT_EQ(helpFile.out, "--help.xml\n");

    fs::create_directories(dir_ / "café" / "Проекты");
    const std::string folder = Table("café/Проекты/News.tbl");
    const RunResult anyFolder = Run(Quoted(folder));
    EXPECT_EQ(anyFolder.exitCode, 0) << anyFolder.err;
    EXPECT_EQ(anyFolder.out, (dir_ / "café/Проекты/news.xml").string() + "\n");

    // link/.. is real/, not the folder that holds link.
    fs::create_directories(dir_ / "real" / "sub");
    fs::create_symlink(dir_ / "real" / "sub", dir_ / "link");
    std::string other = ReadBytes(DataFile("escapes.tbl"));
    other.replace(other.find("\r\n") + 2, 0, "OTHER");
    WriteBytes(dir_ / "real" / "t.tbl", other);
    Table("t.tbl");
    const RunResult dotDot = Run("--stdout " + (dir_ / "link" / ".." / "t.tbl").string());
    EXPECT_EQ(dotDot.exitCode, 0) << dotDot.err;
    EXPECT_NE(dotDot.out.find("<title>OTHERQ&amp;A"), std::string::npos);
}

// The table file's name ends the channel's address, so it must survive code page 932 unchanged.
TEST_F(OrvanixFeedTest, RefusesANameThatCodePage932Changes) {
    const std::string table = Table("お知らせ〜.tbl");
    for (const std::string options : {"", "--stdout ", "-o out.rdf "}) {
        const RunResult result = Run(options + Quoted(table));
        EXPECT_EQ(result.exitCode, 1) << options;
        EXPECT_NE(result.err.find("ファイル名の「〜」は「～」に変わってしまうため使用できません。"),
                  std::string::npos)
            << result.err;
        EXPECT_EQ(result.out, "");
    }
    EXPECT_EQ(Feeds(), std::vector<std::string>());
}

// Every command of the README's section on orvanix-feed works as written, in a folder that holds
// the example as news.tbl.
TEST_F(OrvanixFeedTest, ReadmeExamplesWorkAsWritten) {
    const std::string readme = ReadBytes(fs::path(ORVANIX_SOURCE_DIR) / "README.md");
    const size_t section = readme.find("## The command-line feed builder");
    ASSERT_NE(section, std::string::npos);
    const size_t sectionEnd = readme.find("\n## ", section);
    Example("news.tbl");
    int commands = 0;
    for (size_t begin = readme.find("```sh\n", section); begin < sectionEnd;
         begin = readme.find("```sh\n", begin)) {
        begin += 6;
        const size_t end = readme.find("```", begin);
        std::istringstream block(readme.substr(begin, end - begin));
        for (std::string line; std::getline(block, line);) {
            line = line.substr(0, line.find("  #"));
            const size_t program = line.find("build/bin/orvanix-feed");
            if (program != std::string::npos) line.replace(program, 22, ORVANIX_FEED_EXE);
            const std::string command = "cd " + dir_.string() + " && " + line + " >/dev/null";
            EXPECT_EQ(std::system(command.c_str()), 0) << line;
            ++commands;
        }
        begin = end + 3;
    }
    EXPECT_GE(commands, 6);
    EXPECT_TRUE(fs::exists(dir_ / "news.rdf"));
    EXPECT_TRUE(fs::exists(dir_ / "public" / "feed.rdf"));
}

} // namespace
