#include "text/LineReader.h"

#include "text/CodePage.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char EndOfFileMark = '\x1A';

} // namespace

TLineReader::~TLineReader() {
    Close();
}

void TLineReader::Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    atEnd_ = true;
}

TResult TLineReader::Open(const std::string& path) {
    Close();
    next_ = filled_ = 0;
    error_ = 0;
    // Without O_NONBLOCK a FIFO would wait here for a writer before it could be refused.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return TResult::FromErrno(errno);
    struct stat info {};
    if (fstat(fd, &info) != 0) {
        const int error = errno;
        close(fd);
        return TResult::FromErrno(error);
    }
    if (!S_ISREG(info.st_mode)) {
        close(fd);
        if (S_ISDIR(info.st_mode)) return TResult::FromErrno(EISDIR);
        return TResult::Because(
            Utf8ToCp932("通常のファイルではありません(デバイスやFIFOなどは読み込めません)。")
                .value());
    }
    fd_ = fd;
    atEnd_ = false;
    return {};
}

// Reads the next block into the buffer; false at the end of the file or after an error.
bool TLineReader::Fill() {
    next_ = filled_ = 0;
    while (!atEnd_) {
        const ssize_t n = read(fd_, buffer_, sizeof buffer_);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n < 0) error_ = errno;
            Close();
            return false;
        }
        filled_ = static_cast<size_t>(n);
        if (const void* mark = std::memchr(buffer_, EndOfFileMark, filled_)) {
            filled_ = static_cast<size_t>(static_cast<const char*>(mark) - buffer_);
            Close();
        }
        return filled_ > 0;
    }
    return false;
}

TResult TLineReader::ReadLine(std::string& line, size_t limit) {
    line.clear();
    while (next_ < filled_ || Fill()) {
        const char* start = buffer_ + next_;
        const char* end = buffer_ + filled_;
        const char* lf = std::find(start, end, '\n');
        const size_t before = line.size();
        line.append(start, lf);
        line.erase(
            std::remove(line.begin() + static_cast<std::ptrdiff_t>(before), line.end(), '\r'),
            line.end());
        next_ = static_cast<size_t>(lf - buffer_) + (lf < end ? 1 : 0);
        if (line.size() > limit) {
            Close();
            next_ = filled_ = 0;
            line.clear();
            return TResult::FromErrno(EFBIG);
        }
        if (lf < end) return {};
    }
    if (error_ != 0) {
        line.clear();
        return TResult::FromErrno(error_);
    }
    return {};
}
