#pragma once

// Saving a document: the table file, then the feed file derived from it. The feed takes one route
// wherever it is made from a table file, in the editor's save and in orvanix-feed: BuildFeedFile
// builds it and WriteFeedFile writes it and words the outcome, so the two cannot drift apart.
//
// Paths are the file system's bytes (FileNames.h); messages are code page 932 text, with a path
// shown in them as far as code page 932 can show it.

#include "document/FeedDocument.h"
#include "document/FeedWriter.h"

#include <string>

enum class TSaveOutcome {
    TableFailed,       // nothing written, the document unchanged
    InvalidSaveFolder, // table file written and FileName set; no feed; Modified unchanged
    FeedFailed,        // table file written and FileName set; no feed; Modified unchanged
    Saved,             // both files written; Modified false
};

struct TSaveResult {
    TSaveOutcome Outcome = TSaveOutcome::TableFailed;
    std::string FeedPath; // the feed file's path when it could be derived
    std::string Message;  // code page 932 text the window shows; a failure's reason on line two
    int CheckErrors = 0;  // errors the feed check finds in a saved document; the message says so
};

// The feed of a document whose FileName names its table file.
struct TFeedFile {
    std::string Path; // FeedFileName: empty when the save folder does not exist
    std::string Text; // the whole feed, UTF-8
};

TFeedFile BuildFeedFile(const TFeedDocument& document, const TFeedTime& now,
                        const std::string& versionText);

// Writes `feed` to `target`, or to its own Path when `target` is empty, and says how it went as a
// save does: InvalidSaveFolder when there is no path (the message names the save folder),
// FeedFailed with the reason (also when the target is the table file itself, which is never
// replaced), else Saved with the complete message. The document is not changed.
TSaveResult WriteFeedFile(const TFeedDocument& document, const TFeedFile& feed,
                          const std::string& target = {});

// Writes the table file to `target` and the feed file beside it or into the save folder.
// `now` and `versionText` go into the feed. A complete save also counts the feed check's errors. A
// table file name that code page 932 cannot hold exactly (FileNames.h) is refused first:
// TableFailed, and nothing is written. Shows nothing: the result says what to report.
TSaveResult SaveDocumentFiles(TFeedDocument& document, const std::string& target,
                              const TFeedTime& now, const std::string& versionText);
