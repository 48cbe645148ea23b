#pragma once

// The feed file's path and the RSS 1.0 text of a document.

#include "FeedDocument.h"

#include <string>
#include <utility>
#include <vector>

// A moment in local time with its offset from UTC, as the channel date states it.
struct TFeedTime {
    int Year = 2000, Month = 1, Day = 1, Hour = 0, Minute = 0, Second = 0;
    int UtcOffsetMinutes = 0;
};

TFeedTime CurrentFeedTime();

// "yyyy-mm-ddThh:nn:ss+hh:mm".
std::string FormatChannelDate(const TFeedTime& time);

// The feed file's path for the document's FileName, ExtensionIndex and SaveFolder; empty when the
// save folder is given but does not exist. Only the file name is lower-cased.
std::string FeedFileName(const TFeedDocument& document);

// The web address of `name` in the web folder `folderAddress`: one "/" between them.
std::string WebAddressIn(const std::string& folderAddress, const std::string& name);

// The grid rows of the entries the feed carries: rows with a title, from the bottom row up, at most
// MaxFeedItems of them. Entries are entered oldest first, so these are the newest, newest first.
std::vector<int> PublishedRows(const TFeedDocument& document);

// The entry's identifier, unescaped: its address and the fragment "#he" with its date without
// hyphens, so one page announced on two dates has two identifiers.
std::string ItemIdentifier(const TFeedItem& item);

// Pairs of published rows whose identifiers are equal without regard to case: the row met first
// (the newer one) and the row that repeats its identifier. Empty when all are unique.
std::vector<std::pair<int, int>> DuplicateIdentifierRows(const TFeedDocument& document);

struct TFeedContext {
    std::string FeedPath;           // its file name ends the channel's address
    std::string StyleSheetOverride; // empty: the document's style sheet; "*": none; else the href
    TFeedTime Now;
    std::string VersionText;
};

// Fills `lines` with the feed (code page 932 text). Returns false when two written entries share
// an identifier (compared without regard to case); they are written all the same.
bool BuildFeed(std::vector<std::string>& lines, const TFeedDocument& document,
               const TFeedContext& context);

// The lines as one text, each followed by CR LF.
std::string JoinLines(const std::vector<std::string>& lines);
