#pragma once

// A change to a document as the editor's history keeps it: a block of entry rows (a TRowPatch)
// and the channel's fields, each before and after. Applying a change makes it, reverting it
// takes it back; both write only what the change holds, so a document that a change was made on
// comes back whole when it is reverted, and the changed document when it is applied again.
// Nothing here fails.

#include "document/EntryTable.h"
#include "document/FeedDocument.h"

#include <optional>
#include <string>

struct TChannelChange {
    TChannelInfo Before;
    TChannelInfo After;
};

struct TDocumentChange {
    TRowPatch Rows;                        // empty when no entry changes
    std::optional<TChannelChange> Channel; // none when the channel stays

    bool Empty() const { return Rows.Empty() && !Channel; }
    TDocumentChange Inverted() const;
};

// Empty when the rows stay as they are (a move of two empty rows).
TDocumentChange RowsChange(TRowPatch patch);
// Empty when the two channels are equal.
TDocumentChange ChannelChange(const TChannelInfo& before, const TChannelInfo& after);
// Cell `column` of `row` committed with `text`, in the entries as they were before, with the
// auto-fill it triggers: one change of that row. Empty when the text is the cell's own.
TDocumentChange CellChange(const TEntries& before, int row, TItemColumn column,
                           const std::string& text, const TAutoFill& fill);

void ApplyChange(TFeedDocument& document, const TDocumentChange& change);
void RevertChange(TFeedDocument& document, const TDocumentChange& change);
