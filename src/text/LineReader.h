#pragma once

// TLineReader: reads a text file line by line from its start, only as far as its reader asks, so
// a huge file costs no more memory than the lines taken from it. Only a regular file is read: a
// folder, a FIFO or a device is refused when it is opened, before anything is read (a FIFO
// without a writer would block, /dev/zero would never end).
//
// Lines follow the program's text files: a line ends at LF or CR LF, a CR elsewhere is dropped,
// and the byte 0x1A ends the file. After a failure (open, read, a line over its limit) the reader
// is at its end and every further line is empty.

#include "text/Result.h"

#include <cstddef>
#include <string>

class TLineReader {
public:
    TLineReader() = default;
    ~TLineReader();
    TLineReader(const TLineReader&) = delete;
    TLineReader& operator=(const TLineReader&) = delete;

    // Opens `path` for reading. A folder gives EISDIR, anything else that is not a regular file a
    // reason of its own.
    TResult Open(const std::string& path);

    // The next line without its end into `line`; empty at the end of the file. A line longer
    // than `limit` bytes fails with EFBIG; a read error with its errno.
    TResult ReadLine(std::string& line, size_t limit);
    // True when no byte is left (it may read ahead to find out); false while a read error waits
    // to be reported by ReadLine.
    bool AtEnd() { return next_ == filled_ && !Fill() && error_ == 0; }

private:
    bool Fill();
    void Close();

    int fd_ = -1;
    bool atEnd_ = true;
    int error_ = 0;
    char buffer_[65536];
    size_t next_ = 0, filled_ = 0;
};
