#include "publish/Publisher.h"

#include "publish/HostKeys.h"
#include "text/CodePage.h"
#include "text/PercentEncode.h"
#include "text/S_string.h"

#include <algorithm>
#include <cerrno>
#include <curl/curl.h>
#include <fstream>
#include <memory>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr long ConnectSeconds = 20;
constexpr long StalledSeconds = 30; // a transfer that moves nothing this long has been lost

// A message for the user from UTF-8 text; paths and names from the server shown as far as code
// page 932 can show them.
TResult Because(const std::string& utf8) {
    return TResult::Because(Utf8ToCp932Shown(utf8));
}

bool IsSftp(const TPublishSettings& settings) {
    return settings.Protocol == TPublishProtocol::Sftp;
}

bool HasControlCharacter(const std::string& text) {
    return std::any_of(text.begin(), text.end(),
                       [](char ch) { return static_cast<unsigned char>(ch) < 0x20 || ch == 0x7F; });
}

std::string FolderWithoutSlashes(const std::string& folder) {
    std::string trimmed = folder;
    while (trimmed.ends_with('/'))
        trimmed.pop_back();
    return trimmed;
}

bool IsAbsolute(const TPublishSettings& settings) {
    return settings.RemoteFolder.starts_with('/');
}

// The address of a file in the remote folder (or of the folder itself, `name` empty). SFTP paths
// start at the root, so a folder inside the login folder goes below "~"; FTP paths start in the
// login folder, so an absolute one starts with an encoded "/".
std::string RemoteUrl(const TPublishSettings& settings, const std::string& name, bool withUser) {
    const bool sftp = IsSftp(settings);
    const std::string host =
        settings.Host.find(':') != std::string::npos ? "[" + settings.Host + "]" : settings.Host;
    // Without a password the user goes into the address: libcurl looks the password up in
    // ~/.netrc only then (and a user in the address would hide a password given apart).
    const std::string user =
        withUser ? PercentEncode(settings.User, TPercentEncoding::QueryValue) + "@" : "";
    std::string url = (sftp ? "sftp://" : "ftp://") + user + host + ":" +
                      std::to_string(EffectivePort(settings)) + "/";
    if (IsAbsolute(settings))
        url += sftp ? "" : "%2F";
    else if (sftp)
        url += "~/";
    const std::string folder = FolderWithoutSlashes(settings.RemoteFolder) + "/";
    for (size_t start = 0, end; (end = folder.find('/', start)) != std::string::npos;
         start = end + 1)
        if (end > start)
            url += PercentEncode(folder.substr(start, end - start), TPercentEncoding::QueryValue) +
                   "/";
    return url + PercentEncode(name, TPercentEncoding::QueryValue);
}

// A file's path in the remote folder as the server's commands take it. A relative folder lies in
// the login folder: SFTP paths start there, while FTP commands run in whatever folder the
// connection last changed into, so they get the login folder the server named (`loginFolder`)
// in front. SFTP commands take the path quoted, FTP ones to the line's end.
std::string RemotePath(const TPublishSettings& settings, const std::string& loginFolder,
                       const std::string& name) {
    const std::string folder = FolderWithoutSlashes(settings.RemoteFolder);
    const std::string path =
        folder.empty() ? (IsAbsolute(settings) ? "/" : "") + name : folder + "/" + name;
    if (!IsSftp(settings))
        return IsAbsolute(settings) || loginFolder.empty()
                   ? path
                   : FolderWithoutSlashes(loginFolder) + "/" + path;
    std::string quoted = "\"";
    for (const char ch : path) {
        if (ch == '"' || ch == '\\') quoted += '\\';
        quoted += ch;
    }
    return quoted + "\"";
}

// Commands run on the server; a leading "*" lets one fail without failing the rest.
std::vector<std::string> RenameCommands(const TPublishSettings& settings,
                                        const std::string& loginFolder, const std::string& from,
                                        const std::string& to, bool deleteFirst) {
    const std::string source = RemotePath(settings, loginFolder, from);
    const std::string target = RemotePath(settings, loginFolder, to);
    if (IsSftp(settings)) {
        std::vector<std::string> commands;
        if (deleteFirst) commands.push_back("*rm " + target);
        commands.push_back("rename " + source + " " + target);
        return commands;
    }
    // FTP servers often create files readable by their owner alone: a web server must read it.
    std::vector<std::string> commands{"*SITE CHMOD 644 " + source};
    if (deleteFirst) commands.push_back("*DELE " + target);
    commands.push_back("RNFR " + source);
    commands.push_back("RNTO " + target);
    return commands;
}

std::vector<std::string> RemoveCommands(const TPublishSettings& settings,
                                        const std::string& loginFolder, const std::string& name) {
    return {(IsSftp(settings) ? "*rm " : "*DELE ") + RemotePath(settings, loginFolder, name)};
}

// The first key of the user's own that exists; the agent is asked besides.
std::string UserPrivateKey() {
    const char* home = std::getenv("HOME");
    for (const char* name : {"id_ed25519", "id_ecdsa", "id_rsa"}) {
        const std::string path = std::string(home ? home : "") + "/.ssh/" + name;
        if (access(path.c_str(), R_OK) == 0) return path;
    }
    return {};
}

enum class THostKeyState { Known, Unknown, Changed };

// What the trust checks met during one connection.
struct TTrust {
    TTrust(const TPublishSettings& settings, const TPublishPrompts& prompts)
        : Settings(&settings), Prompts(&prompts) {}
    const TPublishSettings* Settings;
    const TPublishPrompts* Prompts;
    THostKeyState HostKey = THostKeyState::Known;
    std::string Fingerprint; // of an unknown or changed host key, or of an untrusted certificate
    std::string CertificatePin;
    bool CertificateRefused = false; // the system does not trust the server's certificate
    TResult Remembered;              // adding an accepted host key to known_hosts
};

int OnHostKey(CURL*, const curl_khkey*, const curl_khkey* found, curl_khmatch match, void* data) {
    TTrust& trust = *static_cast<TTrust*>(data);
    if (match == CURLKHMATCH_OK) return CURLKHSTAT_FINE;
    const std::string blob(found->key, found->len);
    trust.Fingerprint = HostKeyFingerprint(blob);
    trust.HostKey = match == CURLKHMATCH_MISMATCH ? THostKeyState::Changed : THostKeyState::Unknown;
    if (trust.HostKey == THostKeyState::Changed || !trust.Prompts->AcceptHostKey)
        return CURLKHSTAT_REJECT;
    try {
        if (!trust.Prompts->AcceptHostKey(trust.Settings->Host, trust.Fingerprint))
            return CURLKHSTAT_REJECT;
        trust.Remembered = RememberHostKey(UserKnownHostsFile(), trust.Settings->Host,
                                           EffectivePort(*trust.Settings), blob);
    } catch (const std::exception& error) {
        trust.Remembered = TResult::Because(error.what());
    }
    trust.HostKey = THostKeyState::Known;
    return CURLKHSTAT_FINE;
}

std::string CertificatePin(X509* certificate) {
    unsigned char* der = nullptr;
    const int length = i2d_X509_PUBKEY(X509_get_X509_PUBKEY(certificate), &der);
    if (length <= 0) return {};
    const std::string key(reinterpret_cast<const char*>(der), static_cast<size_t>(length));
    OPENSSL_free(der);
    return PublicKeyPin(key);
}

// The trust record of the connection whose certificate is being checked on this thread.
thread_local TTrust* checkedTrust = nullptr;

// Notes the server's own certificate as the check meets it, and whether the system trusts it.
int OnCertificateCheck(int verified, X509_STORE_CTX* store) {
    if (!checkedTrust) return verified;
    if (X509_STORE_CTX_get_error_depth(store) == 0)
        checkedTrust->CertificatePin = CertificatePin(X509_STORE_CTX_get_current_cert(store));
    checkedTrust->CertificateRefused = checkedTrust->CertificateRefused || !verified;
    return verified;
}

// Without a certificate the user accepted, one the system does not trust ends the handshake
// there, before the password is sent. An accepted one is checked against its pin instead.
CURLcode OnTlsContext(CURL*, void* context, void*) {
    const bool pinned = checkedTrust && !checkedTrust->Settings->TrustedCertificate.empty();
    SSL_CTX_set_verify(static_cast<SSL_CTX*>(context), pinned ? SSL_VERIFY_NONE : SSL_VERIFY_PEER,
                       &OnCertificateCheck);
    return CURLE_OK;
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
    if (back.Bytes.size() + size * count > back.Limit) return 0; // larger than sent: stop
    back.Bytes.append(buffer, size * count);
    return size * count;
}

// One connection to the server, kept open from the upload to the rename.
class TConnection {
public:
    TConnection(const TPublishSettings& settings, const std::string& password,
                const TPublishPrompts& prompts, TTrust& trust)
        : curl_(curl_easy_init()), prompts_(prompts), passwordGiven_(!password.empty()) {
        if (!curl_) throw std::bad_alloc();
        Set(CURLOPT_ERRORBUFFER, error_);
        Set(CURLOPT_NOSIGNAL, 1L);
        Set(CURLOPT_CONNECTTIMEOUT, ConnectSeconds);
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
        if (IsSftp(settings))
            SetUpSftp(settings, trust);
        else
            SetUpFtp(settings);
    }
    ~TConnection() { curl_easy_cleanup(curl_); }
    TConnection(const TConnection&) = delete;
    TConnection& operator=(const TConnection&) = delete;

    CURLcode Upload(const std::string& url, const std::string& bytes) {
        TReadSource source{&bytes, 0};
        Set(CURLOPT_URL, url.c_str());
        Set(CURLOPT_UPLOAD, 1L);
        Set(CURLOPT_READFUNCTION, &ReadFromSource);
        Set(CURLOPT_READDATA, &source);
        Set(CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(bytes.size()));
        total_ = bytes.size();
        uploading_ = true;
        const CURLcode code = Perform(true);
        uploading_ = false;
        Set(CURLOPT_UPLOAD, 0L);
        return code;
    }

    // Reads the file at `url` back, up to `limit` bytes.
    CURLcode Download(const std::string& url, std::string& bytes, size_t limit) {
        TReadBack back{{}, limit};
        Set(CURLOPT_URL, url.c_str());
        Set(CURLOPT_WRITEFUNCTION, &WriteToReadBack);
        Set(CURLOPT_WRITEDATA, &back);
        const CURLcode code = Perform(true);
        bytes = std::move(back.Bytes);
        return code;
    }

    // Runs `commands` on the server without a transfer.
    CURLcode Run(const std::string& folderUrl, const std::vector<std::string>& commands) {
        curl_slist* list = nullptr;
        for (const std::string& command : commands)
            list = curl_slist_append(list, command.c_str());
        Set(CURLOPT_URL, folderUrl.c_str());
        Set(CURLOPT_NOBODY, 1L);
        Set(CURLOPT_QUOTE, list);
        const CURLcode code = Perform(false);
        Set(CURLOPT_QUOTE, static_cast<curl_slist*>(nullptr));
        Set(CURLOPT_NOBODY, 0L);
        curl_slist_free_all(list);
        return code;
    }

    const char* ErrorText() const { return error_; }
    bool PasswordGiven() const { return passwordGiven_; }
    // The folder an FTP server put the login in; empty when not known.
    std::string LoginFolder() const {
        const char* path = nullptr;
        curl_easy_getinfo(curl_, CURLINFO_FTP_ENTRY_PATH, &path);
        return path && path[0] == '/' && !HasControlCharacter(path) ? path : "";
    }
    long ResponseCode() const {
        long code = 0;
        curl_easy_getinfo(curl_, CURLINFO_RESPONSE_CODE, &code);
        return code;
    }
    uint64_t Sent() const { return sent_; }
    bool Cancelled() const { return cancelled_; }

private:
    template <typename Value> void Set(CURLoption option, Value value) {
        if (curl_easy_setopt(curl_, option, value) != CURLE_OK) throw std::bad_alloc();
    }

    void SetUpSftp(const TPublishSettings& settings, TTrust& trust) {
        Set(CURLOPT_PROTOCOLS_STR, "sftp");
        Set(CURLOPT_SSH_KNOWNHOSTS, UserKnownHostsFile().c_str());
        Set(CURLOPT_SSH_KEYFUNCTION, &OnHostKey);
        Set(CURLOPT_SSH_KEYDATA, &trust);
        Set(CURLOPT_NEW_FILE_PERMS, 0644L);
        if (settings.Login == TSftpLogin::Password) {
            Set(CURLOPT_SSH_AUTH_TYPES,
                static_cast<long>(CURLSSH_AUTH_PASSWORD | CURLSSH_AUTH_KEYBOARD));
            return;
        }
        long types = CURLSSH_AUTH_AGENT;
        if (const std::string key = UserPrivateKey(); !key.empty()) {
            Set(CURLOPT_SSH_PRIVATE_KEYFILE, key.c_str());
            types |= CURLSSH_AUTH_PUBLICKEY;
        }
        Set(CURLOPT_SSH_AUTH_TYPES, types);
    }

    void SetUpFtp(const TPublishSettings& settings) {
        Set(CURLOPT_PROTOCOLS_STR, "ftp");
        Set(CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_SINGLECWD));
        if (settings.Protocol != TPublishProtocol::Ftps) return;
        Set(CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
        Set(CURLOPT_SSL_CTX_FUNCTION, &OnTlsContext);
        if (settings.TrustedCertificate.empty()) return;
        // The user accepted this very key: it stands in for the system's trust and the name.
        Set(CURLOPT_SSL_VERIFYPEER, 0L);
        Set(CURLOPT_SSL_VERIFYHOST, 0L);
        Set(CURLOPT_PINNEDPUBLICKEY, settings.TrustedCertificate.c_str());
    }

    // Runs the transfer set up on the handle. A cancellable one (the connection, the upload and
    // the read-back: until the rename the published feed is untouched) reports its progress and
    // stops when told to; the rename and the clean-up after a failure always run to their end.
    CURLcode Perform(bool cancellable) {
        cancellable_ = cancellable;
        const CURLcode code = curl_easy_perform(curl_);
        cancellable_ = false;
        return code;
    }

    // Called about once a second while the server is silent, more often while data moves.
    static int OnProgress(void* data, curl_off_t, curl_off_t, curl_off_t, curl_off_t now) {
        TConnection& self = *static_cast<TConnection*>(data);
        if (!self.cancellable_) return 0;
        if (self.uploading_) self.sent_ = static_cast<uint64_t>(now);
        try {
            if (self.prompts_.Progress && !self.prompts_.Progress(self.sent_, self.total_))
                self.cancelled_ = true;
        } catch (const std::exception&) {
            self.cancelled_ = true;
        }
        return self.cancelled_ ? 1 : 0;
    }

    CURL* curl_;
    const TPublishPrompts& prompts_;
    bool passwordGiven_;
    char error_[CURL_ERROR_SIZE] = {};
    bool uploading_ = false;
    bool cancellable_ = false;
    bool cancelled_ = false;
    uint64_t sent_ = 0;
    uint64_t total_ = 0;
};

enum class TStep { Upload, ReadBack, Rename };

const char* const Unchanged = "公開済みのフィードは元のままです。";

TResult Unexpected(const TConnection& connection) {
    return Because(std::string("サーバーとの通信でエラーが起きました (") + connection.ErrorText() +
                   ")。" + Unchanged);
}

TResult TrustFailure(const TPublishSettings& settings, const TTrust& trust) {
    const std::string host = settings.Host;
    if (trust.HostKey == THostKeyState::Changed)
        return Because(
            "サーバー " + host + " のホスト鍵が ~/.ssh/known_hosts に記録されたものと違います (" +
            trust.Fingerprint +
            ")。なりすましの恐れがあるため接続しません。サーバーの管理者に確認してください。");
    if (trust.HostKey == THostKeyState::Unknown)
        return Because("サーバー " + host + " のホスト鍵 (" + trust.Fingerprint +
                       ") は確認されていません (~/.ssh/known_hosts にありません)。");
    if (!trust.CertificatePin.empty())
        return Because("サーバー " + host + " の証明書は信頼されていません (" +
                       PinFingerprint(trust.CertificatePin) + ")。");
    return Because("サーバー " + host + " の証明書が、以前に受け入れたものと違います。");
}

TResult LoginFailure(const TPublishSettings& settings, bool passwordGiven) {
    if (IsSftp(settings) && settings.Login == TSftpLogin::Keys)
        return Because("ログインできません。SSH エージェントと ~/.ssh "
                       "の鍵がサーバーに受け入れられませんでした。");
    if (!passwordGiven)
        return Because("ログインできません。パスワードがキーリングにも ~/.netrc "
                       "にもないか、~/.netrc のパスワードが違います。");
    return Because("ログインできません。ユーザー名かパスワードが違います。");
}

TResult FolderMissing(const TPublishSettings& settings) {
    return Because("公開先のフォルダ " + settings.RemoteFolder + " がサーバーにありません。");
}

TResult PermissionDenied(const TPublishSettings& settings) {
    return Because("公開先のフォルダ " + settings.RemoteFolder + " に書き込む権限がありません。" +
                   Unchanged);
}

TResult DiskFull() {
    return Because(std::string("サーバーのディスクがいっぱいか容量の制限を超えたため、フィードを"
                               "書き込めませんでした。") +
                   Unchanged);
}

// An upload that ended as if the line had dropped. An SFTP server tells no more than that a write
// failed, and an FTP server that cannot write may close the data connection before its reply;
// a server that answers again afterwards may thus have run out of space.
bool LineDropped(CURLcode code) {
    return code == CURLE_SSH || code == CURLE_SEND_ERROR || code == CURLE_RECV_ERROR;
}

TResult WriteStopped() {
    return Because(std::string("転送が途中で止まりました。サーバーのディスクがいっぱいか容量の制限"
                               "を超えたか、接続が一時的に切れたためです。") +
                   Unchanged);
}

TResult ConnectionLost() {
    return Because(std::string("転送中にサーバーとの接続が切れました。") + Unchanged);
}

// The cause of a failed step in the user's words.
TResult Explain(TStep step, CURLcode code, const TConnection& connection,
                const TPublishSettings& settings, const TTrust& trust) {
    const long response = connection.ResponseCode();
    switch (code) {
    case CURLE_ABORTED_BY_CALLBACK:
        if (connection.Cancelled()) return Because(std::string("公開を中止しました。") + Unchanged);
        break;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        return TrustFailure(settings, trust);
    case CURLE_COULDNT_RESOLVE_HOST:
        return Because("サーバー " + settings.Host +
                       " が見つかりません。サーバー名を確認してください。");
    case CURLE_COULDNT_CONNECT:
        return Because("サーバー " + settings.Host + " のポート " +
                       std::to_string(EffectivePort(settings)) +
                       " に接続できません (接続を拒否されたか、応答がありません)。");
    case CURLE_LOGIN_DENIED:
        return LoginFailure(settings, connection.PasswordGiven());
    case CURLE_REMOTE_FILE_NOT_FOUND:
        return FolderMissing(settings);
    case CURLE_REMOTE_ACCESS_DENIED:
        // An FTP server says so when it cannot change into the folder.
        return IsSftp(settings) ? PermissionDenied(settings) : FolderMissing(settings);
    case CURLE_REMOTE_DISK_FULL:
        return DiskFull();
    case CURLE_QUOTE_ERROR:
        return Because("アップロードしたフィードを公開中のフィードと置き換えられません (" +
                       std::string(connection.ErrorText()) + ")。" + Unchanged);
    case CURLE_PARTIAL_FILE:
        if (response == 451) return DiskFull(); // "Failure writing to local file."
        break;
    case CURLE_UPLOAD_FAILED:
        if (response == 452 || response == 552) return DiskFull();
        if (response == 550 || response == 553 || response == 532)
            return PermissionDenied(settings);
        break;
    case CURLE_OPERATION_TIMEDOUT:
        if (step == TStep::Upload && connection.Sent() == 0)
            return Because("サーバー " + settings.Host + " が応答しません (時間切れ)。");
        return ConnectionLost();
    default:
        break;
    }
    return step == TStep::Upload && connection.Sent() > 0 ? ConnectionLost()
                                                          : Unexpected(connection);
}

TResult ReadFeed(const std::string& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return TResult::FromErrno(errno ? errno : ENOENT);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return in.bad() ? TResult::FromErrno(EIO) : TResult();
}

// One attempt over one connection; `trust` tells what the trust checks met.
TResult Transfer(const TPublishSettings& settings, const std::string& password,
                 const TPublishPrompts& prompts, const std::string& name, const std::string& bytes,
                 TTrust& trust) {
    TConnection connection(settings, password, prompts, trust);
    const std::string temporary = name + ".tmp";
    const std::string folderUrl = RemoteUrl(settings, "", password.empty());
    const std::string temporaryUrl = RemoteUrl(settings, temporary, password.empty());
    const auto fail = [&](TStep step, CURLcode code) {
        const bool refused = trust.CertificateRefused && settings.TrustedCertificate.empty();
        if (!refused && code != CURLE_PEER_FAILED_VERIFICATION) trust.CertificatePin.clear();
        return Explain(step, refused ? CURLE_PEER_FAILED_VERIFICATION : code, connection, settings,
                       trust);
    };
    const CURLcode uploaded = connection.Upload(temporaryUrl, bytes);
    const std::string login = connection.LoginFolder();
    if (uploaded != CURLE_OK) {
        const TResult failed = fail(TStep::Upload, uploaded);
        if (connection.Sent() == 0) return failed;
        // Part of the feed may lie on the server, where it would keep a full disk full.
        const bool answers =
            connection.Run(folderUrl, RemoveCommands(settings, login, temporary)) == CURLE_OK;
        return answers && LineDropped(uploaded) ? WriteStopped() : failed;
    }
    if (!trust.Remembered) return trust.Remembered;

    std::string back;
    const CURLcode read = connection.Download(temporaryUrl, back, bytes.size());
    if (read != CURLE_OK || back != bytes) {
        connection.Run(folderUrl, RemoveCommands(settings, login, temporary));
        if (read != CURLE_OK && read != CURLE_WRITE_ERROR) return fail(TStep::ReadBack, read);
        return Because(std::string("サーバーに届いたフィードのサイズが送ったものと違います。") +
                       Unchanged);
    }
    CURLcode renamed =
        connection.Run(folderUrl, RenameCommands(settings, login, temporary, name, false));
    if (renamed == CURLE_QUOTE_ERROR)
        renamed = connection.Run(folderUrl, RenameCommands(settings, login, temporary, name, true));
    if (renamed == CURLE_OK) return {};
    connection.Run(folderUrl, RemoveCommands(settings, login, temporary));
    return fail(TStep::Rename, renamed);
}

TResult CheckNames(const TPublishSettings& settings, const std::string& name) {
    if (settings.Host.empty()) return Because("公開先のサーバーが設定されていません。");
    if (HasControlCharacter(settings.Host) || HasControlCharacter(settings.User) ||
        HasControlCharacter(settings.RemoteFolder) || HasControlCharacter(name) || name.empty())
        return Because("公開先の設定に使えない文字 (制御文字) が含まれています。");
    return {};
}

bool AcceptPlainFtp(TPublishOutcome& outcome, const TPublishPrompts& prompts) {
    if (outcome.Settings.Protocol != TPublishProtocol::Ftp || outcome.Settings.PlainFtpAccepted)
        return true;
    if (!prompts.AcceptPlainFtp || !prompts.AcceptPlainFtp()) return false;
    outcome.Settings.PlainFtpAccepted = outcome.SettingsChanged = true;
    return true;
}

} // namespace

std::string PublishAddress(const TPublishSettings& settings, const std::string& feedName) {
    const char* scheme = IsSftp(settings)                              ? "sftp://"
                         : settings.Protocol == TPublishProtocol::Ftps ? "ftps://"
                                                                       : "ftp://";
    const std::string port = settings.Port > 0 && settings.Port != DefaultPort(settings.Protocol)
                                 ? ":" + std::to_string(settings.Port)
                                 : "";
    const std::string folder = FolderWithoutSlashes(settings.RemoteFolder);
    const std::string separator = folder.starts_with('/') || folder.empty() ? "" : "/";
    return scheme + settings.Host + port + separator + folder + "/" + feedName;
}

std::string MsgPublishFailed() {
    return Utf8ToCp932("公開できません。").value();
}

TPublishOutcome PublishFeed(const TPublishSettings& settings, const std::string& feedPath,
                            const std::string& password, const TPublishPrompts& prompts) {
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    TPublishOutcome outcome;
    outcome.Settings = settings;
    const std::string name = ExtractFileName(feedPath);
    outcome.Address = PublishAddress(settings, name);
    if (!initialised) return outcome.Result = TResult::FromErrno(ENOMEM), outcome;
    if (outcome.Result = CheckNames(settings, name); !outcome.Result) return outcome;
    if (!AcceptPlainFtp(outcome, prompts)) {
        outcome.Result =
            Because("FTP ではパスワードとフィードが暗号化されずに送られます。"
                    "公開先の設定で FTP の使用を許可するか、SFTP か FTPS を使ってください。");
        return outcome;
    }
    std::string bytes;
    if (outcome.Result = ReadFeed(feedPath, bytes); !outcome.Result) return outcome;
    TTrust trust(outcome.Settings, prompts);
    checkedTrust = &trust;
    outcome.Result = Transfer(outcome.Settings, password, prompts, name, bytes, trust);
    // A certificate nothing vouches for: the user may accept it, and the upload starts over.
    if (!outcome.Result && !trust.CertificatePin.empty() &&
        outcome.Settings.TrustedCertificate.empty() && prompts.AcceptCertificate &&
        prompts.AcceptCertificate(settings.Host, PinFingerprint(trust.CertificatePin))) {
        outcome.Settings.TrustedCertificate = trust.CertificatePin;
        outcome.SettingsChanged = true;
        TTrust again(outcome.Settings, prompts);
        checkedTrust = &again;
        outcome.Result = Transfer(outcome.Settings, password, prompts, name, bytes, again);
    }
    checkedTrust = nullptr;
    return outcome;
}
