#pragma once

// The table file: the editor's own document file, 72 lines of code page 932 text ended by CR LF.

#include "document/FeedDocument.h"
#include "text/Result.h"

#include <string>

// The lines of a table file; a reader reads no further.
inline constexpr int TableFileLines = 72;

// The file's content for the document.
std::string TableFileText(const TFeedDocument& document);

// Writes the document to `path` (the file system's bytes) as a whole: on failure the previous file
// is left as it was and the document is unchanged. On success the document's FileName becomes
// `path`. On failure the result says why; the caller shows MsgTableSaveFailed() with it.
TResult WriteTableFile(TFeedDocument& document, const std::string& path);

// Reads the table file at `path` (the file system's bytes; FileName becomes it) into the
// document: the channel fields and every item row (rows the file does not reach are emptied),
// then Modified is false. Only the lines of one document are read, however large the file. A
// path that is no regular file (a folder, a FIFO, a device) is refused before anything is read;
// a file whose first line is no format version such as "1.00" is not a table file and refused
// (MsgNotTableFile). On any failure the document is left exactly as it was and the result says
// why; the caller shows it after MsgTableLoadFailed().
TResult LoadTableFile(TFeedDocument& document, const std::string& path);
