#include "document/DiskState.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <memory>
#include <sys/stat.h>

namespace {

// 64-bit FNV-1a, fed block by block.
class TContentHash {
public:
    void Add(const unsigned char* bytes, size_t count) {
        for (size_t n = 0; n < count; ++n) {
            value_ ^= bytes[n];
            value_ *= 0x100000001B3ull;
        }
    }
    std::uint64_t Value() const { return value_; }

private:
    std::uint64_t value_ = 0xCBF29CE484222325ull;
};

struct TFileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

bool HashFile(const std::string& diskPath, std::uint64_t& hash) {
    const std::unique_ptr<std::FILE, TFileCloser> file(std::fopen(diskPath.c_str(), "rb"));
    if (!file) return false;
    TContentHash content;
    std::array<unsigned char, 65536> block;
    size_t count = 0;
    while ((count = std::fread(block.data(), 1, block.size(), file.get())) > 0)
        content.Add(block.data(), count);
    if (std::ferror(file.get())) return false;
    hash = content.Value();
    return true;
}

// Reads one decimal number and the blank after it (none after the last one) from `text`.
template <typename T> bool TakeNumber(std::string_view& text, T& value, bool last) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end == text.data()) return false;
    text.remove_prefix(static_cast<size_t>(end - text.data()));
    if (last) return text.empty();
    if (!text.starts_with(' ')) return false;
    text.remove_prefix(1);
    return true;
}

} // namespace

std::string DiskStateText(const TDiskState& state) {
    return std::to_string(state.Exists) + ' ' + std::to_string(state.Size) + ' ' +
           std::to_string(state.ModifiedNs) + ' ' + std::to_string(state.ContentHash) + ' ' +
           std::to_string(state.Readable);
}

std::optional<TDiskState> ParseDiskState(std::string_view text) {
    TDiskState state;
    int exists = 0;
    int readable = 0;
    if (!TakeNumber(text, exists, false) || !TakeNumber(text, state.Size, false) ||
        !TakeNumber(text, state.ModifiedNs, false) || !TakeNumber(text, state.ContentHash, false) ||
        !TakeNumber(text, readable, true) || exists < 0 || exists > 1 || readable < 0 ||
        readable > 1)
        return std::nullopt;
    state.Exists = exists == 1;
    state.Readable = readable == 1;
    return state;
}

TDiskState ReadDiskState(const std::string& diskPath) {
    TDiskState state;
    struct stat info {};
    if (::stat(diskPath.c_str(), &info) != 0) return state;
    state.Exists = true;
    state.Size = static_cast<std::uint64_t>(info.st_size);
    state.ModifiedNs =
        static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
    // Only a regular file has content to compare; reading a FIFO or device could block.
    if (S_ISREG(info.st_mode)) state.Readable = HashFile(diskPath, state.ContentHash);
    return state;
}

bool ChangedOnDisk(const TDiskState& recorded, const TDiskState& current) {
    return current.Exists && current != recorded;
}
