// Publishing a feed against real SFTP, FTPS and FTP servers.

#include "PublishTestSupport.h"
#include "publish/Publisher.h"

#include <cstring>
#include <functional>
#include <sched.h>
#include <sys/mount.h>

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

using TPublishTest = TPublishFixture;

const std::string Feed = "<?xml version=\"1.0\"?>\r\n<rdf:RDF>ニュース</rdf:RDF>\r\n";

std::string Utf8(const TResult& result) {
    return Cp932ToUtf8(result.Describe(""));
}

TEST_F(TPublishTest, ReplacesThePublishedFeedOverEachProtocol) {
    struct Case {
        TPublishProtocol protocol;
        TSftpLogin login;
        bool password; // else ~/.netrc or the keys
    } const cases[] = {
        {TPublishProtocol::Sftp, TSftpLogin::Password, true},
        {TPublishProtocol::Sftp, TSftpLogin::Keys, false},
        {TPublishProtocol::Ftp, TSftpLogin::Password, false},
        {TPublishProtocol::Ftps, TSftpLogin::Password, true},
    };
    WriteBytes(dir_ / "client/.netrc", "machine 127.0.0.1 login " + Account().Name() +
                                           " password " + Account().Password() + "\n");
    WriteBytes(dir_ / "news.rdf", Feed);
    int round = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(++round);
        TPublishSettings settings = ServerSettings(c.protocol);
        const std::string pin = settings.TrustedCertificate;
        settings.TrustedCertificate.clear();
        settings.Login = c.login;
        TPublishPrompts prompts;
        std::string accepted;
        prompts.AcceptCertificate = [&](const TCertificateFacts& certificate) {
            accepted = certificate.Fingerprint;
            return true;
        };
        const TPublishOutcome outcome = PublishFeed(
            settings, Path("news.rdf"), c.password ? Account().Password() : "", prompts);
        ASSERT_TRUE(outcome.Result) << Utf8(outcome.Result);
        EXPECT_EQ(RemoteFeed(), Feed);
        EXPECT_EQ(fs::status(Remote() / "news.rdf").permissions() & fs::perms::all,
                  fs::perms(0644)); // a web server may read it
        EXPECT_FALSE(fs::exists(Remote() / "news.rdf.tmp"));
        // An FTP server renames over the published feed, which is thus never missing.
        if (c.protocol != TPublishProtocol::Sftp) {
            EXPECT_EQ(static_cast<TFtpServer&>(Server(c.protocol)).Log().find("DELE"),
                      std::string::npos);
        }
        // The self-signed certificate, once accepted, is trusted without asking again.
        EXPECT_EQ(outcome.SettingsChanged, c.protocol == TPublishProtocol::Ftps);
        EXPECT_EQ(accepted.empty(), c.protocol != TPublishProtocol::Ftps);
        EXPECT_EQ(outcome.Settings.TrustedCertificate, pin);
        if (outcome.SettingsChanged) {
            WriteBytes(Remote() / "news.rdf", "other\n");
            EXPECT_TRUE(
                PublishFeed(outcome.Settings, Path("news.rdf"), Account().Password(), {}).Result);
            EXPECT_EQ(RemoteFeed(), Feed);
        }
        WriteBytes(Remote() / "news.rdf", "published before\n");
    }
}

TEST_F(TPublishTest, FailuresLeaveThePublishedFeedAsItWas) {
    using Change = std::function<void(TPublishSettings&, std::string & password)>;
    struct Case {
        const char* name;
        TPublishProtocol protocol;
        Change change;
        const char* reason;
    } const cases[] = {
        {"wrong SFTP password", TPublishProtocol::Sftp,
         [](TPublishSettings&, std::string& password) { password = "wrong"; },
         "ユーザー名かパスワードが違います"},
        {"wrong FTP password", TPublishProtocol::Ftp,
         [](TPublishSettings&, std::string& password) { password = "wrong"; },
         "ユーザー名かパスワードが違います"},
        {"stopped server", TPublishProtocol::Sftp,
         [this](TPublishSettings&, std::string&) { sftp_.Stop(); }, "に接続できません"},
        {"host not found", TPublishProtocol::Ftp,
         [](TPublishSettings& settings, std::string&) { settings.Host = "no-such-host.invalid"; },
         "が見つかりません"},
        {"missing SFTP folder", TPublishProtocol::Sftp,
         [](TPublishSettings& settings, std::string&) { settings.RemoteFolder = "gone"; },
         "公開先のフォルダ gone がサーバーにありません"},
        {"missing FTP folder", TPublishProtocol::Ftp,
         [](TPublishSettings& settings, std::string&) { settings.RemoteFolder = "gone"; },
         "公開先のフォルダ gone がサーバーにありません"},
        {"read-only SFTP folder", TPublishProtocol::Sftp,
         [this](TPublishSettings&, std::string&) { fs::permissions(Remote(), fs::perms(0555)); },
         "書き込む権限がありません"},
        {"read-only FTP folder", TPublishProtocol::Ftps,
         [this](TPublishSettings&, std::string&) { fs::permissions(Remote(), fs::perms(0555)); },
         "書き込む権限がありません"},
        {"unknown host key", TPublishProtocol::Sftp,
         [this](TPublishSettings&, std::string&) { fs::remove(KnownHosts()); },
         "は確認されていません"},
        {"changed host key", TPublishProtocol::Sftp,
         [this](TPublishSettings& settings, std::string&) {
             const std::string line = ReadBytes(dir_ / "client/.ssh/id_ed25519.pub");
             WriteBytes(KnownHosts(), "[127.0.0.1]:" + std::to_string(settings.Port) + " " +
                                          line.substr(0, line.rfind(' ')) + "\n");
         },
         "記録されたものと違います"},
        {"self-signed certificate", TPublishProtocol::Ftps,
         [](TPublishSettings& settings, std::string&) { settings.TrustedCertificate.clear(); },
         "の証明書は信頼されていません (SHA-256 指紋: "},
        {"other certificate", TPublishProtocol::Ftps,
         [](TPublishSettings& settings, std::string&) {
             settings.TrustedCertificate = "sha256//" + std::string(43, 'A') + "=";
         },
         "以前に受け入れたものと違います"},
        {"plain FTP not accepted", TPublishProtocol::Ftp,
         [](TPublishSettings& settings, std::string&) { settings.PlainFtpAccepted = false; },
         "暗号化されずに送られます"},
    };
    WriteBytes(dir_ / "news.rdf", Feed);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TPublishSettings settings = ServerSettings(c.protocol);
        std::string password = Account().Password();
        c.change(settings, password);
        const TPublishOutcome outcome = PublishFeed(settings, Path("news.rdf"), password, {});
        EXPECT_NE(Utf8(outcome.Result).find(c.reason), std::string::npos) << Utf8(outcome.Result);
        EXPECT_EQ(RemoteFeed(), "published before\n");
        fs::permissions(Remote(), fs::perms(0755));
        if (!sftp_.Running()) ServerSettings(TPublishProtocol::Sftp);
        WriteBytes(KnownHosts(), sftp_.KnownHostsLine());
    }
}

TEST_F(TPublishTest, AcceptedHostKeyIsAddedToKnownHosts) {
    const TPublishSettings settings = ServerSettings(TPublishProtocol::Sftp);
    WriteBytes(KnownHosts(), "# kept\n");
    WriteBytes(dir_ / "news.rdf", Feed);
    std::string shown;
    TPublishPrompts prompts;
    prompts.AcceptHostKey = [&](const std::string& host, const std::string& fingerprint) {
        shown = host + " " + fingerprint;
        return true;
    };
    ASSERT_TRUE(PublishFeed(settings, Path("news.rdf"), Account().Password(), prompts).Result);
    // The fingerprint the user compares is the one OpenSSH shows.
    ASSERT_TRUE(RunCommand("ssh-keygen -lf '" +
                           (dir_ / "servers/ssh_host_ed25519_key.pub").string() +
                           "' | cut -d' ' -f2 > '" + Path("expected") + "'"));
    EXPECT_EQ(shown + "\n", "127.0.0.1 " + ReadBytes(dir_ / "expected"));
    EXPECT_EQ(ReadBytes(KnownHosts()), "# kept\n" + sftp_.KnownHostsLine());
    EXPECT_TRUE(PublishFeed(settings, Path("news.rdf"), Account().Password(), {}).Result);
}

TEST_F(TPublishTest, ServerKilledMidUpload) {
    WriteBytes(dir_ / "news.rdf", std::string(64 << 20, 'x'));
    for (const TPublishProtocol protocol : {TPublishProtocol::Sftp, TPublishProtocol::Ftp}) {
        SCOPED_TRACE(static_cast<int>(protocol));
        const TPublishSettings settings = ServerSettings(protocol);
        TPublishPrompts prompts;
        prompts.Progress = [&](uint64_t sent, uint64_t) {
            if (sent > (1 << 20)) Server(protocol).Stop();
            return true;
        };
        const TPublishOutcome outcome =
            PublishFeed(settings, Path("news.rdf"), Account().Password(), prompts);
        EXPECT_NE(Utf8(outcome.Result).find("転送中にサーバーとの接続が切れました"),
                  std::string::npos)
            << Utf8(outcome.Result);
        EXPECT_EQ(RemoteFeed(), "published before\n");
    }
}

// The remote folder on a small file system of its own, in a mount namespace that ends with this
// process: the server's writes fail for lack of space, and the partial upload is removed again.
TEST_F(TPublishTest, DiskFullOnTheServer) {
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr))
        GTEST_SKIP() << "no mount namespace: " << std::strerror(errno);
    ASSERT_EQ(mount("tmpfs", Remote().c_str(), "tmpfs", 0, "size=256k,mode=0755"), 0)
        << std::strerror(errno);
    const std::unique_ptr<const char, void (*)(const char*)> unmount(
        Remote().c_str(), [](const char* path) { umount2(path, MNT_DETACH); });
    WriteBytes(Remote() / "news.rdf", "published before\n");
    Account().Own(Remote());
    WriteBytes(dir_ / "news.rdf", std::string(1 << 20, 'x'));
    for (const TPublishProtocol protocol : {TPublishProtocol::Sftp, TPublishProtocol::Ftp}) {
        SCOPED_TRACE(static_cast<int>(protocol));
        const TPublishOutcome outcome =
            PublishFeed(ServerSettings(protocol), Path("news.rdf"), Account().Password(), {});
        EXPECT_NE(Utf8(outcome.Result).find("サーバーのディスクがいっぱいか容量の制限を超えた"),
                  std::string::npos)
            << Utf8(outcome.Result);
        EXPECT_EQ(RemoteFeed(), "published before\n");
        EXPECT_FALSE(fs::exists(Remote() / "news.rdf.tmp"));
    }
}

TEST(PublishSettings, KeptPerTableFile) {
    TPublishSettings sftp;
    sftp.Host = "example.jp";
    sftp.User = "owner";
    sftp.RemoteFolder = "/home/owner/public_html";
    sftp.Login = TSftpLogin::Keys;
    TPublishSettings ftps = sftp;
    ftps.Protocol = TPublishProtocol::Ftps;
    ftps.Port = 990;
    ftps.RemoteFolder = "公開 [news]";
    ftps.TrustedCertificate = "sha256//AAAA=";
    TPublishSettings ftp = sftp;
    ftp.Protocol = TPublishProtocol::Ftp;
    ftp.PlainFtpAccepted = true;
    // Paths differing only in case are different tables.
    const std::pair<std::string, TPublishSettings> tables[] = {
        {"/home/u/News.tbl", sftp}, {"/home/u/news.tbl", ftps}, {"/tmp/ニュース ]=;.tbl", ftp}};
    TIniFile ini(testing::TempDir() + "publish_settings.ini");
    for (const auto& [path, settings] : tables)
        WritePublishSettings(ini, path, settings);
    ASSERT_TRUE(ini.Save());
    TIniFile reread(ini.Path());
    ASSERT_TRUE(reread.Load());
    for (const auto& [path, settings] : tables) {
        const std::optional<TPublishSettings> read = ReadPublishSettings(reread, path);
        ASSERT_TRUE(read) << path;
        EXPECT_EQ(reread.Text(), ini.Text());
        EXPECT_EQ(static_cast<int>(read->Protocol), static_cast<int>(settings.Protocol));
        EXPECT_EQ(std::tie(read->Host, read->Port, read->User, read->RemoteFolder,
                           read->PlainFtpAccepted, read->TrustedCertificate),
                  std::tie(settings.Host, settings.Port, settings.User, settings.RemoteFolder,
                           settings.PlainFtpAccepted, settings.TrustedCertificate))
            << path;
        EXPECT_EQ(read->Login == TSftpLogin::Keys, settings.Login == TSftpLogin::Keys);
    }
    EXPECT_FALSE(ReadPublishSettings(reread, "/home/u/NEWS.tbl"));
    std::remove(ini.Path().c_str());
}

} // namespace
