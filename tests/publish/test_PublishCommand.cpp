// orvanix-feed --publish run as a process against the test's SFTP server.

#include "ProcessRun.h"
#include "PublishTestSupport.h"
#include "document/NewsPageSettings.h"

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

// What lies beside the program where the publishing module belongs.
enum class TModuleCopy { Built, Missing, Truncated, Fifo };

class TPublishCommandTest : public TPublishFixture {
protected:
    void SetUp() override {
        TPublishFixture::SetUp();
        // A copy of the program of its own, run as an installed copy: it reads the settings file
        // of the test's own configuration folder.
        fs::create_directories(dir_ / "bin");
        fs::create_directories(dir_ / "config/orvanix");
        fs::copy_file(ORVANIX_FEED_EXE, dir_ / "bin/orvanix-feed");
    }
    fs::path Module() const {
        return dir_ / "bin" / fs::path(ORVANIX_PUBLISH_MODULE_FILE).filename();
    }
    void PlaceModule(TModuleCopy copy) {
        fs::remove(Module());
        const std::string built = ReadBytes(ORVANIX_PUBLISH_MODULE_FILE);
        if (copy == TModuleCopy::Built) WriteBytes(Module(), built);
        if (copy == TModuleCopy::Truncated) WriteBytes(Module(), built.substr(0, 4096));
        if (copy == TModuleCopy::Fifo) {
            ASSERT_EQ(mkfifo(Module().c_str(), 0600), 0);
        }
    }
    // As a cron job runs it: without a desktop session, so without a keyring.
    RunResult Run(const std::string& arguments) {
        return RunCapturing("env -u DBUS_SESSION_BUS_ADDRESS -u XDG_RUNTIME_DIR XDG_CONFIG_HOME='" +
                                Path("config") + "' '" + Path("bin/orvanix-feed") + "' " +
                                arguments,
                            dir_ / "stderr.txt");
    }
    // A table file named `name` made from `source`, published with `settings`, with a news page
    // as `page` asks.
    std::string Table(const std::string& name, const fs::path& source,
                      const TPublishSettings& settings, const TNewsPageSettings& page = {}) {
        fs::copy_file(source, dir_ / name, fs::copy_options::overwrite_existing);
        TIniFile ini(Path("config/orvanix/orvanix.ini"));
        EXPECT_TRUE(ini.Load());
        WritePublishSettings(ini, Path(name), settings);
        WriteNewsPageSettings(ini, Path(name), page);
        EXPECT_TRUE(ini.Save());
        return Path(name);
    }
};

TEST_F(TPublishCommandTest, PublishesTheBuiltFeedOrSaysWhyNot) {
    TPublishSettings settings = ServerSettings(TPublishProtocol::Sftp);
    settings.Login = TSftpLogin::Keys;
    TPublishSettings missingFolder = settings;
    missingFolder.RemoteFolder = "gone";
    TPublishSettings noPassword = settings; // neither a keyring nor ~/.netrc here
    noPassword.Login = TSftpLogin::Password;
    const fs::path example = fs::path(ORVANIX_SOURCE_DIR) / "examples/news.tbl";
    const fs::path errors = DataFile("escapes.tbl"); // its check finds errors; feed errors.xml
    struct Case {
        std::string options, table;
        fs::path source;
        TPublishSettings settings; // no host: the table file has no publish settings
        int exitCode;
        std::string published; // the remote feed's name; empty: nothing may change there
        std::string errorPart;
        bool page = false; // the news page and its list go up with the feed
        TModuleCopy module = TModuleCopy::Built;
    } const cases[] = {
        {"--publish", "news.tbl", example, settings, 0, "news.rdf", ""},
        {"--check --publish", "news.tbl", example, settings, 0, "news.rdf", ""},
        {"--publish", "news.tbl", example, missingFolder, 4, "",
         "公開先のフォルダ gone がサーバーにありません"},
        {"--publish", "news.tbl", example, TPublishSettings{}, 4, "", "公開先が設定されていません"},
        {"--publish", "news.tbl", example, noPassword, 4, "",
         "cron などデスクトップのセッションの外にはキーリングがありません"},
        {"--check --publish", "errors.tbl", errors, settings, 3, "", ""},
        {"--publish", "news.tbl", example, settings, 4, "",
         Module().string() + " を読み込めません (ファイルまたはフォルダが見つかりません)", false,
         TModuleCopy::Missing},
        {"--publish", "news.tbl", example, settings, 4, "",
         Module().string() + " を読み込めません (ファイルが途中で切れています)", false,
         TModuleCopy::Truncated},
        {"--publish", "news.tbl", example, settings, 4, "",
         Module().string() + " を読み込めません (ファイルではありません)", false,
         TModuleCopy::Fifo},
        // Last: the page and its list stay in the remote folder.
        {"--publish", "news.tbl", example, settings, 0, "news.rdf", "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options + " " + c.table);
        WriteBytes(Remote() / "news.rdf", "published before\n");
        PlaceModule(c.module);
        const std::string table = Table(c.table, c.source, c.settings, {c.page, "news.html", ""});
        const RunResult result = Run(c.options + " '" + table + "'");
        EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
        EXPECT_NE(result.err.find(c.errorPart), std::string::npos) << result.err;
        if (c.published.empty()) {
            EXPECT_EQ(RemoteFeed(), "published before\n");
            EXPECT_EQ(std::distance(fs::directory_iterator(Remote()), fs::directory_iterator()), 1);
            continue;
        }
        std::string out;
        for (const char* name : {"news.rdf", "news.html", "news-list.html"}) {
            if (!c.page && name != c.published) continue;
            EXPECT_EQ(ReadBytes(Remote() / name), ReadBytes(dir_ / name));
            out += Path(name) + "\n";
        }
        for (const char* name : {"news.rdf", "news.html", "news-list.html"})
            if (c.page || name == c.published)
                out += "sftp://127.0.0.1:" + std::to_string(settings.Port) + "/www/" + name + "\n";
        EXPECT_EQ(result.out, out);
    }
}

// The news page is written beside the feed when the table file's settings ask for it; a page that
// cannot be made is reported after the feed was written, and nothing is published.
TEST_F(TPublishCommandTest, NewsPageAsTheSettingsAsk) {
    WriteBytes(dir_ / "own.mustache", "<p>{{site_title}}</p>\n{{#entries}}\n");
    const fs::path example = fs::path(ORVANIX_SOURCE_DIR) / "examples/news.tbl";
    const struct {
        std::string options;
        TNewsPageSettings page;
        int exitCode;
        std::vector<std::string> written; // in the test's folder besides the table file
        std::string errorPart = {};
    } cases[] = {
        {"", {true, "news.html", ""}, 0, {"news-list.html", "news.html", "news.rdf"}},
        {"--no-page", {true, "news.html", ""}, 0, {"news.rdf"}},
        {"", {false, "news.html", ""}, 0, {"news.rdf"}},
        {"--stdout", {true, "news.html", ""}, 0, {}},
        {"--publish",
         {true, "news.html", Path("own.mustache")},
         1,
         {"news.rdf"},
         "お知らせページが作成できません。 テンプレート " + Path("own.mustache") + " の 2 行目"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options);
        for (const char* name : {"news.rdf", "news.html", "news-list.html"})
            fs::remove(dir_ / name);
        const std::string table = Table("news.tbl", example, {}, c.page);
        const RunResult result = Run(c.options + " '" + table + "'");
        EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
        EXPECT_NE(result.err.find(c.errorPart), std::string::npos) << result.err;
        std::vector<std::string> written;
        for (const auto& entry : fs::directory_iterator(dir_))
            if (entry.is_regular_file() &&
                entry.path().string().find("news") != std::string::npos &&
                entry.path().extension() != ".tbl")
                written.push_back(entry.path().filename().string());
        std::sort(written.begin(), written.end());
        EXPECT_EQ(written, c.written);
        EXPECT_EQ(RemoteFeed(), "published before\n");
    }
}

} // namespace
