#pragma once

// The rules of the document's entry table: inserting, deleting, moving, copying and pasting rows,
// the auto-fill of a committed cell and the pick list of a column.
//
// Rows are numbered as the grid shows them: 1 .. MaxItemRows (TFeedDocument::Row). Their number
// never changes: an insert pushes rows towards the bottom and is refused when it would push text
// out, a delete pulls rows up and empties the rows freed at the bottom.
//
// The operations do not change the entries they are given. Each returns the change it would make
// as a TRowPatch (the block of rows it touches, before and after), or why it refuses. Applying a
// patch makes the change; applying its inverse takes it back. Nothing here fails otherwise.

#include "document/DateNormalize.h"
#include "document/FeedDocument.h"

#include <string>
#include <vector>

using TEntries = std::array<TFeedItem, MaxItemRows>;

// Rows First .. First + Before.size() - 1 read Before and are to read After (both of one size).
// An empty patch changes nothing.
struct TRowPatch {
    int First = 1;
    std::vector<TFeedItem> Before;
    std::vector<TFeedItem> After;

    bool Empty() const { return After.empty(); }
    int Last() const { return First + static_cast<int>(After.size()) - 1; }
    TRowPatch Inverted() const { return {First, After, Before}; }
};

// Writes the patch's After rows into `entries`.
void ApplyPatch(TEntries& entries, const TRowPatch& patch);

enum class TRowRefusal {
    None,          // the change is in Patch
    NotApplicable, // rows outside the table, nothing to paste: nothing to tell the user
    NoRoom,        // text would be pushed out at the bottom, or lines fall below the last row
};

struct TRowEdit {
    TRowRefusal Refusal = TRowRefusal::None;
    TRowPatch Patch;

    bool Done() const { return Refusal == TRowRefusal::None; }
};

// `count` empty rows at `row`; the rows from there on move down.
TRowEdit InsertRows(const TEntries& entries, int row, int count);
// Rows first .. last (cut at the last row) removed; the rows below move up.
TRowEdit DeleteRows(const TEntries& entries, int first, int last);
// Row `row` swapped with the row `step` below (1) or above (-1); the contents do not matter.
TRowEdit MoveRow(const TEntries& entries, int row, int step);
// How many rows a paste at `row` can insert: no more than the rows from there to the last, and
// no more than the empty rows at the bottom, which are pushed out. 0 outside the table.
int RowsThatFit(const TEntries& entries, int row);
// Pasted rows (code page 932 cells, as ReadClipboardRows gives them) inserted at `row`. The cells
// of a row fill the columns in order, the rest ignored; a date is read as pasted
// (NormalizePastedDate, 今日 being `today`) and control characters are dropped. Refused (NoRoom)
// when there are more rows than fit; NotApplicable for no rows.
TRowEdit PasteRows(const TEntries& entries, int row,
                   const std::vector<std::vector<std::string>>& pasted, const TCalendarDay& today);

// Rows first .. last (cut at the last row) as clipboard text: cells joined by TAB, each row ended
// by CR LF. Empty for a first row outside the table.
std::string RowsToText(const TEntries& entries, int first, int last);

// What fills a row's empty cells when one of its cells is committed.
struct TAutoFill {
    bool AutoDate = false;
    bool AutoAddress = false;
    std::string Today;       // yyyy-mm-dd
    std::string HomeAddress; // the channel's home page, taken as it is
};

// After `committed` of row `row` took a text: the row's empty date (when the committed column is
// another) and empty address (likewise) filled as `fill` asks. Empty when the committed cell is
// empty, the row is outside the table or nothing is to fill.
TRowPatch AutoFillRow(const TEntries& entries, int row, TItemColumn committed,
                      const TAutoFill& fill);

// Each text of `column` once, right-trimmed, in row order, letter case aside; one empty text when
// the column holds none.
std::vector<std::string> PickList(const TEntries& entries, TItemColumn column);
