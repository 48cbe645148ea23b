#include "publish/SftpFolder.h"

#include "publish/HostKeys.h"
#include "publish/Netrc.h"
#include "text/CodePage.h"

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <fcntl.h>
#include <libssh/libssh.h>
#include <libssh/sftp.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int ConnectSeconds = 20;
constexpr long StalledSeconds = 30;     // a server that answers nothing this long has been lost
constexpr size_t WriteSize = 32 * 1024; // what every SFTP server takes in one write
constexpr auto WatchStep = std::chrono::milliseconds(200);
constexpr int KeyboardRounds = 3; // questions of a keyboard-interactive login answered at most

using TStatus = TRemoteStatus;

TStatus Failed(TRemoteFault fault, std::string detail = {}) {
    return {fault, std::move(detail)};
}

// Waits for the non-blocking connect of `fd` to `address`, asking the report meanwhile.
TStatus WaitConnected(int fd, const addrinfo& address, TProgressReport& report) {
    if (connect(fd, address.ai_addr, address.ai_addrlen) == 0) return {};
    if (errno != EINPROGRESS) return Failed(TRemoteFault::Unreachable, std::strerror(errno));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(ConnectSeconds);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd wait{fd, POLLOUT, 0};
        const int ready = poll(&wait, 1, static_cast<int>(WatchStep.count()));
        if (ready > 0) {
            int error = 0;
            socklen_t length = sizeof error;
            getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
            return error ? Failed(TRemoteFault::Unreachable, std::strerror(error)) : TStatus();
        }
        if (ready < 0 && errno != EINTR)
            return Failed(TRemoteFault::Unreachable, std::strerror(errno));
        if (!report.Repeat()) return Failed(TRemoteFault::Cancelled);
    }
    return Failed(TRemoteFault::Unreachable);
}

// A socket connected to the server, or why there is none.
TStatus ConnectSocket(const std::string& host, int port, TProgressReport& report, int& socketFd) {
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int resolved = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
    if (resolved != 0)
        return Failed(resolved == EAI_SYSTEM ? TRemoteFault::Other : TRemoteFault::HostNotFound,
                      gai_strerror(resolved));
    const std::unique_ptr<addrinfo, void (*)(addrinfo*)> addresses(found, &freeaddrinfo);
    TStatus status = Failed(TRemoteFault::Unreachable);
    for (const addrinfo* address = found; address; address = address->ai_next) {
        const int fd =
            socket(address->ai_family, address->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                   address->ai_protocol);
        if (fd < 0) continue;
        status = WaitConnected(fd, *address, report);
        // Small SFTP requests wait for their replies: none may sit in the kernel meanwhile.
        const int on = 1;
        if (status) setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        if (status) return socketFd = fd, status;
        close(fd);
        if (status.Fault == TRemoteFault::Cancelled) break;
    }
    return status;
}

// Keeps the user's progress report going while the connection waits on the server, and shuts
// the socket down once the user stops the publish, which ends whatever libssh waits for.
class TWatch {
public:
    TWatch(int fd, TProgressReport& report) : thread_([this, fd, &report] { Run(fd, report); }) {}
    ~TWatch() {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            done_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    TWatch(const TWatch&) = delete;
    TWatch& operator=(const TWatch&) = delete;

private:
    void Run(int fd, TProgressReport& report) {
        std::unique_lock<std::mutex> lock(mutex_);
        while (!wake_.wait_for(lock, WatchStep, [this] { return done_; }))
            if (!report.Repeat()) {
                shutdown(fd, SHUT_RDWR);
                return;
            }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    bool done_ = false;
    std::thread thread_;
};

TStatus FromSftpCode(uint32_t code, const std::string& words) {
    switch (code) {
    case SSH_FX_OK:
        return {};
    case SSH_FX_NO_SUCH_FILE:
    case SSH_FX_NO_SUCH_PATH:
        return Failed(TRemoteFault::NoSuchFile, words);
    case SSH_FX_PERMISSION_DENIED:
    case SSH_FX_WRITE_PROTECT:
        return Failed(TRemoteFault::PermissionDenied, words);
    case SSH_FX_FILE_ALREADY_EXISTS:
        return Failed(TRemoteFault::NameTaken, words);
    default:
        return Failed(TRemoteFault::Other, words);
    }
}

void AppendNumber(std::string& packet, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        packet += static_cast<char>(value >> shift & 0xFF);
}

void AppendText(std::string& packet, const std::string& text) {
    AppendNumber(packet, static_cast<uint32_t>(text.size()));
    packet += text;
}

uint32_t NumberAt(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    for (size_t i = at; i < at + 4 && i < bytes.size(); ++i)
        value = value << 8 | static_cast<unsigned char>(bytes[i]);
    return value;
}

} // namespace

struct TSftpFolder::TSession {
    ~TSession() {
        watch.reset(); // before the socket it watches goes
        if (sftp) sftp_free(sftp);
        if (ssh) {
            ssh_disconnect(ssh);
            ssh_free(ssh);
        }
        // libssh 0.10 leaves a socket it was given open; should one close it, its number may
        // name another socket by now, which is left alone.
        struct stat info {};
        if (fd >= 0 && fstat(fd, &info) == 0 && info.st_ino == socketInode) close(fd);
    }

    // The failure libssh or the server reported last.
    TStatus Failure(TProgressReport& report) const {
        if (report.Stopped()) return Failed(TRemoteFault::Cancelled);
        const std::string words = ssh_get_error(ssh);
        if (!ssh_is_connected(ssh) ||
            (sftp && (!ssh_channel_is_open(sftp->channel) || ssh_channel_is_eof(sftp->channel))))
            return Failed(TRemoteFault::ConnectionLost, words);
        return sftp ? FromSftpCode(static_cast<uint32_t>(sftp_get_error(sftp)), words)
                    : Failed(TRemoteFault::Other, words);
    }

    // Reads `count` bytes of the SFTP channel into `bytes`.
    bool ReadChannel(std::string& bytes, uint32_t count) const {
        bytes.resize(count);
        for (uint32_t got = 0; got < count;) {
            const int n = ssh_channel_read_timeout(sftp->channel, bytes.data() + got, count - got,
                                                   0, static_cast<int>(StalledSeconds * 1000));
            if (n <= 0) return false;
            got += static_cast<uint32_t>(n);
        }
        return true;
    }

    // OpenSSH's posix-rename: replaces `to` in one step. libssh 0.10 has no call for this request,
    // so it goes onto the SFTP channel directly, with the session's next request number. Every
    // call here waits for its reply before the next, so nothing else is under way on the channel.
    TStatus PosixRename(const std::string& from, const std::string& to,
                        TProgressReport& report) const {
        constexpr uint8_t Extended = 200, Status = 101;
        const uint32_t id = ++sftp->id_counter;
        std::string packet;
        packet += static_cast<char>(Extended);
        AppendNumber(packet, id);
        AppendText(packet, "posix-rename@openssh.com");
        AppendText(packet, from);
        AppendText(packet, to);
        std::string framed;
        AppendNumber(framed, static_cast<uint32_t>(packet.size()));
        framed += packet;
        if (ssh_channel_write(sftp->channel, framed.data(), static_cast<uint32_t>(framed.size())) !=
            static_cast<int>(framed.size()))
            return Failure(report);
        std::string length, reply;
        if (!ReadChannel(length, 4) || !ReadChannel(reply, NumberAt(length, 0)))
            return Failure(report);
        if (reply.size() < 13 || static_cast<uint8_t>(reply[0]) != Status ||
            NumberAt(reply, 1) != id)
            return Failed(TRemoteFault::Other, "posix-rename@openssh.com: unexpected reply");
        const uint32_t wordsLength = NumberAt(reply, 9);
        return FromSftpCode(NumberAt(reply, 5), reply.substr(13, wordsLength));
    }

    ssh_session ssh = nullptr;
    sftp_session sftp = nullptr;
    int fd = -1;           // the connection's socket
    ino_t socketInode = 0; // which it is
    std::unique_ptr<TWatch> watch;
};

TSftpFolder::TSftpFolder(const TPublishSettings& settings, const std::string& password,
                         const TPublishPrompts& prompts, TProgressReport& report)
    : settings_(settings), password_(password), prompts_(prompts), report_(report) {}

TSftpFolder::~TSftpFolder() = default;

namespace {

// Sets the session's options; a failure names the option.
TStatus SetOptions(ssh_session ssh, const TPublishSettings& settings, int fd) {
    const int port = EffectivePort(settings);
    const long timeout = StalledSeconds;
    const bool no = false;
    const std::string sshFolder = UserSshFolder();
    const std::string knownHosts = UserKnownHostsFile();
    const std::pair<ssh_options_e, const void*> options[] = {
        {SSH_OPTIONS_PROCESS_CONFIG, &no}, // ~/.ssh/config could send the feed elsewhere
        {SSH_OPTIONS_HOST, settings.Host.c_str()},
        {SSH_OPTIONS_PORT, &port},
        {SSH_OPTIONS_USER, settings.User.c_str()},
        {SSH_OPTIONS_FD, &fd},
        {SSH_OPTIONS_TIMEOUT, &timeout},
        {SSH_OPTIONS_SSH_DIR, sshFolder.c_str()},
        // Read by libssh only to prefer the key types known for the host.
        {SSH_OPTIONS_KNOWNHOSTS, knownHosts.c_str()},
    };
    for (const auto& [option, value] : options)
        if (ssh_options_set(ssh, option, value) != SSH_OK)
            return Failed(TRemoteFault::Other,
                          "ssh_options_set(" + std::to_string(option) + "): " + ssh_get_error(ssh));
    return {};
}

std::string ServerKey(ssh_session ssh) {
    ssh_key key = nullptr;
    if (ssh_get_server_publickey(ssh, &key) != SSH_OK) return {};
    char* base64 = nullptr;
    const bool exported = ssh_pki_export_pubkey_base64(key, &base64) == SSH_OK;
    ssh_key_free(key);
    std::string text = exported ? base64 : "";
    ssh_string_free_char(base64);
    return text;
}

int KeyboardInteractive(ssh_session ssh, const std::string& password) {
    int result = ssh_userauth_kbdint(ssh, nullptr, nullptr);
    for (int round = 0; result == SSH_AUTH_INFO && round < KeyboardRounds; ++round) {
        const int prompts = ssh_userauth_kbdint_getnprompts(ssh);
        for (int at = 0; at < prompts; ++at)
            ssh_userauth_kbdint_setanswer(ssh, static_cast<unsigned>(at), password.c_str());
        result = ssh_userauth_kbdint(ssh, nullptr, nullptr);
    }
    return result;
}

TStatus NotTrusted(const std::string& message) {
    return Failed(TRemoteFault::NotTrusted, message);
}

} // namespace

TRemoteStatus TSftpFolder::Open() {
    session_.reset();
    auto session = std::make_unique<TSession>();
    if (TStatus connected =
            ConnectSocket(settings_.Host, EffectivePort(settings_), report_, session->fd);
        !connected)
        return connected;
    struct stat socketInfo {};
    fstat(session->fd, &socketInfo);
    session->socketInode = socketInfo.st_ino;
    session->watch = std::make_unique<TWatch>(session->fd, report_);
    session->ssh = ssh_new();
    if (!session->ssh) return Failed(TRemoteFault::Other, std::strerror(ENOMEM));
    if (TStatus set = SetOptions(session->ssh, settings_, session->fd); !set) return set;
    if (ssh_connect(session->ssh) != SSH_OK) return session->Failure(report_);

    const std::string key = ServerKey(session->ssh);
    if (key.empty()) return session->Failure(report_);
    if (TStatus trusted = CheckHostKey(key); !trusted) return trusted;
    if (TStatus loggedIn = LogIn(*session); !loggedIn)
        return loggedIn.Fault == TRemoteFault::LoginDenied ? loggedIn : session->Failure(report_);
    session->sftp = sftp_new(session->ssh);
    if (!session->sftp || sftp_init(session->sftp) != SSH_OK) return session->Failure(report_);
    session_ = std::move(session);
    return {};
}

TRemoteStatus TSftpFolder::CheckHostKey(const std::string& key) {
    const std::string& host = settings_.Host;
    const int port = EffectivePort(settings_);
    const std::string fingerprint = HostKeyFingerprint(key);
    const std::string file = UserKnownHostsFile();
    std::string known;
    if (TResult read = ReadKnownHosts(file, known); !read)
        return NotTrusted("サーバーのホスト鍵を確かめる " + file + " を読めません (" +
                          Cp932ToUtf8(read.Reason()) + ")。");
    switch (MatchHostKey(known, host, port, key)) {
    case THostKeyMatch::Known:
        return {};
    case THostKeyMatch::Revoked:
        return NotTrusted("サーバー " + host + " のホスト鍵 (" + fingerprint + ") は " + file +
                          " で無効にされています (@revoked)。この鍵を使うサーバーには接続しません。"
                          "サーバーの管理者に確認してください。");
    case THostKeyMatch::Changed:
        return NotTrusted("サーバー " + host + " のホスト鍵が " + file +
                          " に記録されたものと違います (" + fingerprint +
                          ")。なりすましの恐れがあるため接続しません。サーバーの管理者に確認してく"
                          "ださい。");
    case THostKeyMatch::Unknown:
        break;
    }
    if (key == acceptedKey_) return {};
    if (!prompts_.AcceptHostKey || !prompts_.AcceptHostKey(host, fingerprint))
        return NotTrusted("サーバー " + host + " のホスト鍵 (" + fingerprint +
                          ") は確認されていません (" + file + " にありません)。");
    if (TResult remembered = RememberHostKey(file, host, port, key); !remembered)
        return NotTrusted("受け入れたホスト鍵を " + file + " に記録できません (" +
                          Cp932ToUtf8(remembered.Reason()) + ")。");
    acceptedKey_ = key;
    return {};
}

TRemoteStatus TSftpFolder::LogIn(TSession& session) {
    ssh_session ssh = session.ssh;
    int result = ssh_userauth_none(ssh, nullptr);
    if (result == SSH_AUTH_SUCCESS) return {};
    if (settings_.Login == TSftpLogin::Keys) {
        if (result != SSH_AUTH_ERROR) result = ssh_userauth_publickey_auto(ssh, nullptr, nullptr);
    } else if (result != SSH_AUTH_ERROR) {
        const std::string password =
            password_.empty() ? UserNetrcPassword(settings_.Host, settings_.User) : password_;
        if (password.empty()) return Failed(TRemoteFault::LoginDenied);
        const int methods = ssh_userauth_list(ssh, nullptr);
        result = methods & SSH_AUTH_METHOD_PASSWORD
                     ? ssh_userauth_password(ssh, nullptr, password.c_str())
                     : SSH_AUTH_DENIED;
        if (result == SSH_AUTH_DENIED && methods & SSH_AUTH_METHOD_INTERACTIVE)
            result = KeyboardInteractive(ssh, password);
    }
    if (result == SSH_AUTH_SUCCESS) return {};
    return Failed(result == SSH_AUTH_ERROR ? TRemoteFault::Other : TRemoteFault::LoginDenied);
}

TRemoteStatus TSftpFolder::Create(const std::string& name, const std::string& bytes) {
    if (!session_) return Failed(TRemoteFault::ConnectionLost);
    const std::string path = RemoteFilePath(settings_, name);
    sftp_file file = sftp_open(session_->sftp, path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (!file) {
        // SFTP version 3 has no word for a name in use: OpenSSH says "Failure".
        TStatus failure = session_->Failure(report_);
        TRemoteEntry entry;
        if (failure.Fault == TRemoteFault::Other && Look(name, entry) && entry.Exists)
            return Failed(TRemoteFault::NameTaken, failure.Detail);
        return failure;
    }
    TStatus status;
    for (size_t at = 0; at < bytes.size() && status;) {
        const size_t size = std::min(WriteSize, bytes.size() - at);
        if (sftp_write(file, bytes.data() + at, size) != static_cast<ssize_t>(size))
            status = WriteFailure(bytes.size() - at);
        else if (!report_.Report(at += size))
            status = Failed(TRemoteFault::Cancelled);
    }
    if (sftp_close(file) != SSH_OK && status) status = WriteFailure(0);
    return status;
}

TRemoteStatus TSftpFolder::WriteFailure(uint64_t unwritten) {
    TStatus failure = session_->Failure(report_);
    if (failure.Fault != TRemoteFault::Other) return failure;
    // OpenSSH reports a full disk as a plain "Failure"; the folder's free space tells.
    const std::string folder = RemoteFolderPath(settings_);
    sftp_statvfs_t space = sftp_statvfs(session_->sftp, folder.empty() ? "." : folder.c_str());
    if (space) {
        if (space->f_bavail * space->f_frsize <= unwritten) failure.Fault = TRemoteFault::DiskFull;
        sftp_statvfs_free(space);
    }
    return failure;
}

TRemoteStatus TSftpFolder::Look(const std::string& name, TRemoteEntry& entry) {
    if (!session_) return Failed(TRemoteFault::ConnectionLost);
    entry = {};
    sftp_attributes attributes =
        sftp_lstat(session_->sftp, RemoteFilePath(settings_, name).c_str());
    if (!attributes) {
        TStatus failure = session_->Failure(report_);
        return failure.Fault == TRemoteFault::NoSuchFile ? TStatus() : failure;
    }
    entry.Exists = true;
    entry.Regular = attributes->type == SSH_FILEXFER_TYPE_REGULAR;
    if (attributes->flags & SSH_FILEXFER_ATTR_SIZE) entry.Size = attributes->size;
    if (attributes->flags & SSH_FILEXFER_ATTR_PERMISSIONS)
        entry.Permissions = attributes->permissions & 07777;
    sftp_attributes_free(attributes);
    return {};
}

TRemoteStatus TSftpFolder::Read(const std::string& name, std::string& bytes, size_t limit) {
    if (!session_) return Failed(TRemoteFault::ConnectionLost);
    sftp_file file =
        sftp_open(session_->sftp, RemoteFilePath(settings_, name).c_str(), O_RDONLY, 0);
    if (!file) return session_->Failure(report_);
    bytes.clear();
    char buffer[WriteSize];
    ssize_t got = 0;
    while (bytes.size() <= limit && (got = sftp_read(file, buffer, sizeof buffer)) > 0)
        bytes.append(buffer, static_cast<size_t>(got));
    const TStatus status = got < 0 ? session_->Failure(report_) : TStatus();
    sftp_close(file);
    return status;
}

TRemoteStatus TSftpFolder::MakeReadable(const std::string& name) {
    if (!session_) return Failed(TRemoteFault::ConnectionLost);
    if (sftp_chmod(session_->sftp, RemoteFilePath(settings_, name).c_str(), 0644) != SSH_OK)
        return session_->Failure(report_);
    return {};
}

TRemoteStatus TSftpFolder::Replace(const std::string& from, const std::string& to) {
    if (!session_) return Failed(TRemoteFault::ConnectionLost);
    if (sftp_extension_supported(session_->sftp, "posix-rename@openssh.com", "1") != 1)
        return Rename(from, to);
    return session_->PosixRename(RemoteFilePath(settings_, from), RemoteFilePath(settings_, to),
                                 report_);
}

TRemoteStatus TSftpFolder::Rename(const std::string& from, const std::string& to) {
    if (!session_) return Failed(TRemoteFault::ConnectionLost);
    if (sftp_rename(session_->sftp, RemoteFilePath(settings_, from).c_str(),
                    RemoteFilePath(settings_, to).c_str()) != SSH_OK)
        return session_->Failure(report_);
    return {};
}

TRemoteStatus TSftpFolder::Remove(const std::string& name) {
    if (!session_) return Failed(TRemoteFault::ConnectionLost);
    if (sftp_unlink(session_->sftp, RemoteFilePath(settings_, name).c_str()) != SSH_OK)
        return session_->Failure(report_);
    return {};
}
