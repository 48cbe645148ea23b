#pragma once

// A test's own servers, account and user folders for publishing: the account's home holds the
// remote folder "www" with a published feed, the client's home (HOME while the test runs) holds
// ~/.ssh with a key the SSH server accepts, and the servers start when a test first asks for them.

#include "TestServers.h"
#include "TestSupport.h"
#include "publish/PublishSettings.h"

#include <algorithm>
#include <sys/stat.h>
#include <vector>

namespace testsupport {

// Polls `condition` until it holds or half a minute has passed; whether it held.
template <typename Condition> bool PollFor(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// How many files this process has open: a publish leaves none behind.
inline size_t OpenFiles() {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                             std::filesystem::directory_iterator()));
}

class TPublishFixture : public TTempFolderTest {
protected:
    void SetUp() override {
        TTempFolderTest::SetUp();
        std::filesystem::create_directories(Remote());
        std::filesystem::create_directories(dir_ / "client/.ssh");
        std::filesystem::create_directories(dir_ / "servers");
        account_ = std::make_unique<TTestAccount>(dir_ / "home");
        ASSERT_TRUE(account_->Created()) << "the tests run as root, as CI does";
        WriteBytes(Remote() / "news.rdf", "published before\n");
        account_->Own(dir_ / "home");
        ASSERT_TRUE(RunCommand("ssh-keygen -q -t ed25519 -N '' -f '" +
                               (dir_ / "client/.ssh/id_ed25519").string() + "'"));
        std::filesystem::copy_file(dir_ / "client/.ssh/id_ed25519.pub",
                                   dir_ / "servers/authorized_keys");
        setenv("HOME", (dir_ / "client").c_str(), 1);
    }
    void TearDown() override {
        sftp_.Stop();
        ftp_.Stop();
        ftps_.Stop();
        otherSftp_.Stop();
        otherFtps_.Stop();
        account_.reset();
        TTempFolderTest::TearDown();
    }

    std::filesystem::path Remote() const { return dir_ / "home/www"; }
    std::string RemoteFeed() const { return ReadBytes(Remote() / "news.rdf"); }
    std::filesystem::path KnownHosts() const { return dir_ / "client/.ssh/known_hosts"; }
    // The names in the remote folder: only the published feed once a publish has ended.
    std::vector<std::string> RemoteNames() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(Remote()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    // Settings for the test's server of `protocol`, started now if it is not running; an SSH
    // server's host key is known to the client.
    TPublishSettings ServerSettings(TPublishProtocol protocol) {
        TPublishSettings settings;
        settings.Protocol = protocol;
        settings.Host = "127.0.0.1";
        settings.User = account_->Name();
        settings.RemoteFolder = "www";
        settings.PlainFtpAccepted = protocol == TPublishProtocol::Ftp;
        TServerProcess& server = Server(protocol);
        if (!server.Running()) {
            const bool started =
                protocol == TPublishProtocol::Sftp
                    ? sftp_.Start(dir_ / "servers", dir_ / "servers/authorized_keys")
                    : static_cast<TFtpServer&>(server).Start(dir_ / "servers",
                                                             protocol == TPublishProtocol::Ftps);
            EXPECT_TRUE(started) << "server did not start";
            if (protocol == TPublishProtocol::Sftp)
                WriteBytes(KnownHosts(), sftp_.KnownHostsLine());
        }
        settings.Port = server.Port();
        if (protocol == TPublishProtocol::Ftps) settings.TrustedCertificate = CertificatePin();
        return settings;
    }
    // The pin of the FTPS server's certificate, as the user who accepted it holds it.
    std::string CertificatePin() {
        const std::string pin = (dir_ / "servers/pin").string();
        EXPECT_TRUE(RunCommand("openssl x509 -in '" + (dir_ / "servers/ftps.crt").string() +
                               "' -pubkey -noout | openssl pkey -pubin -outform der | openssl dgst "
                               "-sha256 -binary | base64 > '" +
                               pin + "'"));
        const std::string base64 = ReadBytes(pin);
        return "sha256//" + base64.substr(0, base64.find('\n'));
    }
    // Settings for an SFTP server of its own that runs `subsystem` for SFTP; its host key is
    // known to the client besides the first server's.
    TPublishSettings OtherSftpServer(const std::string& subsystem) {
        TPublishSettings settings = ServerSettings(TPublishProtocol::Sftp);
        EXPECT_TRUE(otherSftp_.Start(OtherFolder(), dir_ / "servers/authorized_keys", subsystem));
        WriteBytes(KnownHosts(), ReadBytes(KnownHosts()) + otherSftp_.KnownHostsLine());
        settings.Port = otherSftp_.Port();
        return settings;
    }
    // Settings for an FTPS server of its own with a certificate made by `certificate`'s options
    // (and `madeOn`, see TFtpServer), which the user has not accepted.
    TPublishSettings OtherFtpsServer(const std::string& certificate, const std::string& madeOn) {
        TPublishSettings settings = ServerSettings(TPublishProtocol::Ftps);
        EXPECT_TRUE(otherFtps_.Start(OtherFolder(), true, certificate, madeOn));
        settings.Port = otherFtps_.Port();
        settings.TrustedCertificate.clear();
        return settings;
    }
    TServerProcess& Server(TPublishProtocol protocol) {
        if (protocol == TPublishProtocol::Sftp) return sftp_;
        return protocol == TPublishProtocol::Ftps ? static_cast<TServerProcess&>(ftps_) : ftp_;
    }
    const TTestAccount& Account() const { return *account_; }

    TSshServer sftp_, otherSftp_;
    TFtpServer ftp_, ftps_, otherFtps_;

private:
    // A new folder for another server, which stops the one before.
    std::filesystem::path OtherFolder() {
        otherSftp_.Stop();
        otherFtps_.Stop();
        const std::filesystem::path folder = dir_ / ("servers-" + std::to_string(++others_));
        std::filesystem::create_directories(folder);
        return folder;
    }

    std::unique_ptr<TTestAccount> account_;
    int others_ = 0;
};

} // namespace testsupport
