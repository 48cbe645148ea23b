#pragma once

// Text and data files. A file opened for writing collects its content in memory; Close() writes
// it whole to a new temporary file in the target's folder and renames that over the target, so a
// failure at any point leaves the previous file as it was.

#include "Result.h"

#include <string>

class TTextFile {
public:
    TTextFile() = default;
    TTextFile(const TTextFile&) = delete;
    TTextFile& operator=(const TTextFile&) = delete;

    // Reading: one line, without its end; a line ends at LF or CR LF, a lone CR is dropped and the
    // byte 0x1A ends the file. Past the end the line is empty.
    std::string ReadTextLine();
    bool Eof() const { return readAt_ >= content_.size(); }

    // Writing: the bytes as they are, or the line followed by CR LF.
    void Write(const std::string& bytes) { content_ += bytes; }
    void WriteLine(const std::string& line) {
        content_ += line;
        content_ += "\r\n";
    }

    // For a file opened for writing, commits the content to disk.
    TResult Close();

private:
    friend TResult OpenTextFile(const std::string&, char, TTextFile&);
    friend TResult OpenDataFile(const std::string&, TTextFile&);

    TResult OpenForReading(const std::string& path);
    TResult OpenForWriting(const std::string& path, bool keepContent);

    std::string path_;
    std::string content_;
    size_t readAt_ = 0;
    bool writing_ = false;
};

// Opens `file` by the mode letter: 'I'/'R' reads an existing file (-1 when it does not exist),
// 'O'/'W' writes a new content, 'A' appends to the existing content. A missing file fails with
// ENOENT, any other letter with EINVAL.
TResult OpenTextFile(const std::string& path, char mode, TTextFile& file);

// Opens `file` for writing a block of bytes that replaces the file on Close().
TResult OpenDataFile(const std::string& path, TTextFile& file);

// Writes `bytes` as the whole new content of `path`: a temporary file in the same folder, written
// and flushed to disk, then renamed over the target, so the target always holds either its old or
// its new content, and on failure it is as it was and no temporary file remains.
// - A symbolic link is followed and the file it names replaced, but, as the kernel does, a link in
//   a sticky folder that everyone may write to (such as /tmp) only when it belongs to the user or
//   to the folder's owner; another user's link there is refused with a reason that names it.
//   Only a regular file or a free name is replaced: a folder (EISDIR), a device, FIFO or socket,
//   and a link that leads nowhere are refused, as is a file without any write permission or one
//   the user could not write by hand (EACCES).
// - The new file keeps the replaced file's permissions, and its owner and group where the process
//   may give them (as root); otherwise it belongs to the process, as a new file would.
// - The temporary file is named ".orvanix-HHHHHHHH-XXXXXX" (24 bytes, whatever the target's name
//   length): H is a hash of the target's name, X random. Such files of the same target that are
//   regular files and unchanged for a minute are left by a save that was killed; they are removed
//   at the next save of that target.
TResult WriteFileAtomic(const std::string& path, const std::string& bytes);

// Creates `path` exclusively, never through a symbolic link, and writes `bytes` into it; a file
// that is left incomplete is removed. Fails with EEXIST when the name is taken.
TResult WriteFileExclusive(const std::string& path, const std::string& bytes);

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
