#pragma once

// The browser preview's test copy of the feed and the feed validation service's address.

#include "document/FeedDocument.h"
#include "text/Result.h"

#include <string>

struct TPreviewPlan {
    std::string Notice;             // lines to confirm before the preview; empty: nothing to say
    std::string StyleSheetOverride; // for the feed writer: empty, an href, or "*" for none
};

// What the test copy differs in from the saved feed, and which style sheet it can reference: a
// bare style sheet name is looked up under the feed's web folder, else in the save folder or the
// program's folder (as a file:// address).
TPreviewPlan PlanPreview(const TFeedDocument& document, const std::string& programFolder);

// The notice with its heading, as the confirmation question shows it.
std::string PreviewQuestion(const std::string& notice);

// The test copy's file name (the file system's bytes): the table file's name (of the path
// `tableFileName`, the file system's bytes) lower-cased, or "orvanetest", with ".xml".
std::string PreviewCopyName(const std::string& tableFileName);

// The folder for the test copy: the user's runtime folder ($XDG_RUNTIME_DIR), where no other
// user can take the copy's name, when it is an absolute path to a folder of the user's own; else
// the temporary folder (Platform.h).
std::string PreviewCopyFolder();

// Writes the test copy: an old copy is deleted, the new one created exclusively and without
// following a link planted in its place. When it cannot be written (another user's file of that
// name in a shared folder, say) the cause is returned and no copy exists.
TResult WritePreviewCopy(const std::string& diskPath, const std::string& bytes);

// The validation service's address for the feed: its web folder (code page 932 text) and the
// file name of `feedFileName` (a path, the file system's bytes), encoded as the query value.
std::string ValidationAddress(const std::string& feedAddress, const std::string& feedFileName);
