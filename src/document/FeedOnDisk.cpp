#include "document/FeedOnDisk.h"

#include "text/TextFile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// Stands for the lines that tell when and by which version a feed was built; no line of a feed
// holds a line break.
constexpr std::string_view Stamp = "\n";

// The lines of `text`, the channel's date and the generator's line masked by Stamp. The channel
// comes before the entries, so its date is the first one.
std::vector<std::string_view> ContentLines(std::string_view text) {
    std::vector<std::string_view> lines;
    bool dateSeen = false, generatorSeen = false;
    for (size_t start = 0; start <= text.size();) {
        const size_t end = std::min(text.find('\n', start), text.size());
        std::string_view line = text.substr(start, end - start);
        if (!dateSeen && line.starts_with("    <dc:date>")) {
            dateSeen = true;
            line = Stamp;
        } else if (!generatorSeen && line.starts_with("    <admin:generatorAgent ")) {
            generatorSeen = true;
            line = Stamp;
        }
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// The content of the regular file at `path` when it is no longer than `limit` bytes, and its
// modification time.
std::optional<std::string> ReadFeedFile(const std::string& path, size_t limit, timespec& modified) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat info {};
    std::optional<std::string> content;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
        static_cast<size_t>(info.st_size) <= limit) {
        modified = info.st_mtim;
        std::string bytes(static_cast<size_t>(info.st_size), '\0');
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t got = read(fd, bytes.data() + done, bytes.size() - done);
            if (got > 0)
                done += static_cast<size_t>(got);
            else if (got == 0 || errno != EINTR)
                break;
        }
        if (done == bytes.size()) content = std::move(bytes);
    }
    close(fd);
    return content;
}

bool Older(const timespec& a, const timespec& b) {
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

} // namespace

bool FeedFileInStep(const TFeedDocument& document, const TFeedFile& feed) {
    if (feed.Path.empty()) return false;
    // The stamp lines differ by a few bytes between builds and versions.
    timespec feedModified{};
    const std::optional<std::string> onDisk =
        ReadFeedFile(feed.Path, feed.Text.size() + 4096, feedModified);
    if (!onDisk) return false;
    struct stat table {};
    if (stat(document.FileName.c_str(), &table) == 0 && Older(feedModified, table.st_mtim))
        return false;
    return ContentLines(*onDisk) == ContentLines(feed.Text);
}

void RemoveInterruptedSaves(const TFeedDocument& document) {
    RemoveStaleTemporaries(document.FileName);
    if (const std::string feed = FeedFileName(document); !feed.empty())
        RemoveStaleTemporaries(feed);
}
