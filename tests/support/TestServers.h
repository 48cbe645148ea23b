#pragma once

// Real SFTP and FTP servers for the publishing tests: OpenSSH's sshd and vsftpd, started on the
// loopback address on free unprivileged ports (another when a port was taken before the server
// could listen on it), each with its own configuration and keys in a folder of the test, logging
// in a local account the test creates. The tests run as root (as CI
// does), which creating the account and starting the servers need. Every server is stopped by the
// process id it was started with, and the account is removed, when its object goes.

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <netinet/in.h>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace testsupport {

inline bool RunCommand(const std::string& command) {
    return std::system(("(" + command + ") >/dev/null 2>&1").c_str()) == 0;
}

// The file's bytes; empty when it cannot be read (a process's /proc file fails once it ends).
inline std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    try {
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    } catch (const std::ios_base::failure&) {
        return {};
    }
}

inline void WriteAll(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// A port nothing listens on now; the kernel hands out each in turn, so two calls differ.
inline int FreePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
}

// A port on the loopback address that takes connections and never answers, as a hung server.
class TSilentServer {
public:
    TSilentServer() : fd_(socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (bind(fd_, reinterpret_cast<sockaddr*>(&address), length) == 0 && listen(fd_, 4) == 0 &&
            getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            port_ = ntohs(address.sin_port);
    }
    ~TSilentServer() { close(fd_); }
    TSilentServer(const TSilentServer&) = delete;
    TSilentServer& operator=(const TSilentServer&) = delete;
    int Port() const { return port_; } // 0 when no port could be had

private:
    int fd_;
    int port_ = 0;
};

// The processes below `parent`, children before their parents' parents.
inline std::vector<pid_t> Descendants(pid_t parent) {
    std::vector<pid_t> found;
    DIR* proc = opendir("/proc");
    for (dirent* entry; proc && (entry = readdir(proc));) {
        const pid_t pid = std::atoi(entry->d_name);
        if (pid <= 0) continue;
        const std::string stat = ReadAll("/proc/" + std::to_string(pid) + "/stat");
        const size_t end = stat.rfind(')');
        if (end == std::string::npos) continue;
        // After the command's name: the state, then the parent's id.
        if (std::atoi(stat.c_str() + end + 4) != parent) continue;
        for (const pid_t below : Descendants(pid))
            found.push_back(below);
        found.push_back(pid);
    }
    if (proc) closedir(proc);
    return found;
}

// A local account with a password; its home folder is given and must exist.
class TTestAccount {
public:
    TTestAccount(const std::filesystem::path& home)
        : name_("orvpub" + std::to_string(getpid())), password_("Pw-" + name_) {
        RunCommand("userdel " + name_);
        created_ = RunCommand("useradd -M -d '" + home.string() + "' -s /bin/sh " + name_) &&
                   RunCommand("echo '" + name_ + ":" + password_ + "' | chpasswd") &&
                   RunCommand("chown " + name_ + " '" + home.string() + "'");
    }
    ~TTestAccount() { RunCommand("userdel " + name_); }
    TTestAccount(const TTestAccount&) = delete;
    TTestAccount& operator=(const TTestAccount&) = delete;

    bool Created() const { return created_; }
    const std::string& Name() const { return name_; }
    const std::string& Password() const { return password_; }
    // Gives `path` to the account, so that the servers' permission checks bind.
    void Own(const std::filesystem::path& path) const {
        RunCommand("chown -R " + name_ + " '" + path.string() + "'");
    }

private:
    std::string name_, password_;
    bool created_ = false;
};

// Whether process `pid` listens on `port` of the loopback address: a socket of its own is the
// listening socket /proc/net/tcp names for the port.
inline bool ListensOn(pid_t pid, int port) {
    char local[32];
    std::snprintf(local, sizeof local, "0100007F:%04X", port);
    std::istringstream table(ReadAll("/proc/net/tcp"));
    std::string socket;
    for (std::string line; std::getline(table, line);) {
        std::istringstream fields(line);
        std::string slot, address, remote, state, skip, inode;
        fields >> slot >> address >> remote >> state;
        for (int field = 0; field < 5; ++field)
            fields >> skip;
        fields >> inode;
        if (address == local && state == "0A") socket = "socket:[" + inode + "]";
    }
    if (socket.empty()) return false;
    const std::filesystem::path fds = "/proc/" + std::to_string(pid) + "/fd";
    std::error_code ignored;
    for (const auto& fd : std::filesystem::directory_iterator(fds, ignored))
        if (std::filesystem::read_symlink(fd.path(), ignored) == socket) return true;
    return false;
}

// A server process started by the test, stopped with its sessions when the object goes.
class TServerProcess {
public:
    ~TServerProcess() { Stop(); }
    int Port() const { return port_; }
    bool Running() const { return pid_ > 0; }

    // Ends the sessions (and thus a transfer under way) and then the server.
    void Stop() {
        if (pid_ <= 0) return;
        KillSessions();
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    void KillSessions() const {
        for (const pid_t pid : Descendants(pid_))
            kill(pid, SIGKILL);
    }

protected:
    // Starts the command `prepare` gives for a free port and waits until it listens there (a
    // loaded machine may take seconds). Other tests pick free ports too: when one takes the port
    // first, the server cannot listen and ends, and it starts again on another port.
    bool Launch(const std::function<std::vector<std::string>(int port)>& prepare) {
        for (int attempt = 0; attempt < 5; ++attempt) {
            port_ = FreePort();
            if (Started(prepare(port_))) return true;
        }
        return false;
    }

private:
    bool Started(const std::vector<std::string>& arguments) {
        pid_ = fork();
        if (pid_ == 0) {
            std::vector<char*> argv;
            for (const std::string& argument : arguments)
                argv.push_back(const_cast<char*>(argument.c_str()));
            argv.push_back(nullptr);
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
            execv(argv[0], argv.data());
            _exit(127);
        }
        for (int tries = 0; tries < 200; ++tries) {
            if (waitpid(pid_, nullptr, WNOHANG) == pid_) break;
            if (ListensOn(pid_, port_)) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        Stop();
        return false;
    }

    pid_t pid_ = -1;
    int port_ = 0;
};

// sshd with its own host key; password and key logins of the test account, SFTP by
// `subsystem` (sshd's own by default; a command runs through the account's shell).
class TSshServer : public TServerProcess {
public:
    // `folder` holds the configuration and keys; `authorizedKeys` the keys that may log in.
    bool Start(const std::filesystem::path& folder, const std::filesystem::path& authorizedKeys,
               const std::string& subsystem = "internal-sftp") {
        std::filesystem::create_directories("/run/sshd");
        hostKey_ = folder / "ssh_host_ed25519_key";
        if (!std::filesystem::exists(hostKey_) &&
            !RunCommand("ssh-keygen -q -t ed25519 -N '' -f '" + hostKey_.string() + "'"))
            return false;
        const std::filesystem::path config = folder / "sshd_config";
        return Launch([&](int port) {
            WriteAll(config, "ListenAddress 127.0.0.1\nPort " + std::to_string(port) +
                                 "\nHostKey " + hostKey_.string() + "\nPidFile " +
                                 (folder / "sshd.pid").string() + "\nSubsystem sftp " + subsystem +
                                 "\nUsePAM no\nPasswordAuthentication yes\n"
                                 "KbdInteractiveAuthentication no\nStrictModes no\n"
                                 "AuthorizedKeysFile " +
                                 authorizedKeys.string() + "\n");
            return std::vector<std::string>{"/usr/sbin/sshd", "-D", "-f",
                                            config.string(),  "-E", (folder / "sshd.log").string()};
        });
    }
    // The host key as known_hosts holds it: "[127.0.0.1]:PORT ssh-ed25519 AAAA...".
    std::string KnownHostsLine() const {
        std::string key = ReadAll(hostKey_.string() + ".pub");
        key = key.substr(0, key.rfind(' '));
        return "[127.0.0.1]:" + std::to_string(Port()) + " " + key + "\n";
    }

private:
    std::filesystem::path hostKey_;
};

// vsftpd for local accounts; with TLS (explicit, required for logins and data) it presents a
// self-signed certificate made for the test, by `certificate`'s options to `openssl req` and, when
// `madeOn` names a date, as if made then (so that it has expired). Every command it is sent goes
// into its log.
class TFtpServer : public TServerProcess {
public:
    bool Start(const std::filesystem::path& folder, bool tls,
               const std::string& certificate = "-days 2 -subj /CN=127.0.0.1",
               const std::string& madeOn = "") {
        const std::string name = tls ? "ftps" : "ftp";
        const std::filesystem::path empty = folder / (name + "-empty");
        std::filesystem::create_directories(empty);
        std::string common =
            "listen=YES\nlisten_address=127.0.0.1\nbackground=NO\nlocal_enable=YES\n"
            "write_enable=YES\nlocal_umask=077\npasv_enable=YES\npasv_address=127.0.0.1\n"
            "secure_chroot_dir=" +
            empty.string() + "\nseccomp_sandbox=NO\n" +
            "xferlog_enable=YES\nlog_ftp_protocol=YES\nvsftpd_log_file=" +
            (folder / (name + ".log")).string() + "\n";
        if (tls) {
            const std::string key = (folder / "ftps.key").string();
            const std::string cert = (folder / "ftps.crt").string();
            const std::string clock = madeOn.empty() ? "" : "faketime '" + madeOn + "' ";
            if (!std::filesystem::exists(cert) &&
                !RunCommand(clock + "openssl req -x509 -newkey rsa:2048 -nodes " + certificate +
                            " -keyout '" + key + "' -out '" + cert + "'"))
                return false;
            common += "ssl_enable=YES\nforce_local_logins_ssl=YES\nforce_local_data_ssl=YES\n"
                      "require_ssl_reuse=NO\nrsa_cert_file=" +
                      cert + "\nrsa_private_key_file=" + key + "\n";
        }
        const std::filesystem::path file = folder / (name + ".conf");
        log_ = folder / (name + ".log");
        return Launch([&](int port) {
            const int passive = FreePort();
            WriteAll(file, common + "listen_port=" + std::to_string(port) +
                               "\npasv_min_port=" + std::to_string(passive) +
                               "\npasv_max_port=" + std::to_string(passive + 20) + "\n");
            return std::vector<std::string>{"/usr/sbin/vsftpd", file.string()};
        });
    }
    std::string Log() const { return ReadAll(log_); }

private:
    std::filesystem::path log_;
};

} // namespace testsupport
