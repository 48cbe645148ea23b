#pragma once

// An offline check of the feed a document gives: what a feed reader or a feed validator would
// reject (errors) or may misread (warnings), said in the user's terms, which channel field or
// which entry row and cell. Only the entries the feed carries are checked field by field; the
// other rows are named when they hold text the feed leaves out although the user may expect it.
// The check reads the document and, through FeedFileName, whether its save folder exists; it
// writes nothing and cannot fail. Texts are code page 932.

#include "document/ChannelFields.h"
#include "document/FeedDocument.h"

#include <functional>
#include <string>
#include <vector>

enum class TFindingSeverity { Error, Warning };

struct TFeedFinding {
    TFindingSeverity Severity = TFindingSeverity::Error;
    int Row = 0;                                // entry row 1 .. MaxItemRows; 0 for a channel field
    int Column = 0;                             // the entry's cell, a TItemColumn, when Row > 0
    TChannelField Field = TChannelField::Title; // when Row is 0
    std::string Message;                        // names the field; one or two short sentences

    bool operator==(const TFeedFinding&) const = default;
};

// The findings: the channel's in field order, then the rows' from the top, each row's by column.
std::vector<TFeedFinding> CheckFeed(const TFeedDocument& document);

// An entry table read cell by cell (row 1 .. MaxItemRows): a document's, or a grid's as it stands.
using TCellReader = std::function<std::string(int row, TItemColumn column)>;

// Whether the date of entry `row` is wrong for the feed: a text that is no W3C date, or no date in
// an entry the feed carries. These are the check's date errors, found in every row, so that the
// grid can mark them where the user types; only the date of `row` and, for an empty one, the
// titles from the bottom up are read.
bool DateIsWrong(int row, const TCellReader& cellOf);

int CountFindings(const std::vector<TFeedFinding>& findings, TFindingSeverity severity);

// "3行目" for an entry row, "チャンネル" for a channel field.
std::string FindingPlace(const TFeedFinding& finding);
// The field's name as the window labels it: "日付", "ホームページアドレス".
std::string FindingFieldName(const TFeedFinding& finding);
// "エラー" or "警告".
std::string SeverityName(TFindingSeverity severity);
// One line for a list: "3行目: [エラー] 日付が空です。…".
std::string FindingLine(const TFeedFinding& finding);
