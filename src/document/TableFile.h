#pragma once

// The table file: the editor's own document file, 72 lines of code page 932 text ended by CR LF.

#include "FeedDocument.h"
#include "Result.h"

#include <string>

// The file's content for the document.
std::string TableFileText(const TFeedDocument& document);

// Writes the document to `path` (code page 932 text) as a whole: on failure the previous file is
// left as it was and the document is unchanged. On success the document's FileName becomes `path`.
// On failure the result says why; the caller shows MsgTableSaveFailed() with it.
TResult WriteTableFile(TFeedDocument& document, const std::string& path);

// Reads the table file at `path` into the document: FileName, the channel fields and every item
// row (rows the file does not reach are emptied), then Modified is false. When the file cannot be
// opened the document is left as it was and false is returned; the caller shows
// MsgTableLoadFailed().
bool LoadTableFile(TFeedDocument& document, const std::string& path);
