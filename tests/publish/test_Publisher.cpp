// Publishing a feed against real SFTP, FTPS and FTP servers.

#include "PublishTestSupport.h"
#include "publish/FtpFolder.h"
#include "publish/Publisher.h"
#include "publish/SftpFolder.h"

#include <atomic>
#include <csignal>
#include <cstring>
#include <functional>
#include <optional>
#include <sched.h>
#include <set>
#include <sys/mount.h>
#include <thread>

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

using TPublishTest = TPublishFixture;

const std::string Feed = "<?xml version=\"1.0\"?>\r\n<rdf:RDF>ニュース</rdf:RDF>\r\n";

std::string Utf8(const TResult& result) {
    return Cp932ToUtf8(result.Describe(""));
}

// OpenSSH's SFTP server without the one-step replace, as other SFTP servers are.
const std::string NoPosixRename = "internal-sftp -P posix-rename";

TEST_F(TPublishTest, ReplacesThePublishedFeedOverEachProtocol) {
    struct Case {
        TPublishProtocol protocol;
        TSftpLogin login;
        bool password;              // else ~/.netrc or the keys
        bool absolute = false;      // the remote folder given from the root
        std::string subsystem = {}; // an SFTP server of its own running this
    } const cases[] = {
        {TPublishProtocol::Sftp, TSftpLogin::Password, true},
        {TPublishProtocol::Sftp, TSftpLogin::Keys, false},
        {TPublishProtocol::Sftp, TSftpLogin::Password, false},
        {TPublishProtocol::Sftp, TSftpLogin::Password, true, false, NoPosixRename},
        {TPublishProtocol::Ftp, TSftpLogin::Password, false},
        {TPublishProtocol::Ftp, TSftpLogin::Password, true, true},
        {TPublishProtocol::Ftps, TSftpLogin::Password, true},
    };
    WriteBytes(dir_ / "client/.netrc", "machine 127.0.0.1 login " + Account().Name() +
                                           " password " + Account().Password() + "\n");
    WriteBytes(dir_ / "news.rdf", Feed);
    const size_t openFiles = OpenFiles();
    int round = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(++round);
        TPublishSettings settings =
            c.subsystem.empty() ? ServerSettings(c.protocol) : OtherSftpServer(c.subsystem);
        const std::string pin = settings.TrustedCertificate;
        settings.TrustedCertificate.clear();
        settings.Login = c.login;
        if (c.absolute) settings.RemoteFolder = Remote().string() + "/";
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
        EXPECT_EQ(RemoteNames(), std::vector<std::string>{"news.rdf"});
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
    EXPECT_EQ(OpenFiles(), openFiles);
}

// Cuts every temporary file of ours on the server to half once the whole feed was sent.
bool CutUploads(const fs::path& remote, uint64_t sent, uint64_t total) {
    if (sent == total)
        for (const auto& entry : fs::directory_iterator(remote))
            if (entry.path().filename().string().starts_with(".news.rdf.orvanix-"))
                fs::resize_file(entry.path(), total / 2);
    return true;
}

TEST_F(TPublishTest, FailuresLeaveThePublishedFeedAsItWas) {
    using Change = std::function<void(TPublishSettings&, std::string & password)>;
    struct Case {
        const char* name;
        TPublishProtocol protocol;
        Change change;
        std::string reason;
        int asked = 0; // host keys and certificates offered to the user, who says no
        std::function<bool(uint64_t, uint64_t)> progress = {};
    };
    ServerSettings(TPublishProtocol::Sftp);
    const std::string hostLine = sftp_.KnownHostsLine();
    const std::string hostKey = hostLine.substr(hostLine.find(' ') + 1);
    ServerSettings(TPublishProtocol::Ftps);
    ASSERT_TRUE(RunCommand("openssl x509 -in '" + (dir_ / "servers/ftps.crt").string() +
                           "' -noout -fingerprint -sha256 | cut -d= -f2 > '" + Path("fingerprint") +
                           "'"));
    const std::string fingerprint = ReadBytes(dir_ / "fingerprint").substr(0, 95);
    const Case cases[] = {
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
         "は確認されていません", 1},
        {"changed host key", TPublishProtocol::Sftp,
         [this](TPublishSettings& settings, std::string&) {
             const std::string line = ReadBytes(dir_ / "client/.ssh/id_ed25519.pub");
             WriteBytes(KnownHosts(), "[127.0.0.1]:" + std::to_string(settings.Port) + " " +
                                          line.substr(0, line.rfind(' ')) + "\n");
         },
         "記録されたものと違います"},
        {"revoked host key", TPublishProtocol::Sftp,
         [&](TPublishSettings&, std::string&) {
             WriteBytes(KnownHosts(), "@revoked * " + hostKey + sftp_.KnownHostsLine());
         },
         "で無効にされています (@revoked)"},
        {"unreadable known_hosts", TPublishProtocol::Sftp,
         [this](TPublishSettings&, std::string&) {
             fs::remove(KnownHosts());
             fs::create_directory(KnownHosts());
         },
         "known_hosts を読めません"},
        {"self-signed certificate", TPublishProtocol::Ftps,
         [](TPublishSettings& settings, std::string&) { settings.TrustedCertificate.clear(); },
         "の証明書は信頼されていません (SHA-256 指紋: " + fingerprint + ")。自己署名の証明書です。",
         1},
        {"certificate for another name", TPublishProtocol::Ftps,
         [this](TPublishSettings& settings, std::string&) {
             settings = OtherFtpsServer(
                 "-days 2 -subj /CN=localhost -addext subjectAltName=DNS:localhost", "");
         },
         "別の名前 (localhost) に発行された証明書です。", 1},
        {"expired certificate", TPublishProtocol::Ftps,
         [this](TPublishSettings& settings, std::string&) {
             settings = OtherFtpsServer("-days 30 -subj /CN=127.0.0.1", "2020-01-01 00:00:00");
         },
         "有効期限が 2020-01-31 に切れています。", 1},
        {"other certificate", TPublishProtocol::Ftps,
         [](TPublishSettings& settings, std::string&) {
             settings.TrustedCertificate = "sha256//" + std::string(43, 'A') + "=";
         },
         "以前に受け入れたものと違います (新しい証明書の SHA-256 指紋: " + fingerprint + ")"},
        {"plain FTP not accepted", TPublishProtocol::Ftp,
         [](TPublishSettings& settings, std::string&) { settings.PlainFtpAccepted = false; },
         "暗号化されずに送られます"},
        {"SFTP upload cut short", TPublishProtocol::Sftp, [](TPublishSettings&, std::string&) {},
         "送ったものと違います (送ったのは 56 バイト、届いたのは 28 バイト)", 0,
         [this](uint64_t sent, uint64_t total) { return CutUploads(Remote(), sent, total); }},
        {"FTP upload cut short", TPublishProtocol::Ftp, [](TPublishSettings&, std::string&) {},
         "送ったものと違います (送ったのは 56 バイト、届いたのは 28 バイト)", 0,
         [this](uint64_t sent, uint64_t total) { return CutUploads(Remote(), sent, total); }},
        {"connection cut between the steps of the replace", TPublishProtocol::Sftp,
         [this](TPublishSettings& settings, std::string&) {
             settings = OtherSftpServer("LD_PRELOAD=" ORVANIX_SERVER_CUT
                                        " ORVANIX_CUT_AFTER_UNLINK=news.rdf "
                                        "/usr/lib/openssh/sftp-server -P posix-rename");
         },
         "サーバーとの接続が切れました"},
    };
    WriteBytes(dir_ / "news.rdf", Feed);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TPublishSettings settings = ServerSettings(c.protocol);
        std::string password = Account().Password();
        c.change(settings, password);
        const std::string knownHosts = ReadAll(KnownHosts());
        int asked = 0;
        TPublishPrompts prompts;
        prompts.AcceptHostKey = [&](const std::string&, const std::string&) {
            return ++asked, false;
        };
        prompts.AcceptCertificate = [&](const TCertificateFacts&) { return ++asked, false; };
        prompts.Progress = c.progress;
        const TPublishOutcome outcome = PublishFeed(settings, Path("news.rdf"), password, prompts);
        EXPECT_NE(Utf8(outcome.Result).find(c.reason), std::string::npos) << Utf8(outcome.Result);
        EXPECT_NE(Utf8(outcome.Result).find("公開済みのフィードは元のままです"), std::string::npos)
            << Utf8(outcome.Result);
        EXPECT_EQ(RemoteFeed(), "published before\n");
        EXPECT_EQ(RemoteNames(), std::vector<std::string>{"news.rdf"});
        EXPECT_EQ(asked, c.asked);
        EXPECT_EQ(ReadAll(KnownHosts()), knownHosts); // nothing refused was added
        fs::permissions(Remote(), fs::perms(0755));
        if (!sftp_.Running()) ServerSettings(TPublishProtocol::Sftp);
        fs::remove_all(KnownHosts());
        WriteBytes(KnownHosts(), sftp_.KnownHostsLine());
    }
}

// The news page and its list go up with the feed over one connection. Each is checked on the
// server before the first published file is replaced: a page that arrives damaged leaves the feed
// as it was too.
TEST_F(TPublishTest, PagesGoUpWithTheFeed) {
    const std::vector<TPublishedFile> pages{{Path("news.html"), "お知らせページ"},
                                            {Path("news-list.html"), "お知らせの一覧"}};
    WriteBytes(dir_ / "news.rdf", Feed);
    WriteBytes(dir_ / "news.html", "<!DOCTYPE html>\n<title>page</title>\n");
    WriteBytes(dir_ / "news-list.html", "<article></article>\n");
    const struct {
        TPublishProtocol protocol;
        const char* cut = nullptr; // the temporary files of this name arrive cut short
        std::string subsystem = {};
    } cases[] = {
        {TPublishProtocol::Sftp},
        {TPublishProtocol::Sftp, nullptr, NoPosixRename},
        {TPublishProtocol::Ftp},
        {TPublishProtocol::Sftp, ".news-list.html.orvanix-"},
        {TPublishProtocol::Ftp, ".news.html.orvanix-"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(static_cast<int>(c.protocol)) + (c.cut ? c.cut : ""));
        const TPublishSettings settings =
            c.subsystem.empty() ? ServerSettings(c.protocol) : OtherSftpServer(c.subsystem);
        TPublishPrompts prompts;
        uint64_t reported = 0;
        prompts.Progress = [&](uint64_t sent, uint64_t total) {
            reported = sent;
            if (c.cut && sent == total)
                for (const auto& entry : fs::directory_iterator(Remote()))
                    if (entry.path().filename().string().starts_with(c.cut))
                        fs::resize_file(entry.path(), 2);
            return true;
        };
        const TPublishOutcome outcome =
            PublishFeed(settings, Path("news.rdf"), Account().Password(), prompts, pages);
        if (c.cut) {
            EXPECT_NE(Utf8(outcome.Result).find("が送ったものと違います (送ったのは "),
                      std::string::npos)
                << Utf8(outcome.Result);
            EXPECT_NE(
                Utf8(outcome.Result)
                    .find("公開済みのフィード、お知らせページとお知らせの一覧は元のままです。"),
                std::string::npos)
                << Utf8(outcome.Result);
            EXPECT_EQ(RemoteNames(), std::vector<std::string>{"news.rdf"});
            EXPECT_EQ(RemoteFeed(), "published before\n");
            continue;
        }
        ASSERT_TRUE(outcome.Result) << Utf8(outcome.Result);
        EXPECT_EQ(RemoteNames(),
                  (std::vector<std::string>{"news-list.html", "news.html", "news.rdf"}));
        for (const char* name : {"news.rdf", "news.html", "news-list.html"})
            EXPECT_EQ(ReadBytes(Remote() / name), ReadBytes(dir_ / name)) << name;
        EXPECT_EQ(outcome.WithFeedAddresses.size(), 2u);
        EXPECT_TRUE(outcome.WithFeedAddresses[0].ends_with("/www/news.html"));
        EXPECT_EQ(reported, Feed.size() + 56); // progress counts every file
        for (const char* name : {"news.rdf", "news.html", "news-list.html"})
            fs::remove(Remote() / name);
        WriteBytes(Remote() / "news.rdf", "published before\n");
    }
}

// Links planted in the remote folder by someone else who may write there, at the temporary name
// of old and at a name of the kind the publisher makes: neither is written through, nor has its
// target's permissions changed, whether it leads to a file of the account's or nowhere.
TEST_F(TPublishTest, LinksPlantedInTheFolderAreNeverFollowed) {
    const fs::path secret = dir_ / "home/private.txt";
    WriteBytes(secret, "private\n");
    Account().Own(secret);
    fs::permissions(secret, fs::perms(0600));
    fs::create_symlink("../private.txt", Remote() / "news.rdf.tmp");
    const std::string guessed = ".news.rdf.orvanix-Guessed012";
    WriteBytes(dir_ / "news.rdf", Feed);
    for (const TPublishProtocol protocol : {TPublishProtocol::Sftp, TPublishProtocol::Ftp})
        for (const char* target : {"../private.txt", "../planted.txt"}) {
            SCOPED_TRACE(std::to_string(static_cast<int>(protocol)) + " " + target);
            fs::remove(Remote() / guessed);
            fs::create_symlink(target, Remote() / guessed);
            const TPublishSettings settings = ServerSettings(protocol);
            const TPublishPrompts prompts;
            TProgressReport report({}, Feed.size());
            std::unique_ptr<TRemoteFolder> folder;
            if (protocol == TPublishProtocol::Sftp)
                folder =
                    std::make_unique<TSftpFolder>(settings, Account().Password(), prompts, report);
            else
                folder =
                    std::make_unique<TFtpFolder>(settings, Account().Password(), prompts, report);
            ASSERT_TRUE(folder->Open());
            EXPECT_EQ(folder->Create(guessed, Feed).Fault, TRemoteFault::NameTaken);
            EXPECT_TRUE(PublishFeed(settings, Path("news.rdf"), Account().Password(), {}).Result);
            EXPECT_EQ(RemoteFeed(), Feed);
            EXPECT_EQ(ReadBytes(secret), "private\n");
            EXPECT_EQ(fs::status(secret).permissions() & fs::perms::all, fs::perms(0600));
            EXPECT_FALSE(fs::exists(dir_ / "home/planted.txt"));
            EXPECT_EQ(RemoteNames(),
                      (std::vector<std::string>{guessed, "news.rdf", "news.rdf.tmp"}));
        }
}

// The host key as known_hosts holds it, and what the user is asked about it.
TEST_F(TPublishTest, HostKeysAsKnownHostsHoldsThem) {
    const TPublishSettings settings = ServerSettings(TPublishProtocol::Sftp);
    const std::string line = sftp_.KnownHostsLine();
    const std::string key = line.substr(line.find(' ') + 1);
    WriteBytes(dir_ / "hashed", line);
    ASSERT_TRUE(RunCommand("ssh-keygen -H -f '" + Path("hashed") + "'"));
    const std::string hashed = ReadBytes(dir_ / "hashed");
    struct Case {
        const char* name;
        std::optional<std::string> before; // none: a link that leads nowhere
        bool asked;
        std::string after;
        const char* reason = nullptr; // none: published
    } const cases[] = {
        {"lines kept", "# kept\n", true, "# kept\n" + line},
        {"last line without a break", "# kept", true, "# kept\n" + line},
        {"hashed name", hashed, false, hashed},
        {"pattern", "*.example.jp,[127.0.0.*]:* " + key, false,
         "*.example.jp,[127.0.0.*]:* " + key},
        {"excluded by a pattern", "!*:" + std::to_string(settings.Port) + ",* " + key, true, ""},
        {"cannot be written", std::nullopt, true, "", "に記録できません"},
    };
    WriteBytes(dir_ / "news.rdf", Feed);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(KnownHosts());
        if (c.before) {
            WriteBytes(KnownHosts(), *c.before);
        } else {
            fs::create_symlink(dir_ / "nowhere/known_hosts", KnownHosts());
        }
        WriteBytes(Remote() / "news.rdf", "published before\n");
        std::string shown;
        TPublishPrompts prompts;
        prompts.AcceptHostKey = [&](const std::string& host, const std::string& fingerprint) {
            shown = host + " " + fingerprint + "\n";
            return true;
        };
        const TPublishOutcome outcome =
            PublishFeed(settings, Path("news.rdf"), Account().Password(), prompts);
        EXPECT_EQ(RemoteNames(), std::vector<std::string>{"news.rdf"});
        EXPECT_EQ(!shown.empty(), c.asked);
        if (c.reason) {
            EXPECT_NE(Utf8(outcome.Result).find(c.reason), std::string::npos)
                << Utf8(outcome.Result);
            EXPECT_EQ(RemoteFeed(), "published before\n");
            continue;
        }
        ASSERT_TRUE(outcome.Result) << Utf8(outcome.Result);
        EXPECT_EQ(RemoteFeed(), Feed);
        if (!c.after.empty()) {
            EXPECT_EQ(ReadBytes(KnownHosts()), c.after);
        }
        if (!c.asked) continue;
        // The fingerprint the user compares is the one OpenSSH shows.
        ASSERT_TRUE(RunCommand("ssh-keygen -lf '" +
                               (dir_ / "servers/ssh_host_ed25519_key.pub").string() +
                               "' | cut -d' ' -f2 > '" + Path("expected") + "'"));
        EXPECT_EQ(shown, "127.0.0.1 " + ReadBytes(dir_ / "expected"));
        EXPECT_TRUE(PublishFeed(settings, Path("news.rdf"), Account().Password(), {}).Result);
    }
}

// A server that goes away during the upload, and a publisher killed during it: the published
// feed stays, and the next publish removes what the killed one left.
TEST_F(TPublishTest, KilledMidUpload) {
    fs::create_directories(dir_ / "big");
    WriteBytes(dir_ / "big/news.rdf", std::string(64 << 20, 'x'));
    WriteBytes(dir_ / "news.rdf", Feed);
    for (const bool killServer : {false, true})
        for (const TPublishProtocol protocol : {TPublishProtocol::Sftp, TPublishProtocol::Ftp}) {
            SCOPED_TRACE(std::to_string(killServer) + " " + std::to_string(int(protocol)));
            const TPublishSettings settings = ServerSettings(protocol);
            TPublishPrompts prompts;
            prompts.Progress = [&](uint64_t sent, uint64_t) {
                if (sent > (1 << 20) && killServer) Server(protocol).Stop();
                if (sent > (1 << 20) && !killServer) raise(SIGKILL);
                return true;
            };
            if (killServer) {
                const TPublishOutcome outcome =
                    PublishFeed(settings, Path("big/news.rdf"), Account().Password(), prompts);
                // What the server took cannot be removed now, and the message says so.
                EXPECT_NE(Utf8(outcome.Result)
                              .find("転送中にサーバーとの接続が切れました。公開済み"
                                    "のフィードは元のままです。アップロードしかけた"
                                    "一時ファイル .news.rdf.orvanix-"),
                          std::string::npos)
                    << Utf8(outcome.Result);
                EXPECT_EQ(RemoteFeed(), "published before\n");
                continue;
            }
            const pid_t publisher = fork();
            if (publisher == 0) {
                std::ignore =
                    PublishFeed(settings, Path("big/news.rdf"), Account().Password(), prompts);
                _exit(0);
            }
            int status = 0;
            ASSERT_EQ(waitpid(publisher, &status, 0), publisher);
            ASSERT_TRUE(WIFSIGNALED(status));
            EXPECT_EQ(RemoteNames().size(), 2u); // the feed and the killed upload
            EXPECT_TRUE(PublishFeed(settings, Path("news.rdf"), Account().Password(), {}).Result);
            EXPECT_EQ(RemoteNames(), std::vector<std::string>{"news.rdf"});
            EXPECT_EQ(RemoteFeed(), Feed);
            WriteBytes(Remote() / "news.rdf", "published before\n");
        }
}

// Publishers of one feed at the same time, from this machine (the same settings: they take
// turns) and as if from two (the same folder named another way: they do not), while a reader
// polls the published feed: it is always there and always whole.
TEST_F(TPublishTest, PublishersAtOnceNeverLeaveTheFeedMissingOrPartial) {
    for (const TPublishProtocol protocol : {TPublishProtocol::Sftp, TPublishProtocol::Ftp}) {
        SCOPED_TRACE(static_cast<int>(protocol));
        std::set<std::string> whole{"published before\n"};
        std::vector<TPublishSettings> settings(4, ServerSettings(protocol));
        for (size_t at = 0; at < settings.size(); ++at) {
            if (at % 2) settings[at].RemoteFolder = Remote().string();
            fs::create_directories(dir_ / std::to_string(at));
            const std::string feed(256 << 10, static_cast<char>('a' + at));
            WriteBytes(dir_ / std::to_string(at) / "news.rdf", feed);
            whole.insert(feed);
        }
        std::atomic<bool> done = false;
        int missing = 0, partial = 0;
        const std::string feed = (Remote() / "news.rdf").string();
        std::thread looker([&] {
            for (struct stat info{}; !done;)
                missing += stat(feed.c_str(), &info) != 0;
        });
        std::thread reader([&] {
            while (!done)
                partial += !whole.count(ReadAll(feed));
        });
        std::vector<TResult> results(settings.size());
        std::vector<std::thread> publishers;
        for (size_t at = 0; at < settings.size(); ++at)
            publishers.emplace_back([&, at] {
                results[at] = PublishFeed(settings[at], Path(std::to_string(at) + "/news.rdf"),
                                          Account().Password(), {})
                                  .Result;
            });
        for (std::thread& publisher : publishers)
            publisher.join();
        done = true;
        looker.join();
        reader.join();
        for (const TResult& result : results)
            EXPECT_TRUE(result) << Utf8(result);
        EXPECT_EQ(missing, 0);
        EXPECT_EQ(partial, 0);
        EXPECT_EQ(RemoteNames(), std::vector<std::string>{"news.rdf"});
    }
}

// A publish of a feed that another publish on this machine is uploading waits for it, asking
// whether to go on meanwhile, and never logs in until its turn.
TEST_F(TPublishTest, PublishesOfOneFeedTakeTurns) {
    const TPublishSettings settings = ServerSettings(TPublishProtocol::Sftp);
    const auto logins = [this] {
        const std::string log = ReadBytes(dir_ / "servers/sshd.log");
        size_t count = 0;
        for (size_t at = 0; (at = log.find("Accepted password", at)) != std::string::npos; ++at)
            ++count;
        return count;
    };
    fs::create_directories(dir_ / "second");
    WriteBytes(dir_ / "news.rdf", "first\n");
    WriteBytes(dir_ / "second/news.rdf", "second\n");
    for (const bool giveUp : {false, true}) {
        SCOPED_TRACE(giveUp);
        const size_t loginsBefore = logins();
        std::atomic<bool> firstHolds = false, release = false;
        TPublishPrompts holding;
        holding.Progress = [&](uint64_t, uint64_t) {
            firstHolds = true;
            while (!release)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            return true;
        };
        TResult first, second;
        std::thread firstPublish([&] {
            first = PublishFeed(settings, Path("news.rdf"), Account().Password(), holding).Result;
        });
        ASSERT_TRUE(PollFor([&] { return firstHolds.load(); }));
        std::atomic<int> asked = 0;
        TPublishPrompts waiting;
        waiting.Progress = [&](uint64_t, uint64_t) { return ++asked < 3 || !giveUp; };
        std::thread secondPublish([&] {
            second = PublishFeed(settings, Path("second/news.rdf"), Account().Password(), waiting)
                         .Result;
        });
        EXPECT_TRUE(PollFor([&] { return asked >= 3; }));
        EXPECT_LE(logins(), loginsBefore + 1);
        release = true;
        firstPublish.join();
        secondPublish.join();
        EXPECT_TRUE(first) << Utf8(first);
        if (giveUp) {
            EXPECT_NE(Utf8(second).find("公開を中止しました。公開済みのフィードは元のままです。"),
                      std::string::npos)
                << Utf8(second);
        } else {
            EXPECT_TRUE(second) << Utf8(second);
        }
        EXPECT_EQ(RemoteFeed(), giveUp ? "first\n" : "second\n");
    }
}

// The remote folder on a small file system of its own, in a mount namespace that ends with this
// process: the server's writes fail for lack of space, for a large feed and for a small one on a
// nearly full disk, and the partial upload is removed again.
TEST_F(TPublishTest, DiskFullOnTheServer) {
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr))
        GTEST_SKIP() << "no mount namespace: " << std::strerror(errno);
    const std::string remote = Remote().string();
    ASSERT_EQ(mount("tmpfs", remote.c_str(), "tmpfs", 0, "size=256k,mode=0755"), 0)
        << std::strerror(errno);
    const std::unique_ptr<const std::string, void (*)(const std::string*)> unmount(
        &remote, [](const std::string* path) { umount2(path->c_str(), MNT_DETACH); });
    WriteBytes(Remote() / "news.rdf", "published before\n");
    Account().Own(Remote());
    for (const auto& [size, bytes] : {std::pair{"large", 1 << 20}, std::pair{"small", 16 << 10}}) {
        fs::create_directories(dir_ / size);
        WriteBytes(dir_ / size / "news.rdf", std::string(bytes, 'x'));
    }
    for (const std::string size : {"large", "small"})
        for (const TPublishProtocol protocol : {TPublishProtocol::Sftp, TPublishProtocol::Ftp}) {
            SCOPED_TRACE(size + " " + std::to_string(static_cast<int>(protocol)));
            // All but a few KiB taken, for the small feed.
            if (size == "small") WriteBytes(Remote() / "filler", std::string(244 << 10, '-'));
            const TPublishOutcome outcome = PublishFeed(
                ServerSettings(protocol), Path(size + "/news.rdf"), Account().Password(), {});
            EXPECT_NE(Utf8(outcome.Result).find("サーバーのディスクがいっぱいか容量の制限を超えた"),
                      std::string::npos)
                << Utf8(outcome.Result);
            EXPECT_EQ(RemoteFeed(), "published before\n");
            fs::remove(Remote() / "filler");
            EXPECT_EQ(RemoteNames(), std::vector<std::string>{"news.rdf"});
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
    // A section named by an earlier version, with small hexadecimal digits.
    WriteBytes(ini.Path(), "[Publish:/tmp/%e3%83%8b%20news.tbl]\r\nHost=old.example.jp\r\n");
    ASSERT_TRUE(reread.Load());
    EXPECT_EQ(ReadPublishSettings(reread, "/tmp/ニ news.tbl").value_or(sftp).Host,
              "old.example.jp");
    std::remove(ini.Path().c_str());
}

} // namespace
