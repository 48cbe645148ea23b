#include "publish/FtpFolder.h"

#include "publish/HostKeys.h"
#include "text/PercentEncode.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <curl/curl.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>
#include <optional>

namespace {

constexpr long ConnectSeconds = 20;
constexpr long StalledSeconds = 30;  // a server that answers nothing this long has been lost
constexpr size_t MaxReplyLines = 64; // kept of one request's replies
constexpr int PollMilliseconds = 10; // the longest a request waits without looking again

using TStatus = TRemoteStatus;

TStatus Failed(TRemoteFault fault, std::string detail = {}) {
    return {fault, std::move(detail)};
}

// Failures that libcurl names plainly; the others depend on the server's reply.
const std::pair<CURLcode, TRemoteFault> PlainFaults[] = {
    {CURLE_ABORTED_BY_CALLBACK, TRemoteFault::Cancelled},
    {CURLE_COULDNT_RESOLVE_HOST, TRemoteFault::HostNotFound},
    {CURLE_COULDNT_CONNECT, TRemoteFault::Unreachable},
    {CURLE_LOGIN_DENIED, TRemoteFault::LoginDenied},
    {CURLE_REMOTE_FILE_NOT_FOUND, TRemoteFault::NoSuchFile},
    // What a server says when it cannot change into a folder.
    {CURLE_REMOTE_ACCESS_DENIED, TRemoteFault::NoSuchFile},
    {CURLE_REMOTE_DISK_FULL, TRemoteFault::DiskFull},
    {CURLE_OPERATION_TIMEDOUT, TRemoteFault::TimedOut},
};

// The address of a file in the remote folder (or of the folder itself, `name` empty). FTP paths
// start in the login folder, so an absolute folder starts with an encoded "/".
std::string FolderUrl(const TPublishSettings& settings, const std::string& name, bool withUser) {
    const std::string host =
        settings.Host.find(':') != std::string::npos ? "[" + settings.Host + "]" : settings.Host;
    // Without a password the user goes into the address: libcurl looks the password up in
    // ~/.netrc only then (and a user in the address would hide a password given apart).
    const std::string user =
        withUser ? PercentEncode(settings.User, TPercentEncoding::QueryValue) + "@" : "";
    std::string url = "ftp://" + user + host + ":" + std::to_string(EffectivePort(settings)) + "/";
    const std::string folder = RemoteFolderPath(settings);
    if (folder.starts_with('/')) url += "%2F";
    for (size_t start = 0, end; start < folder.size(); start = end + 1) {
        end = std::min(folder.find('/', start), folder.size());
        if (end > start)
            url += PercentEncode(folder.substr(start, end - start), TPercentEncoding::QueryValue) +
                   "/";
    }
    return url + PercentEncode(name, TPercentEncoding::QueryValue);
}

std::string Date(const ASN1_TIME* time) {
    tm parts{};
    char text[16] = {};
    if (ASN1_TIME_to_tm(time, &parts) == 1) std::strftime(text, sizeof text, "%Y-%m-%d", &parts);
    return text;
}

// The names a certificate was issued for: its alternative names, else its common name.
std::string IssuedNames(X509* certificate) {
    std::string names;
    const auto add = [&names](const std::string& name) {
        names += (names.empty() ? "" : ", ") + name;
    };
    auto* alternatives = static_cast<GENERAL_NAMES*>(
        X509_get_ext_d2i(certificate, NID_subject_alt_name, nullptr, nullptr));
    for (int at = 0; at < sk_GENERAL_NAME_num(alternatives); ++at) {
        const GENERAL_NAME* name = sk_GENERAL_NAME_value(alternatives, at);
        if (name->type == GEN_DNS)
            add(reinterpret_cast<const char*>(ASN1_STRING_get0_data(name->d.dNSName)));
        if (name->type == GEN_IPADD) {
            char text[64] = {};
            const ASN1_OCTET_STRING* ip = name->d.iPAddress;
            if (ip->length == 4)
                std::snprintf(text, sizeof text, "%d.%d.%d.%d", ip->data[0], ip->data[1],
                              ip->data[2], ip->data[3]);
            add(text);
        }
    }
    GENERAL_NAMES_free(alternatives);
    if (names.empty()) {
        char common[256] = {};
        X509_NAME_get_text_by_NID(X509_get_subject_name(certificate), NID_commonName, common,
                                  sizeof common);
        add(common);
    }
    return names;
}

// What the user is told of the server's own certificate.
TCertificateFacts FactsOf(X509* certificate, const std::string& host) {
    TCertificateFacts facts;
    facts.Host = host;
    unsigned char* der = nullptr;
    const int length = i2d_X509(certificate, &der);
    if (length > 0) {
        facts.Fingerprint =
            CertificateFingerprint(std::string(reinterpret_cast<char*>(der), length));
        OPENSSL_free(der);
    }
    facts.SelfSigned = X509_check_issued(certificate, certificate) == X509_V_OK;
    const bool named = X509_check_host(certificate, host.c_str(), host.size(), 0, nullptr) == 1 ||
                       X509_check_ip_asc(certificate, host.c_str(), 0) == 1;
    if (!named) facts.IssuedFor = IssuedNames(certificate);
    if (X509_cmp_current_time(X509_get0_notAfter(certificate)) < 0)
        facts.ExpiredOn = Date(X509_get0_notAfter(certificate));
    if (X509_cmp_current_time(X509_get0_notBefore(certificate)) > 0)
        facts.ValidFrom = Date(X509_get0_notBefore(certificate));
    return facts;
}

std::string CertificatePin(X509* certificate) {
    unsigned char* der = nullptr;
    const int length = i2d_X509_PUBKEY(X509_get_X509_PUBKEY(certificate), &der);
    if (length <= 0) return {};
    const std::string key(reinterpret_cast<const char*>(der), static_cast<size_t>(length));
    OPENSSL_free(der);
    return PublicKeyPin(key);
}

// What the certificate check met during one connection.
struct TTrust {
    std::string Host;
    std::string Pin;     // the user accepted this key; empty: the system must trust it
    std::string Offered; // the pin of the certificate the server showed
    TCertificateFacts Facts;
    bool Refused = false; // the system does not trust the server's certificate
};

// The trust record of the connection whose certificate is being checked on this thread.
thread_local TTrust* checkedTrust = nullptr;

// Notes the server's own certificate as the check meets it, and whether the system trusts it.
int OnCertificateCheck(int verified, X509_STORE_CTX* store) {
    if (!checkedTrust) return verified;
    if (X509_STORE_CTX_get_error_depth(store) == 0) {
        X509* certificate = X509_STORE_CTX_get_current_cert(store);
        checkedTrust->Offered = CertificatePin(certificate);
        checkedTrust->Facts = FactsOf(certificate, checkedTrust->Host);
    }
    checkedTrust->Refused = checkedTrust->Refused || !verified;
    return verified;
}

// Without a certificate the user accepted, one the system does not trust ends the handshake
// there, before the password is sent. An accepted one is checked against its pin instead.
CURLcode OnTlsContext(CURL*, void* context, void*) {
    const bool pinned = checkedTrust && !checkedTrust->Pin.empty();
    SSL_CTX_set_verify(static_cast<SSL_CTX*>(context), pinned ? SSL_VERIFY_NONE : SSL_VERIFY_PEER,
                       &OnCertificateCheck);
    return CURLE_OK;
}

// The line of a STAT reply's listing ("213-" to "213 ") that names `name`, without the blanks
// some servers start it with: a file's ends in its name, a link's has its name before " -> ".
// Empty when the listing has no such line; none when the server gave no listing.
std::optional<std::string> ListingLine(const std::vector<std::string>& replies,
                                       const std::string& name) {
    const auto start = std::find_if(replies.begin(), replies.end(), [](const std::string& line) {
        return line.starts_with("213-");
    });
    if (start == replies.end()) return std::nullopt;
    for (auto line = start + 1; line != replies.end() && !line->starts_with("213 "); ++line)
        if (line->ends_with(" " + name) || line->find(" " + name + " -> ") != std::string::npos)
            return line->substr(std::min(line->find_first_not_of(' '), line->size()));
    return std::string();
}

struct TReadSource {
    const std::string* Bytes;
    size_t At = 0;
};

size_t ReadFromSource(char* buffer, size_t size, size_t count, void* data) {
    TReadSource& source = *static_cast<TReadSource*>(data);
    const size_t n = std::min(size * count, source.Bytes->size() - source.At);
    std::copy_n(source.Bytes->data() + source.At, n, buffer);
    source.At += n;
    return n;
}

struct TReadBack {
    std::string Bytes;
    size_t Limit;
};

size_t WriteToReadBack(char* buffer, size_t size, size_t count, void* data) {
    TReadBack& back = *static_cast<TReadBack*>(data);
    if (back.Bytes.size() + size * count > back.Limit) return 0; // larger than expected: stop
    back.Bytes.append(buffer, size * count);
    return size * count;
}

} // namespace

// One control connection and the trust it was opened with.
struct TFtpFolder::TConnection {
    TConnection(const TPublishSettings& given, const std::string& password,
                const TPublishPrompts& questions, TProgressReport& progress)
        : multi(curl_multi_init(), &curl_multi_cleanup), curl(curl_easy_init(), &curl_easy_cleanup),
          settings(given), prompts(questions), report(progress), withUser(password.empty()) {
        trust.Host = settings.Host;
        trust.Pin = settings.TrustedCertificate;
        if (!multi || !curl) {
            failure = Failed(TRemoteFault::Other, "curl_easy_init");
            return;
        }
        Set(CURLOPT_ERRORBUFFER, error);
        Set(CURLOPT_NOSIGNAL, 1L);
        Set(CURLOPT_CONNECTTIMEOUT, ConnectSeconds);
        Set(CURLOPT_SERVER_RESPONSE_TIMEOUT, StalledSeconds);
        Set(CURLOPT_LOW_SPEED_LIMIT, 1L);
        Set(CURLOPT_LOW_SPEED_TIME, StalledSeconds);
        if (!password.empty()) {
            Set(CURLOPT_USERNAME, settings.User.c_str());
            Set(CURLOPT_PASSWORD, password.c_str());
        } else {
            Set(CURLOPT_NETRC, static_cast<long>(CURL_NETRC_OPTIONAL));
        }
        Set(CURLOPT_NOPROGRESS, 0L);
        Set(CURLOPT_XFERINFOFUNCTION, &TConnection::OnProgress);
        Set(CURLOPT_XFERINFODATA, this);
        Set(CURLOPT_HEADERFUNCTION, &TConnection::OnReply);
        Set(CURLOPT_HEADERDATA, this);
        Set(CURLOPT_PROTOCOLS_STR, "ftp");
        Set(CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_SINGLECWD));
        if (settings.Protocol != TPublishProtocol::Ftps) return;
        Set(CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
        Set(CURLOPT_SSL_CTX_FUNCTION, &OnTlsContext);
        if (!trust.Pin.empty()) TrustPin();
    }

    // The user accepted this very key: it stands in for the system's trust and the name.
    void TrustPin() {
        Set(CURLOPT_SSL_VERIFYPEER, 0L);
        Set(CURLOPT_SSL_VERIFYHOST, 0L);
        Set(CURLOPT_PINNEDPUBLICKEY, trust.Pin.c_str());
    }

    // Runs the request set up on the handle.
    TStatus Perform(const std::string& url) {
        if (!failure) return failure;
        Set(CURLOPT_URL, url.c_str());
        reply.clear();
        replies.clear();
        checkedTrust = &trust;
        const CURLcode code = Transfer();
        checkedTrust = nullptr;
        return code == CURLE_OK ? TStatus() : Explain(code);
    }

    // Runs the request to its end. libcurl's own loop may sleep a second while it has nothing to
    // wait on, as it has between a passive data connection's reply and its connect; this loop
    // looks again every few milliseconds.
    CURLcode Transfer() {
        if (curl_multi_add_handle(multi.get(), curl.get()) != CURLM_OK) return CURLE_OUT_OF_MEMORY;
        int running = 1;
        CURLMcode state = CURLM_OK;
        while (running && state == CURLM_OK) {
            state = curl_multi_perform(multi.get(), &running);
            if (running && state == CURLM_OK)
                state = curl_multi_poll(multi.get(), nullptr, 0, PollMilliseconds, nullptr);
        }
        CURLcode code = state == CURLM_OK ? CURLE_OK : CURLE_OUT_OF_MEMORY;
        int left = 0;
        while (const CURLMsg* message = curl_multi_info_read(multi.get(), &left))
            if (message->msg == CURLMSG_DONE) code = message->data.result;
        curl_multi_remove_handle(multi.get(), curl.get());
        return code;
    }

    // Runs `commands` on the server without a transfer, then looks at the file `name` in the
    // folder (its size, in binary mode), or at the folder itself.
    TStatus Run(const std::vector<std::string>& commands, const std::string& name = {}) {
        curl_slist* list = nullptr;
        for (const std::string& command : commands)
            list = curl_slist_append(list, command.c_str());
        Set(CURLOPT_NOBODY, 1L);
        Set(CURLOPT_QUOTE, list);
        const TStatus status = Perform(FolderUrl(settings, name, withUser));
        Set(CURLOPT_QUOTE, static_cast<curl_slist*>(nullptr));
        Set(CURLOPT_NOBODY, 0L);
        curl_slist_free_all(list);
        return status;
    }

    // A file's path in the remote folder as the server's commands take it. A relative folder
    // lies in the login folder, while commands run in whatever folder the connection last changed
    // into, so they get the login folder the server named in front.
    std::string CommandPath(const std::string& name) const {
        const std::string path = RemoteFilePath(settings, name);
        if (path.starts_with('/')) return path;
        const char* login = nullptr;
        curl_easy_getinfo(curl.get(), CURLINFO_FTP_ENTRY_PATH, &login);
        if (!login || login[0] != '/' || HasControlCharacter(login)) return path;
        std::string folder = login;
        if (!folder.ends_with('/')) folder += '/';
        return folder + path;
    }

    long ResponseCode() const {
        long code = 0;
        curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &code);
        return code;
    }

    template <typename Value> void Set(CURLoption option, Value value) {
        const CURLcode code = curl_easy_setopt(curl.get(), option, value);
        if (code == CURLE_OK || !failure) return;
        const curl_easyoption* known = curl_easy_option_by_id(option);
        failure =
            Failed(TRemoteFault::Other, std::string("CURLOPT_") + (known ? known->name : "?") +
                                            ": " + curl_easy_strerror(code));
    }

    // The server's words of its last reply, else libcurl's.
    std::string Words(CURLcode code) const {
        if (!reply.empty()) return reply;
        return error[0] ? error : curl_easy_strerror(code);
    }

    TStatus Explain(CURLcode code) const {
        const bool trustFailed = code == CURLE_PEER_FAILED_VERIFICATION ||
                                 code == CURLE_SSL_PINNEDPUBKEYNOTMATCH ||
                                 (code == CURLE_SSL_CONNECT_ERROR && trust.Refused);
        if (trustFailed) return Untrusted();
        const auto plain = std::find_if(std::begin(PlainFaults), std::end(PlainFaults),
                                        [code](const auto& known) { return known.first == code; });
        if (plain != std::end(PlainFaults)) return Failed(plain->second, Words(code));
        return FromReply(code, ResponseCode(), Words(code));
    }

    // A refusal the server gave in its reply, a connection that broke, or what libcurl said.
    static TStatus FromReply(CURLcode code, long response, const std::string& words) {
        if (response == 451 || response == 452 || response == 552)
            return Failed(TRemoteFault::DiskFull, words); // "Failure writing to local file."
        if (response == 550) return Failed(TRemoteFault::NoSuchFile, words);
        if (response == 553 || response == 532 || response == 530)
            return Failed(TRemoteFault::PermissionDenied, words);
        const bool broke = code == CURLE_SEND_ERROR || code == CURLE_RECV_ERROR ||
                           code == CURLE_GOT_NOTHING || code == CURLE_PARTIAL_FILE ||
                           code == CURLE_UPLOAD_FAILED;
        return Failed(broke ? TRemoteFault::ConnectionLost : TRemoteFault::Other, words);
    }

    TStatus Untrusted() const {
        const TCertificateFacts& facts = trust.Facts;
        if (!trust.Pin.empty())
            return Failed(TRemoteFault::NotTrusted,
                          "サーバー " + settings.Host +
                              " の証明書が、以前に受け入れたものと違います (新しい証明書の SHA-256 "
                              "指紋: " +
                              facts.Fingerprint +
                              ")。なりすましの恐れがあるため接続しません。サーバーの管理者に確認し"
                              "てください。");
        return Failed(TRemoteFault::NotTrusted,
                      "サーバー " + settings.Host +
                          " の証明書は信頼されていません (SHA-256 指紋: " + facts.Fingerprint +
                          ")。" + CertificateDoubts(facts));
    }

    // Called about once a second while the server is silent, more often while data moves.
    static int OnProgress(void* data, curl_off_t, curl_off_t, curl_off_t, curl_off_t sent) {
        TConnection& self = *static_cast<TConnection*>(data);
        return self.report.Report(self.uploading ? static_cast<uint64_t>(sent) : 0) ? 0 : 1;
    }

    // Keeps the lines the server replied with during a request.
    static size_t OnReply(char* buffer, size_t size, size_t count, void* data) {
        TConnection& self = *static_cast<TConnection*>(data);
        std::string line(buffer, size * count);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        if (!line.empty() && self.replies.size() < MaxReplyLines)
            self.replies.push_back(self.reply = line);
        return size * count;
    }

    // The multi handle keeps the connection from one request to the next; destroyed after the
    // easy handle.
    std::unique_ptr<CURLM, CURLMcode (*)(CURLM*)> multi;
    std::unique_ptr<CURL, void (*)(CURL*)> curl;
    const TPublishSettings& settings;
    const TPublishPrompts& prompts;
    TProgressReport& report;
    const bool withUser;
    TTrust trust;
    TStatus failure; // a setting the handle refused
    char error[CURL_ERROR_SIZE] = {};
    std::string reply;                // the last line of the server's last reply
    std::vector<std::string> replies; // every line of the replies to the last request
    bool uploading = false;
};

TFtpFolder::TFtpFolder(const TPublishSettings& settings, const std::string& password,
                       const TPublishPrompts& prompts, TProgressReport& report)
    : connection_(std::make_unique<TConnection>(settings, password, prompts, report)) {
    static const bool initialised [[maybe_unused]] =
        curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
}

TFtpFolder::~TFtpFolder() = default;

TRemoteStatus TFtpFolder::Open() {
    TConnection& connection = *connection_;
    const TStatus opened = connection.Run({});
    const TTrust& trust = connection.trust;
    const bool offered =
        opened.Fault == TRemoteFault::NotTrusted && trust.Pin.empty() && !trust.Offered.empty();
    if (!offered || !connection.prompts.AcceptCertificate ||
        !connection.prompts.AcceptCertificate(trust.Facts))
        return opened;
    accepted_ = connection.trust.Pin = trust.Offered;
    connection.TrustPin();
    return connection.Run({});
}

TRemoteStatus TFtpFolder::Create(const std::string& name, const std::string& bytes) {
    TConnection& connection = *connection_;
    TRemoteEntry entry;
    if (TStatus looked = Look(name, entry); !looked) return looked;
    if (entry.Exists) return Failed(TRemoteFault::NameTaken);
    TReadSource source{&bytes, 0};
    connection.Set(CURLOPT_UPLOAD, 1L);
    connection.Set(CURLOPT_READFUNCTION, &ReadFromSource);
    connection.Set(CURLOPT_READDATA, &source);
    connection.Set(CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(bytes.size()));
    connection.uploading = true;
    TStatus status = connection.Perform(FolderUrl(connection.settings, name, connection.withUser));
    connection.uploading = false;
    connection.Set(CURLOPT_UPLOAD, 0L);
    // A server that cannot write may close the data connection before it says why.
    if (status.Fault == TRemoteFault::ConnectionLost && Look(name, entry))
        status.Fault = TRemoteFault::WriteStopped;
    return status;
}

TRemoteStatus TFtpFolder::Look(const std::string& name, TRemoteEntry& entry) {
    TConnection& connection = *connection_;
    entry = {};
    const std::string path = connection.CommandPath(name);
    // STAT lists the name as `ls -l` does, on the control connection, and tells a link (even
    // one that leads nowhere) from a file; libcurl's look at the file asks its size, which
    // follows links, in binary mode, which the upload then need not ask for again.
    const TStatus looked = connection.Run({"*STAT " + path}, name);
    if (!looked && looked.Fault != TRemoteFault::NoSuchFile) return looked;
    const std::optional<std::string> listing = ListingLine(connection.replies, name);
    curl_off_t size = -1;
    curl_easy_getinfo(connection.curl.get(), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &size);
    if (looked && size >= 0) entry.Size = static_cast<uint64_t>(size);
    entry.Exists = entry.Size || (listing && !listing->empty());
    // A server whose listing leaves out what has a size shows something other than a file.
    if (listing) entry.Regular = listing->starts_with('-');
    return {};
}

TRemoteStatus TFtpFolder::Read(const std::string& name, std::string& bytes, size_t limit) {
    TConnection& connection = *connection_;
    TReadBack back{{}, limit};
    connection.Set(CURLOPT_WRITEFUNCTION, &WriteToReadBack);
    connection.Set(CURLOPT_WRITEDATA, &back);
    const TStatus status =
        connection.Perform(FolderUrl(connection.settings, name, connection.withUser));
    bytes = std::move(back.Bytes);
    return status;
}

TRemoteStatus TFtpFolder::MakeReadable(const std::string& name) {
    // Servers without SITE CHMOD leave the file as it is.
    return connection_->Run({"*SITE CHMOD 644 " + connection_->CommandPath(name)});
}

TRemoteStatus TFtpFolder::Replace(const std::string& from, const std::string& to) {
    return Rename(from, to);
}

TRemoteStatus TFtpFolder::Rename(const std::string& from, const std::string& to) {
    TConnection& connection = *connection_;
    return connection.Run(
        {"RNFR " + connection.CommandPath(from), "RNTO " + connection.CommandPath(to)});
}

TRemoteStatus TFtpFolder::Remove(const std::string& name) {
    return connection_->Run({"DELE " + connection_->CommandPath(name)});
}
