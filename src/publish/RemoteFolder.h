#pragma once

// TRemoteFolder: the publish settings' folder on the server, as the publisher uses it over one
// protocol: files named inside the folder are created, looked at, renamed and removed there, each
// call one step on one connection. Implemented over SFTP (SftpFolder.h) and FTP or FTPS
// (FtpFolder.h); the steps of a publish and what they mean for the site live in Publisher.cpp.
//
// A step that fails says how in a TRemoteStatus: what kind of failure (so the publisher can tell
// a lost connection from a refusal), with the server's own words where it gave any. After a lost
// connection every step fails alike until Open connects again. Nothing here asks the user anything
// but the trust questions of TPublishPrompts, and only while connecting.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

enum class TRemoteFault {
    None,
    Cancelled,        // the user stopped it (TPublishPrompts::Progress)
    HostNotFound,     // the server's name does not resolve
    Unreachable,      // nothing answers at the server's port
    TimedOut,         // the server stopped answering
    ConnectionLost,   // the connection broke
    NotTrusted,       // host key or certificate refused; Detail is the whole message
    LoginDenied,      // user name, password or keys refused
    NoSuchFile,       // the folder or the file is not there
    PermissionDenied, // the server refuses to write or change it
    DiskFull,         // no space left or the quota is used up
    WriteStopped,     // an upload broke off while the server still answers: a full disk or a
                      // line that dropped for a moment, the server will not say which
    NameTaken,        // something already has the name a new file was to take
    Mismatch,         // the file on the server is not the one sent (found by the publisher)
    NotRecorded,      // this machine's record of the publish cannot be written (the publisher)
    Other,            // anything else; Detail says what the server or library said
};

struct TRemoteStatus {
    TRemoteFault Fault = TRemoteFault::None;
    std::string Detail; // UTF-8: the server's or library's words, or the whole message of a trust
                        // failure
    explicit operator bool() const { return Fault == TRemoteFault::None; }
};

// What the server says of a name in the folder.
struct TRemoteEntry {
    bool Exists = false;
    bool Regular = true;                 // a plain file, as far as the protocol tells (FTP not)
    std::optional<uint64_t> Size;        // where the server tells it
    std::optional<uint32_t> Permissions; // where the server tells them
};

// The user's view of a publish under way: TPublishPrompts::Progress, called by one thread at a
// time, though the publish and a connection's helper thread may both report.
class TProgressReport {
public:
    TProgressReport(std::function<bool(uint64_t sent, uint64_t total)> progress, uint64_t total)
        : progress_(std::move(progress)), total_(total) {}

    // Reports `sent` bytes of the file under way sent (at most the whole; less than before keeps
    // the last); false once the user has stopped the publish.
    bool Report(uint64_t sent) {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (concluded_) return true;
        sent_ = std::max(sent_, std::min(before_ + sent, total_));
        try {
            if (!stopped_ && progress_) stopped_ = !progress_(sent_, total_);
        } catch (const std::exception&) {
            stopped_ = true; // a report that cannot be made stops the publish
        }
        return !stopped_;
    }
    // The last report again, for a connection that waits on the server.
    bool Repeat() { return Report(0); }
    // The files sent before the one now under way hold `before` bytes of the total.
    void StartFile(uint64_t before) {
        const std::lock_guard<std::mutex> lock(mutex_);
        before_ = before;
    }
    bool Stopped() {
        const std::lock_guard<std::mutex> lock(mutex_);
        return stopped_ && !concluded_;
    }
    // From here on the publish runs to its end: nothing is reported and nothing stops it.
    void Conclude() {
        const std::lock_guard<std::mutex> lock(mutex_);
        concluded_ = true;
    }

private:
    std::mutex mutex_;
    std::function<bool(uint64_t, uint64_t)> progress_;
    uint64_t total_;
    uint64_t before_ = 0;
    uint64_t sent_ = 0;
    bool stopped_ = false;
    bool concluded_ = false;
};

class TRemoteFolder {
public:
    virtual ~TRemoteFolder() = default;

    // Connects and logs in, checking the server's identity, and makes sure the folder is there;
    // called again after a lost connection, it connects anew without asking the user again.
    virtual TRemoteStatus Open() = 0;
    // Creates the file `name` holding `bytes`, failing with NameTaken when the name is in use,
    // and reports the bytes as they go. A file left incomplete may remain.
    virtual TRemoteStatus Create(const std::string& name, const std::string& bytes) = 0;
    // What is at `name`, never following a link where the protocol can tell one.
    virtual TRemoteStatus Look(const std::string& name, TRemoteEntry& entry) = 0;
    // The file `name`, up to `limit` bytes: a check for servers that cannot tell a size.
    virtual TRemoteStatus Read(const std::string& name, std::string& bytes, size_t limit) = 0;
    // Lets everyone read the file `name` that this publish created (a web server must read it).
    virtual TRemoteStatus MakeReadable(const std::string& name) = 0;
    // Renames `from` to `to`, replacing a file at `to` in one step where the server can;
    // elsewhere only onto a free name.
    virtual TRemoteStatus Replace(const std::string& from, const std::string& to) = 0;
    // Renames `from` to the free name `to`.
    virtual TRemoteStatus Rename(const std::string& from, const std::string& to) = 0;
    virtual TRemoteStatus Remove(const std::string& name) = 0;
};
