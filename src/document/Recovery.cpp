#include "document/Recovery.h"

#include "document/Messages.h"
#include "document/TableFile.h"
#include "text/LineReader.h"
#include "text/PercentEncode.h"
#include "text/TextFile.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace fs = std::filesystem;

namespace {

// The line after the table file's text: this tag, then the table file's path percent-encoded, so
// that any byte of a path (a line break included) survives the line structure.
constexpr std::string_view PathTag = "orvanix-recovery-of:";
// The last line when the table file's state is known: this tag, then the state.
constexpr std::string_view StateTag = "orvanix-recovery-disk:";
constexpr size_t MaxLineBytes = size_t{64} << 20;

constexpr std::string_view CopyExtension = ".recovery";
constexpr std::string_view LockExtension = ".lock";

bool EndsWith(const std::string& text, std::string_view end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string LockPathOf(const std::string& copyPath) {
    return copyPath.substr(0, copyPath.size() - CopyExtension.size()) + std::string(LockExtension);
}

// The table file a copy names and its state, read from the lines after the table file's text.
TResult ReadCopiedFile(const std::string& copyPath, TRecoveryCopy& copy) {
    TLineReader file;
    if (TResult opened = file.Open(copyPath); !opened) return opened;
    std::string line;
    for (int n = 0; n <= TableFileLines; ++n)
        if (TResult read = file.ReadLine(line, MaxLineBytes); !read) return read;
    const std::optional<std::string> path =
        line.starts_with(PathTag) ? PercentDecode(line.substr(PathTag.size())) : std::nullopt;
    if (!path) return TResult::Because(MsgNotRecoveryCopy());
    copy.Document.FileName = *path;
    if (file.AtEnd()) return {};
    if (TResult read = file.ReadLine(line, MaxLineBytes); !read) return read;
    copy.TableFileState = line.starts_with(StateTag)
                              ? ParseDiskState(std::string_view(line).substr(StateTag.size()))
                              : std::nullopt;
    if (!copy.TableFileState || !file.AtEnd()) return TResult::Because(MsgNotRecoveryCopy());
    return {};
}

// A name no other editor takes: the process and the moment it started its slot.
std::string SlotName() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    char name[64];
    std::snprintf(name, sizeof name, "editor-%ld-%llx", static_cast<long>(getpid()),
                  static_cast<unsigned long long>(
                      std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
    return name;
}

// The folder with its parents; the last one is the user's alone, as it holds their documents,
// also when it was made or opened up by something else.
TResult CreateFolder(const std::string& folder) {
    std::error_code error;
    fs::create_directories(fs::path(folder).parent_path(), error);
    if (error) return TResult::FromErrno(error.value());
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return TResult::FromErrno(errno);
    struct stat info {};
    if (stat(folder.c_str(), &info) != 0) return TResult::FromErrno(errno);
    if (!S_ISDIR(info.st_mode)) return TResult::FromErrno(ENOTDIR);
    if ((info.st_mode & 077) != 0 && chmod(folder.c_str(), 0700) != 0)
        return TResult::FromErrno(errno);
    return {};
}

fs::file_time_type ModifiedAt(const std::string& path) {
    std::error_code ignored;
    return fs::last_write_time(path, ignored);
}

} // namespace

std::string RecoveryFolder(const char* stateHome, const char* home) {
    if (stateHome && stateHome[0] == '/') return std::string(stateHome) + "/orvanix/recovery";
    return std::string(home ? home : "") + "/.local/state/orvanix/recovery";
}

std::string RecoveryFolder() {
    return RecoveryFolder(std::getenv("XDG_STATE_HOME"), std::getenv("HOME"));
}

std::string RecoveryCopyText(const TRecoveryCopy& copy) {
    std::string text = TableFileText(copy.Document) + std::string(PathTag) +
                       PercentEncode(copy.Document.FileName, TPercentEncoding::QueryValue) + "\r\n";
    if (copy.TableFileState)
        text += std::string(StateTag) + DiskStateText(*copy.TableFileState) + "\r\n";
    return text;
}

TResult ReadRecoveryCopy(TRecoveryCopy& copy, const std::string& copyPath) {
    TRecoveryCopy read;
    if (TResult loaded = LoadTableFile(read.Document, copyPath); !loaded) return loaded;
    if (TResult named = ReadCopiedFile(copyPath, read); !named) return named;
    read.Document.Modified = true;
    copy = std::move(read);
    return {};
}

// ---------------------------------------------------------------------------------------------

TRecoveryLock::TRecoveryLock(TRecoveryLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_)) {}

TRecoveryLock& TRecoveryLock::operator=(TRecoveryLock&& other) noexcept {
    if (this != &other) {
        Unlock();
        fd_ = std::exchange(other.fd_, -1);
        path_ = std::move(other.path_);
    }
    return *this;
}

TResult TRecoveryLock::Lock(const std::string& path) {
    Unlock();
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return TResult::FromErrno(errno);
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        close(fd);
        return TResult::FromErrno(error);
    }
    fd_ = fd;
    path_ = path;
    return {};
}

void TRecoveryLock::RemoveAndUnlock() {
    if (Held()) unlink(path_.c_str());
    Unlock();
}

void TRecoveryLock::Unlock() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
}

std::vector<TLeftRecoveryCopy> FindLeftRecoveryCopies(const std::string& folder) {
    std::vector<TLeftRecoveryCopy> copies;
    std::vector<std::string> lockFiles;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        const std::string path = entry.path().string();
        if (EndsWith(path, LockExtension)) lockFiles.push_back(path);
        if (!EndsWith(path, CopyExtension)) continue;
        TLeftRecoveryCopy copy{path, {}};
        // A lock that cannot be taken belongs to a running editor, whose copy is its own.
        if (copy.Lock.Lock(LockPathOf(path))) copies.push_back(std::move(copy));
    }
    for (const std::string& lockFile : lockFiles) {
        const std::string copyPath =
            lockFile.substr(0, lockFile.size() - LockExtension.size()) + std::string(CopyExtension);
        TRecoveryLock lock;
        if (!FileExists(copyPath) && lock.Lock(lockFile)) lock.RemoveAndUnlock();
    }
    std::sort(copies.begin(), copies.end(),
              [](const TLeftRecoveryCopy& a, const TLeftRecoveryCopy& b) {
                  return ModifiedAt(a.Path) > ModifiedAt(b.Path);
              });
    return copies;
}

TResult DiscardRecoveryCopy(TLeftRecoveryCopy& copy) {
    if (unlink(copy.Path.c_str()) != 0 && errno != ENOENT) return TResult::FromErrno(errno);
    copy.Lock.RemoveAndUnlock();
    return {};
}

// ---------------------------------------------------------------------------------------------

TResult TRecoverySlot::Open(const std::string& folder) {
    Close();
    opened_ = CreateFolder(folder);
    if (!opened_) return opened_;
    const std::string name = folder + "/" + SlotName();
    opened_ = lock_.Lock(name + std::string(LockExtension));
    if (opened_) copyPath_ = name + std::string(CopyExtension);
    return opened_;
}

TResult TRecoverySlot::Write(const TRecoveryCopy& copy) const {
    if (!opened_) return opened_;
    return WriteFileAtomic(copyPath_, RecoveryCopyText(copy), TFileAccess::Private);
}

TResult TRecoverySlot::Remove() const {
    if (!IsOpen() || unlink(copyPath_.c_str()) == 0 || errno == ENOENT) return {};
    return TResult::FromErrno(errno);
}

TResult TRecoverySlot::Adopt(TLeftRecoveryCopy& copy) {
    if (!opened_) return opened_;
    if (rename(copy.Path.c_str(), copyPath_.c_str()) != 0) return TResult::FromErrno(errno);
    copy.Lock.RemoveAndUnlock();
    return {};
}

void TRecoverySlot::Close() {
    if (!IsOpen()) return;
    (void)Remove(); // a copy that outlives its editor is offered at the next start, no harm
    lock_.RemoveAndUnlock();
    opened_ = TResult::FromErrno(EBADF);
}
