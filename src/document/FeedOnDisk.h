#pragma once

// The feed file on disk against the document of its table file. A save writes the table file and
// then the feed; one killed in between leaves the new table file beside the old feed (and the
// feed's temporary file). Opening the table file tells such a feed by FeedFileInStep, and
// RemoveInterruptedSaves clears the temporary files away. Reading never changes a file.

#include "document/FeedDocument.h"
#include "document/SaveDocument.h"

// True when the file at feed.Path is the feed a save of `document` writes now: a regular file, not
// older than the table file document.FileName, holding feed.Text (BuildFeedFile) except for the
// moment the feed was built and the program version that built it. False when it cannot be read.
// Linear in the feed's size; a file far longer than the feed is not read.
bool FeedFileInStep(const TFeedDocument& document, const TFeedFile& feed);

// Removes the temporary files that saves of the document's table file and feed left behind when
// they were killed half-way, as the next save of each would (text/TextFile.h). Best effort.
void RemoveInterruptedSaves(const TFeedDocument& document);
