#pragma once

// What a file looked like on disk when the program last read or wrote it, so that a later write
// can tell whether another program has changed the file in between. A record holds whether the
// file existed, its size, its modification time and a hash of its content (for a regular file
// that could be read). Reading a state never changes the file.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct TDiskState {
    bool Exists = false;
    std::uint64_t Size = 0;
    std::int64_t ModifiedNs = 0; // modification time in nanoseconds since the epoch
    std::uint64_t ContentHash = 0;
    bool Readable = false;
    friend bool operator==(const TDiskState&, const TDiskState&) = default;
};

// The state of the file at `diskPath` (file-system bytes) now. Linear in the file's size.
TDiskState ReadDiskState(const std::string& diskPath);

// Whether overwriting the file would lose a change another program made since `recorded`: the file
// exists now and differs from the record in size, modification time or content. A file that has
// gone since holds nothing to lose.
bool ChangedOnDisk(const TDiskState& recorded, const TDiskState& current);

// The record as one line of text (no line break), and back: a text that is not exactly such a
// line gives nothing.
std::string DiskStateText(const TDiskState& state);
std::optional<TDiskState> ParseDiskState(std::string_view text);
