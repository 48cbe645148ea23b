#pragma once

// Text files: reading them line by line, and writing any file whole and atomically.

#include "text/Result.h"

#include <string>

// A text file read whole into memory, handed out line by line.
class TTextFile {
public:
    TTextFile() = default;
    TTextFile(const TTextFile&) = delete;
    TTextFile& operator=(const TTextFile&) = delete;

    // One line, without its end; a line ends at LF or CR LF, a lone CR is dropped and the byte
    // 0x1A ends the file. Past the end the line is empty.
    std::string ReadTextLine();
    bool Eof() const { return readAt_ >= content_.size(); }

private:
    friend TResult OpenTextFile(const std::string&, TTextFile&);

    std::string content_;
    size_t readAt_ = 0;
};

// Reads the existing file at `path` into `file`. A missing file (or a folder) fails with ENOENT;
// on any failure `file` is left as it was.
TResult OpenTextFile(const std::string& path, TTextFile& file);

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
// - With TFileAccess::Private the new file is readable and writable by its owner alone (0600),
//   whatever the file it replaces allowed and whatever the umask.
enum class TFileAccess { Usual, Private };
TResult WriteFileAtomic(const std::string& path, const std::string& bytes,
                        TFileAccess access = TFileAccess::Usual);

// Removes the temporary files of `target` (the path of the file itself, not of a link to it) that
// saves killed half-way left behind: those unchanged for a minute, as WriteFileAtomic does before
// it writes. Best effort: one that cannot be removed stays.
void RemoveStaleTemporaries(const std::string& target);

// Creates `path` exclusively, never through a symbolic link, and writes `bytes` into it; a file
// that is left incomplete is removed. Fails with EEXIST when the name is taken.
TResult WriteFileExclusive(const std::string& path, const std::string& bytes);

// Reads the whole file at `path`, every byte as it is, into `content`, which is left as it was on
// failure (a folder fails with EISDIR).
TResult ReadWholeFile(const std::string& path, std::string& content);

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
