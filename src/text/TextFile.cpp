#include "TextFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char EndOfFileMark = '\x1A';

// Follows a symbolic link at the target so that the file it points to is replaced, not the link.
std::string ResolveTarget(const std::string& path) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) ? std::string(resolved) : path;
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

// Permissions for the new file: those of the file it replaces, else the usual ones for a new file.
mode_t PermissionsFor(const struct stat* existing) {
    if (existing) return existing->st_mode & 07777;
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
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

} // namespace

TResult WriteFileAtomic(const std::string& path, const std::string& bytes) {
    const std::string target = ResolveTarget(path);
    struct stat existing {};
    const bool exists = stat(target.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) return TResult::FromErrno(EISDIR);
    if (exists && (existing.st_mode & 0222) == 0) return TResult::FromErrno(EACCES);

    std::string temp = FolderOf(target) + "/." + BaseName(target) + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) return TResult::FromErrno(errno);
    int error = 0;
    if (!WriteAll(fd, bytes) || fchmod(fd, PermissionsFor(exists ? &existing : nullptr)) != 0 ||
        fsync(fd) != 0)
        error = errno ? errno : EIO;
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

TResult TTextFile::OpenForReading(const std::string& path) {
    if (!FileExists(path)) return TResult::FromErrno(ENOENT);
    std::ifstream in(path, std::ios::binary);
    if (!in) return TResult::FromErrno(errno ? errno : EACCES);
    content_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) return TResult::FromErrno(EIO);
    const size_t mark = content_.find(EndOfFileMark);
    if (mark != std::string::npos) content_.resize(mark);
    path_ = path;
    readAt_ = 0;
    writing_ = false;
    return {};
}

TResult TTextFile::OpenForWriting(const std::string& path, bool keepContent) {
    content_.clear();
    if (keepContent && FileExists(path)) {
        const TResult read = OpenForReading(path);
        if (!read) return read;
    }
    path_ = path;
    readAt_ = 0;
    writing_ = true;
    return {};
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

TResult TTextFile::Close() {
    const TResult result = writing_ ? WriteFileAtomic(path_, content_) : TResult();
    content_.clear();
    writing_ = false;
    return result;
}

TResult OpenTextFile(const std::string& path, char mode, TTextFile& file) {
    switch (mode) {
    case 'I':
    case 'R':
        return file.OpenForReading(path);
    case 'O':
    case 'W':
        return file.OpenForWriting(path, false);
    case 'A':
        return file.OpenForWriting(path, true);
    default:
        return TResult::FromErrno(EINVAL);
    }
}

TResult OpenDataFile(const std::string& path, TTextFile& file, int /*recordSize*/) {
    return file.OpenForWriting(path, false);
}
