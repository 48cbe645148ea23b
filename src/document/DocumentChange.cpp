#include "document/DocumentChange.h"

TDocumentChange TDocumentChange::Inverted() const {
    TDocumentChange inverted{Rows.Inverted(), std::nullopt};
    if (Channel) inverted.Channel = TChannelChange{Channel->After, Channel->Before};
    return inverted;
}

TDocumentChange RowsChange(TRowPatch patch) {
    if (patch.Before == patch.After) return {};
    return {std::move(patch), std::nullopt};
}

TDocumentChange ChannelChange(const TChannelInfo& before, const TChannelInfo& after) {
    if (before == after) return {};
    return {{}, TChannelChange{before, after}};
}

TDocumentChange CellChange(const TEntries& before, int row, TItemColumn column,
                           const std::string& text, const TAutoFill& fill) {
    if (row < 1 || row > MaxItemRows) return {};
    const TFeedItem& old = before[static_cast<size_t>(row - 1)];
    if (old.Cell(column) == text) return {};
    TEntries committed = before;
    committed[static_cast<size_t>(row - 1)].Cell(column) = text;
    TRowPatch filled = AutoFillRow(committed, row, column, fill);
    if (filled.Empty()) filled = {row, {}, {committed[static_cast<size_t>(row - 1)]}};
    filled.Before = {old};
    return RowsChange(std::move(filled));
}

void ApplyChange(TFeedDocument& document, const TDocumentChange& change) {
    ApplyPatch(document.Items, change.Rows);
    if (change.Channel) document.Channel = change.Channel->After;
}

void RevertChange(TFeedDocument& document, const TDocumentChange& change) {
    ApplyChange(document, change.Inverted());
}
