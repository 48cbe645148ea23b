// Publishing against curl: one publish of a 20 KB feed over SFTP, FTPS and FTP to servers on the
// loopback address (sshd and vsftpd, started here as the tests start them), beside libcurl doing
// the least the same job needs: the upload under another name and a rename onto the feed (over
// SFTP, where a rename cannot replace a file, removing the feed first). Each iteration times one
// of each, in turn; "ratio" is the median of the pairs' ratios (publish / curl), the goal at most
// 1.2. Needs root, as the publishing tests do, for the servers' account.

#include "TestServers.h"
#include "publish/Publisher.h"

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

namespace fs = std::filesystem;
using testsupport::TFtpServer;
using testsupport::TSshServer;
using testsupport::TTestAccount;

// The servers and their account, in a folder of their own.
struct TSite {
    fs::path Folder;
    std::unique_ptr<TTestAccount> Account;
    TSshServer Sftp;
    TFtpServer Ftp, Ftps;
    std::string Pin; // the FTPS certificate, as the user who accepted it holds it
};

TSite& Site() {
    static TSite site;
    return site;
}

bool StartSite() {
    TSite& site = Site();
    char folder[] = "/tmp/orvanix_bench_XXXXXX";
    if (!mkdtemp(folder)) return false;
    site.Folder = folder;
    fs::permissions(site.Folder, fs::perms(0755));
    fs::create_directories(site.Folder / "home/www");
    fs::create_directories(site.Folder / "client/.ssh");
    fs::create_directories(site.Folder / "servers");
    site.Account = std::make_unique<TTestAccount>(site.Folder / "home");
    site.Account->Own(site.Folder / "home");
    setenv("HOME", (site.Folder / "client").c_str(), 1);
    if (!site.Account->Created() ||
        !site.Sftp.Start(site.Folder / "servers", site.Folder / "servers/keys") ||
        !site.Ftp.Start(site.Folder / "servers", false) ||
        !site.Ftps.Start(site.Folder / "servers", true))
        return false;
    testsupport::WriteAll(site.Folder / "client/.ssh/known_hosts", site.Sftp.KnownHostsLine());
    testsupport::WriteAll(site.Folder / "client/news.rdf", std::string(20 << 10, 'x'));
    const std::string pin = (site.Folder / "servers/pin").string();
    testsupport::RunCommand("openssl x509 -in '" + (site.Folder / "servers/ftps.crt").string() +
                            "' -pubkey -noout | openssl pkey -pubin -outform der | openssl dgst "
                            "-sha256 -binary | base64 > '" +
                            pin + "'");
    const std::string base64 = testsupport::ReadAll(pin);
    site.Pin = "sha256//" + base64.substr(0, base64.find('\n'));
    return true;
}

void StopSite() {
    TSite& site = Site();
    site.Sftp.Stop();
    site.Ftp.Stop();
    site.Ftps.Stop();
    site.Account.reset();
    std::error_code ignored;
    fs::remove_all(site.Folder, ignored);
}

TPublishSettings SettingsFor(TPublishProtocol protocol) {
    TSite& site = Site();
    TPublishSettings settings;
    settings.Protocol = protocol;
    settings.Host = "127.0.0.1";
    settings.User = site.Account->Name();
    settings.RemoteFolder = "www";
    settings.PlainFtpAccepted = true;
    settings.Port = protocol == TPublishProtocol::Sftp  ? site.Sftp.Port()
                    : protocol == TPublishProtocol::Ftp ? site.Ftp.Port()
                                                        : site.Ftps.Port();
    if (protocol == TPublishProtocol::Ftps) settings.TrustedCertificate = site.Pin;
    return settings;
}

size_t ReadFeed(char* buffer, size_t size, size_t count, void* data) {
    return std::fread(buffer, size, count, static_cast<FILE*>(data));
}

// libcurl uploading the feed under another name and renaming it onto the feed.
bool CurlPublish(const TPublishSettings& settings, const std::string& feedPath) {
    const bool sftp = settings.Protocol == TPublishProtocol::Sftp;
    const std::string url = std::string(sftp ? "sftp://127.0.0.1:" : "ftp://127.0.0.1:") +
                            std::to_string(settings.Port) + (sftp ? "/~/www/" : "/www/") +
                            ".news.rdf.tmp";
    FILE* feed = std::fopen(feedPath.c_str(), "rb");
    CURL* curl = curl_easy_init();
    curl_slist* commands = nullptr;
    if (sftp) {
        commands = curl_slist_append(commands, "*rm www/news.rdf");
        commands = curl_slist_append(commands, "rename www/.news.rdf.tmp www/news.rdf");
        curl_easy_setopt(curl, CURLOPT_SSH_KNOWNHOSTS,
                         (Site().Folder / "client/.ssh/known_hosts").c_str());
        curl_easy_setopt(curl, CURLOPT_SSH_AUTH_TYPES, static_cast<long>(CURLSSH_AUTH_PASSWORD));
    } else {
        commands = curl_slist_append(commands, "RNFR .news.rdf.tmp");
        commands = curl_slist_append(commands, "RNTO news.rdf");
    }
    if (settings.Protocol == TPublishProtocol::Ftps) {
        curl_easy_setopt(curl, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
        curl_easy_setopt(curl, CURLOPT_PINNEDPUBLICKEY, settings.TrustedCertificate.c_str());
    }
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_USERNAME, settings.User.c_str());
    curl_easy_setopt(curl, CURLOPT_PASSWORD, Site().Account->Password().c_str());
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, &ReadFeed);
    curl_easy_setopt(curl, CURLOPT_READDATA, feed);
    curl_easy_setopt(curl, CURLOPT_POSTQUOTE, commands);
    const bool done = curl_easy_perform(curl) == CURLE_OK;
    curl_slist_free_all(commands);
    curl_easy_cleanup(curl);
    std::fclose(feed);
    return done;
}

double SecondsOf(const std::function<bool()>& work, bool& failed) {
    const auto start = std::chrono::steady_clock::now();
    failed = !work() || failed;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_PublishVsCurl(benchmark::State& state) {
    const auto protocol = static_cast<TPublishProtocol>(state.range(0));
    const TPublishSettings settings = SettingsFor(protocol);
    const std::string feed = (Site().Folder / "client/news.rdf").string();
    std::vector<double> ratios, curlSeconds;
    bool failed = false;
    for (auto _ : state) {
        const double publish = SecondsOf(
            [&] {
                return bool(PublishFeed(settings, feed, Site().Account->Password(), {}).Result);
            },
            failed);
        const double curl = SecondsOf([&] { return CurlPublish(settings, feed); }, failed);
        state.SetIterationTime(publish);
        ratios.push_back(publish / curl);
        curlSeconds.push_back(curl);
    }
    if (failed) state.SkipWithError("a publish failed");
    for (std::vector<double>* values : {&ratios, &curlSeconds})
        std::nth_element(values->begin(), values->begin() + values->size() / 2, values->end());
    state.counters["ratio"] = ratios[ratios.size() / 2];
    state.counters["curl_ms"] = curlSeconds[curlSeconds.size() / 2] * 1000;
}

} // namespace

BENCHMARK(BM_PublishVsCurl)
    ->ArgName("protocol") // 0 SFTP, 1 FTPS, 2 FTP
    ->Arg(static_cast<int>(TPublishProtocol::Sftp))
    ->Arg(static_cast<int>(TPublishProtocol::Ftps))
    ->Arg(static_cast<int>(TPublishProtocol::Ftp))
    ->Iterations(31)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    if (geteuid() != 0) {
        std::puts("bench_publish: skipped, the servers' account needs root");
        return 0;
    }
    curl_global_init(CURL_GLOBAL_DEFAULT);
    const bool started = StartSite();
    if (started) {
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    } else {
        std::puts("bench_publish: the servers did not start");
    }
    StopSite();
    return started ? 0 : 1;
}
