#include "text/TextFile.h"

#include "text/CodePage.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

namespace {

constexpr char EndOfFileMark = '\x1A';

// Temporary files are named ".orvanix-" + a hash of the target's name + "-" + mkstemp's six
// characters: a fixed 24 bytes, and the hash tells which target a leftover belongs to.
constexpr std::string_view TempPrefix = ".orvanix-";
constexpr size_t TempRandomLength = 6;
constexpr time_t StaleSeconds = 60;
constexpr int MaxLinkSteps = 40; // as many as the kernel follows in one path

TResult Refused(const char* utf8Reason) {
    return TResult::Because(Utf8ToCp932(utf8Reason).value());
}

// FNV-1a: short, stable across runs and builds.
uint32_t NameHash(std::string_view name) {
    uint32_t hash = 2166136261u;
    for (const char ch : name) {
        hash ^= static_cast<unsigned char>(ch);
        hash *= 16777619u;
    }
    return hash;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The part of a temporary file's name shared by every temporary file of `target`.
std::string TempTag(const std::string& target) {
    char hash[9];
    std::snprintf(hash, sizeof hash, "%08x", NameHash(BaseName(target)));
    return std::string(TempPrefix) + hash + "-";
}

bool IsTempOf(std::string_view name, std::string_view tag) {
    return name.size() == tag.size() + TempRandomLength && name.starts_with(tag) &&
           std::all_of(name.begin() + static_cast<ptrdiff_t>(tag.size()), name.end(),
                       [](char ch) { return std::isalnum(static_cast<unsigned char>(ch)); });
}

// The kernel follows a link that lies in a sticky folder everyone may write to (such as /tmp)
// only for the link's owner or when the folder's owner made it: anyone could have planted it
// there. Links resolved here bypass the kernel's check, so each one is judged by the same rule.
bool MayFollowLink(const std::string& link, const struct stat& linkInfo) {
    struct stat folder {};
    if (stat(FolderOf(link).c_str(), &folder) != 0) return false;
    const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
    return !shared || linkInfo.st_uid == geteuid() || linkInfo.st_uid == folder.st_uid;
}

TResult ForeignLink(const std::string& link) {
    return TResult::Because(
        Utf8ToCp932Shown("共有フォルダにある他のユーザーのリンク「" + link + "」はたどれません。"));
}

// Replaces `path`, a symbolic link, with the name it points to: a relative target is taken from
// the link's own folder, as the kernel takes it, whatever the working folder.
TResult ReadLink(std::string& path) {
    char buffer[PATH_MAX];
    const ssize_t length = readlink(path.c_str(), buffer, sizeof buffer);
    if (length < 0) return TResult::FromErrno(errno);
    if (static_cast<size_t>(length) == sizeof buffer) return TResult::FromErrno(ENAMETOOLONG);
    std::string target(buffer, static_cast<size_t>(length));
    path = target.starts_with('/') ? std::move(target) : FolderOf(path) + "/" + target;
    return {};
}

// Follows the links at `path`, one at a time so that each is judged in the folder it lies in,
// to the name a save replaces; `info` ends up describing that name.
TResult FollowLinks(std::string& path, struct stat& info) {
    for (int steps = 0; S_ISLNK(info.st_mode); ++steps) {
        if (steps == MaxLinkSteps) return TResult::FromErrno(ELOOP);
        if (!MayFollowLink(path, info)) return ForeignLink(path);
        if (TResult read = ReadLink(path); !read) return read;
        if (lstat(path.c_str(), &info) != 0)
            return errno == ENOENT ? Refused("リンク先のファイルがありません。")
                                   : TResult::FromErrno(errno);
    }
    return {};
}

// Finds the file that a save of `path` replaces: a symbolic link is followed to the file it names.
// Only a regular file, or no file at all, may be replaced; `existing` tells which.
TResult ResolveTarget(const std::string& path, std::string& target,
                      std::optional<struct stat>& existing) {
    target = path;
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) {
        if (errno == ENOENT) return {};
        return TResult::FromErrno(errno);
    }
    if (TResult followed = FollowLinks(target, info); !followed) return followed;
    if (S_ISDIR(info.st_mode)) return TResult::FromErrno(EISDIR);
    if (!S_ISREG(info.st_mode)) return Refused("通常のファイルではないため、置き換えられません。");
    if ((info.st_mode & 0222) == 0) return TResult::FromErrno(EACCES);
    // The rename needs only the folder's permission: without this a save would take over a file
    // the user could not change by hand.
    if (faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
        return TResult::FromErrno(errno);
    existing = info;
    return {};
}

} // namespace

// Removes what earlier saves of `target` left behind when they were killed half-way: regular
// files of the target's own temporary name that have not changed for a minute, so that a save
// still in progress elsewhere keeps its file. Links are never followed. Best effort: a leftover
// that cannot be removed does not stop the save.
void RemoveStaleTemporaries(const std::string& target) {
    const int folder = open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) return;
    DIR* listing = fdopendir(folder);
    if (!listing) {
        close(folder);
        return;
    }
    const std::string tag = TempTag(target);
    const time_t staleBefore = std::time(nullptr) - StaleSeconds;
    while (const dirent* entry = readdir(listing)) {
        if (!IsTempOf(entry->d_name, tag)) continue;
        struct stat info {};
        if (fstatat(folder, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(info.st_mode) && info.st_mtime < staleBefore)
            unlinkat(folder, entry->d_name, 0);
    }
    closedir(listing);
}

namespace {

// The process's umask as the kernel shows it; nothing where it does not (before Linux 4.7).
std::optional<mode_t> UmaskFromStatus() {
    FILE* status = std::fopen("/proc/self/status", "re");
    if (!status) return std::nullopt;
    std::optional<mode_t> mask;
    char line[256];
    while (!mask && std::fgets(line, sizeof line, status)) {
        unsigned value = 0;
        if (std::sscanf(line, "Umask: %o", &value) == 1) mask = static_cast<mode_t>(value);
    }
    std::fclose(status);
    return mask;
}

// Learning the umask by setting it would, for a moment, give files that other threads create
// the wrong permissions, so that is done only where the kernel does not show it.
mode_t CurrentUmask() {
    if (const std::optional<mode_t> mask = UmaskFromStatus()) return *mask;
    const mode_t mask = umask(0);
    umask(mask);
    return mask;
}

// Permissions for the new file: those of the file it replaces, else the usual ones for a new file.
mode_t PermissionsFor(const std::optional<struct stat>& existing, TFileAccess access) {
    if (access == TFileAccess::Private) return 0600;
    if (existing) return existing->st_mode & 07777;
    return 0666 & ~CurrentUmask();
}

bool WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// Writes the temporary file whole and to disk with the replaced file's owner, group and
// permissions. Only the owner and group may be refused (a user cannot give a file away): the
// file then stays the user's, as a new file would. Returns the errno value of a failure, or 0.
int FillTemporary(int fd, const std::string& bytes, const std::optional<struct stat>& existing,
                  TFileAccess access) {
    errno = 0;
    if (!WriteAll(fd, bytes)) return errno ? errno : EIO;
    if (existing) std::ignore = fchown(fd, existing->st_uid, existing->st_gid);
    if (fchmod(fd, PermissionsFor(existing, access)) != 0 || fsync(fd) != 0) return errno;
    return 0;
}

} // namespace

TResult ReadWholeFile(const std::string& path, std::string& content) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return TResult::FromErrno(errno);
    std::string bytes;
    char buffer[64 * 1024];
    ssize_t n = 0;
    while ((n = read(fd, buffer, sizeof buffer)) != 0) {
        if (n > 0)
            bytes.append(buffer, static_cast<size_t>(n));
        else if (errno != EINTR)
            break;
    }
    const int error = n < 0 ? errno : 0;
    close(fd);
    if (error != 0) return TResult::FromErrno(error);
    content = std::move(bytes);
    return {};
}

TResult WriteFileAtomic(const std::string& path, const std::string& bytes, TFileAccess access) {
    std::string target;
    std::optional<struct stat> existing;
    if (TResult resolved = ResolveTarget(path, target, existing); !resolved) return resolved;
    RemoveStaleTemporaries(target);

    std::string temp = FolderOf(target) + "/" + TempTag(target) + "XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) return TResult::FromErrno(errno);
    int error = FillTemporary(fd, bytes, existing, access);
    if (close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && rename(temp.c_str(), target.c_str()) != 0) error = errno;
    if (error != 0) unlink(temp.c_str());
    return TResult::FromErrno(error);
}

TResult WriteFileExclusive(const std::string& path, const std::string& bytes) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return TResult::FromErrno(errno);
    int error = WriteAll(fd, bytes) ? 0 : (errno ? errno : EIO);
    if (close(fd) != 0 && error == 0) error = errno;
    if (error != 0) unlink(path.c_str());
    return TResult::FromErrno(error);
}

bool FileExists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string TTextFile::ReadTextLine() {
    if (Eof()) return {};
    size_t end = content_.find('\n', readAt_);
    if (end == std::string::npos) end = content_.size();
    std::string line = content_.substr(readAt_, end - readAt_);
    std::erase(line, '\r');
    readAt_ = end + 1;
    return line;
}

TResult OpenTextFile(const std::string& path, TTextFile& file) {
    if (!FileExists(path)) return TResult::FromErrno(ENOENT);
    std::string content;
    if (TResult read = ReadWholeFile(path, content); !read) return read;
    const size_t mark = content.find(EndOfFileMark);
    if (mark != std::string::npos) content.resize(mark);
    file.content_ = std::move(content);
    file.readAt_ = 0;
    return {};
}
