#pragma once

// Saving a document: the table file, then the feed file derived from it, then, where the table
// file's settings ask for it, the news page and its list file beside the feed. The feed takes one
// route wherever it is made from a table file, in the editor's save and in orvanix-feed:
// BuildFeedFile builds it and WriteFeedFile writes it and words the outcome, so the two cannot
// drift apart; the page goes the same way through BuildNewsPageFiles and WriteNewsPageFiles. A
// page that cannot be made (a template that cannot be read or parsed) fails on its own: the table
// file and the feed are saved all the same.
//
// Paths are the file system's bytes (FileNames.h); messages are code page 932 text, with a path
// shown in them as far as code page 932 can show it.

#include "document/FeedDocument.h"
#include "document/FeedWriter.h"
#include "document/NewsPageSettings.h"
#include "text/Result.h"

#include <string>
#include <vector>

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
    // The news page: failed when it was asked for and could not be written (the message says why
    // after the save's own words); its files, page first, when it was written.
    TResult Page;
    std::vector<std::string> PagePaths;
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

// A file of the news page: its path (the file system's bytes), its whole text, and what the user
// calls it in messages ("お知らせページ"); UTF-8.
struct TPageFile {
    std::string Path;
    std::string Text;
    std::string What;
};

// The news page of a document whose feed is written at `feedPath`, and its list file, beside the
// feed: the built-in page, or the settings' template rendered. Result fails for a page name
// CheckNewsPageName refuses or a template that cannot be read or parsed; Files is then empty.
struct TNewsPageFiles {
    TResult Result;
    std::vector<TPageFile> Files; // the page, then the list file
};
TNewsPageFiles BuildNewsPageFiles(const TFeedDocument& document, const std::string& feedPath,
                                  const TNewsPageSettings& settings);

// Writes the files, each whole or not at all (WriteFileAtomic). Refuses, before writing any, a
// file that would replace the feed at `feedPath` or the document's table file.
TResult WriteNewsPageFiles(const TFeedDocument& document, const std::string& feedPath,
                           const TNewsPageFiles& page);

// Writes the table file to `target` and the feed file beside it or into the save folder, then the
// news page when `page` is enabled (Page and PagePaths say how that went).
// `now` and `versionText` go into the feed. A complete save also counts the feed check's errors. A
// table file name that code page 932 cannot hold exactly (FileNames.h) is refused first:
// TableFailed, and nothing is written. Shows nothing: the result says what to report.
TSaveResult SaveDocumentFiles(TFeedDocument& document, const std::string& target,
                              const TFeedTime& now, const std::string& versionText,
                              const TNewsPageSettings& page = {});
