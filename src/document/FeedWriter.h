#pragma once

// The feed file's path and the RSS 1.0 text of a document.

#include "document/FeedDocument.h"

#include <functional>
#include <string>
#include <vector>

// A moment in local time with its offset from UTC, as the channel date states it.
struct TFeedTime {
    int Year = 2000, Month = 1, Day = 1, Hour = 0, Minute = 0, Second = 0;
    int UtcOffsetMinutes = 0;
};

TFeedTime CurrentFeedTime();

// "yyyy-mm-ddThh:nn:ss+hh:mm".
std::string FormatChannelDate(const TFeedTime& time);

// The feed file's path for the document's FileName, ExtensionIndex and SaveFolder, as the file
// system's bytes: the save folder (code page 932 text) in the file system's encoding, or the table
// file's folder as it is, then the table file's name with the feed's extension. Only that name is
// lower-cased (its ASCII letters). Empty when the save folder is given but does not exist.
std::string FeedFileName(const TFeedDocument& document);

// The feed file's own name as code page 932 text, as it ends the channel's address:
// UnresolvedFeedName() when the path is empty or its name is not exactly code page 932 text.
std::string FeedNameText(const std::string& feedPath);

// The web address of `name` in the web folder `folderAddress`: one "/" between them.
std::string WebAddressIn(const std::string& folderAddress, const std::string& name);

// An address as browsers send it, as the feed writes its own address (the channel's identifier):
// every character beyond ASCII after the host percent-encoded as UTF-8 (ニュース.rdf as
// %E3%83%8B….rdf). The host, which would need its ASCII (punycode) form instead, stays as it is,
// and so does everything in ASCII, so an ASCII address comes back whole.
std::string AddressAsSent(const std::string& address);

// The feed's own address, the channel's identifier: the feed file's `name` in the web folder
// `folderAddress`, as sent (AddressAsSent). UnresolvedFeedName() as the name stays readable.
std::string FeedOwnAddress(const std::string& folderAddress, const std::string& name);

// The host of `address`: what follows "scheme://" up to "/", "?", "#" or the end (user and port
// included); empty when there is no "://".
std::string AddressHost(const std::string& address);

// The grid rows of the entries the feed carries: rows with a title, from the bottom row up, at most
// `limit` of them. Entries are entered oldest first, so these are the newest, newest first. The
// news page takes every entry (limit MaxItemRows) in the same order.
std::vector<int> PublishedRows(const TFeedDocument& document, size_t limit = MaxFeedItems);
// The same for a table that `hasTitle` tells about row by row, reading no more rows than it needs.
std::vector<int> PublishedRows(const std::function<bool(int row)>& hasTitle,
                               size_t limit = MaxFeedItems);

// The identifiers of the entries, unescaped, by grid row (index row - 1; empty for a row without a
// title). An entry's identifier is its address and the fragment "#he" with its date without
// hyphens, so one page announced on two dates has two identifiers. Entries whose identifiers
// would be the same as a feed reader compares them (letter case aside) are told apart in table
// order: the first keeps its identifier, the later ones get "-2", "-3", ... after the date. Only
// the rows above an entry decide its identifier, so an entry added below, or leaving the newest
// MaxFeedItems, renames none.
std::vector<std::string> ItemIdentifiers(const TFeedDocument& document);

struct TFeedContext {
    // The feed file's path (the file system's bytes); its own name, as code page 932 text, ends
    // the channel's address. Empty, or a name code page 932 cannot hold exactly, writes
    // UnresolvedFeedName() there instead.
    std::string FeedPath;
    std::string StyleSheetOverride; // empty: the document's style sheet; "*": none; else the href
    TFeedTime Now;
    std::string VersionText;
};

// Fills `lines` with the feed (code page 932 text).
void BuildFeed(std::vector<std::string>& lines, const TFeedDocument& document,
               const TFeedContext& context);

// The lines as one text, each followed by CR LF.
std::string JoinLines(const std::vector<std::string>& lines);
