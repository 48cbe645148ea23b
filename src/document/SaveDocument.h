#pragma once

// Saving a document: the table file, then the feed file derived from it.

#include "FeedDocument.h"
#include "FeedWriter.h"

#include <string>

enum class TSaveOutcome {
    TableFailed,       // nothing written, the document unchanged
    InvalidSaveFolder, // table file written and FileName set; no feed; Modified unchanged
    FeedFailed,        // table file written and FileName set; no feed; Modified unchanged
    Saved,             // both files written; Modified false
};

struct TSaveResult {
    TSaveOutcome Outcome = TSaveOutcome::TableFailed;
    std::string FeedPath;          // the feed file's path when it could be derived
    bool IdentifiersUnique = true; // false: the message carries the warning and a beep is due
    std::string Message; // code page 932 text the window shows; a failure's reason on line two
};

// Writes the table file to `target` and the feed file beside it or into the save folder.
// `now` and `versionText` go into the feed. Shows nothing: the result says what to report.
TSaveResult SaveDocumentFiles(TFeedDocument& document, const std::string& target,
                              const TFeedTime& now, const std::string& versionText);
