#include "document/EntryTable.h"

#include "text/S_string.h"

#include <algorithm>
#include <unordered_set>

namespace {

TRowEdit Refused(TRowRefusal why) {
    return {why, {}};
}

// The rows first .. MaxItemRows as they are, to be changed into what they become.
TRowEdit TailEdit(const TEntries& entries, int first) {
    TRowPatch patch{first, {entries.begin() + (first - 1), entries.end()}, {}};
    patch.After = patch.Before;
    return {TRowRefusal::None, std::move(patch)};
}

// The empty rows at the bottom: as many rows can be pushed in without pushing text out.
int FreeRowsAtBottom(const TEntries& entries) {
    const auto lastText = std::find_if(entries.rbegin(), entries.rend(),
                                       [](const TFeedItem& item) { return !item.IsEmpty(); });
    return static_cast<int>(lastText - entries.rbegin());
}

// `count` empty rows at the front of the tail, its last rows pushed out.
void PushDown(std::vector<TFeedItem>& tail, int count) {
    const auto size = static_cast<int>(tail.size());
    const int kept = std::max(size - count, 0);
    std::move_backward(tail.begin(), tail.begin() + kept, tail.end());
    std::fill(tail.begin(), tail.begin() + std::min(count, size), TFeedItem());
}

// A control character left in a pasted field is dropped: no cell holds one. Such bytes are never
// the second byte of a double-byte character.
std::string WithoutControlCharacters(std::string field) {
    std::erase_if(field, [](char ch) { return static_cast<unsigned char>(ch) < 0x20; });
    return field;
}

// One pasted line as an entry: its fields fill the columns in order, the date read as a date
// where it can be.
TFeedItem ItemFromFields(const std::vector<std::string>& fields, const TCalendarDay& today) {
    TFeedItem item;
    for (size_t col = 0; col < std::min(fields.size(), size_t(ItemColumns)); ++col)
        item.Cell(static_cast<int>(col)) = fields[col];
    if (!item.Date.empty()) item.Date = NormalizePastedDate(item.Date, today);
    for (int col = 0; col < ItemColumns; ++col)
        item.Cell(col) = WithoutControlCharacters(item.Cell(col));
    return item;
}

} // namespace

void ApplyPatch(TEntries& entries, const TRowPatch& patch) {
    std::copy(patch.After.begin(), patch.After.end(), entries.begin() + (patch.First - 1));
}

TRowEdit InsertRows(const TEntries& entries, int row, int count) {
    if (row < 1 || row > MaxItemRows || count < 1) return Refused(TRowRefusal::NotApplicable);
    if (count > FreeRowsAtBottom(entries)) return Refused(TRowRefusal::NoRoom);
    TRowEdit edit = TailEdit(entries, row);
    PushDown(edit.Patch.After, count);
    return edit;
}

TRowEdit DeleteRows(const TEntries& entries, int first, int last) {
    last = std::min(last, MaxItemRows);
    if (first < 1 || last < first) return Refused(TRowRefusal::NotApplicable);
    TRowEdit edit = TailEdit(entries, first);
    std::vector<TFeedItem>& rows = edit.Patch.After;
    const int count = last - first + 1;
    std::move(rows.begin() + count, rows.end(), rows.begin());
    std::fill(rows.end() - count, rows.end(), TFeedItem());
    return edit;
}

TRowEdit MoveRow(const TEntries& entries, int row, int step) {
    const int target = row + step;
    if ((step != 1 && step != -1) || row < 1 || row > MaxItemRows || target < 1 ||
        target > MaxItemRows)
        return Refused(TRowRefusal::NotApplicable);
    const int first = std::min(row, target);
    TRowPatch patch{first, {entries[size_t(first - 1)], entries[size_t(first)]}, {}};
    patch.After = {patch.Before[1], patch.Before[0]};
    return {TRowRefusal::None, std::move(patch)};
}

int RowsThatFit(const TEntries& entries, int row) {
    if (row < 1 || row > MaxItemRows) return 0;
    return std::min(FreeRowsAtBottom(entries), MaxItemRows - row + 1);
}

TRowEdit PasteRows(const TEntries& entries, int row,
                   const std::vector<std::vector<std::string>>& pasted, const TCalendarDay& today) {
    if (row < 1 || row > MaxItemRows || pasted.empty()) return Refused(TRowRefusal::NotApplicable);
    const auto count = static_cast<int>(pasted.size());
    if (count > RowsThatFit(entries, row)) return Refused(TRowRefusal::NoRoom);
    TRowEdit edit = TailEdit(entries, row);
    PushDown(edit.Patch.After, count);
    std::transform(
        pasted.begin(), pasted.end(), edit.Patch.After.begin(),
        [&today](const std::vector<std::string>& fields) { return ItemFromFields(fields, today); });
    return edit;
}

std::string RowsToText(const TEntries& entries, int first, int last) {
    std::string text;
    if (first < 1) return text;
    for (int row = first; row <= std::min(last, MaxItemRows); ++row) {
        const TFeedItem& item = entries[static_cast<size_t>(row - 1)];
        for (int col = 0; col < ItemColumns; ++col) {
            if (col > 0) text += '\t';
            text += item.Cell(col);
        }
        text += "\r\n";
    }
    return text;
}

TRowPatch AutoFillRow(const TEntries& entries, int row, TItemColumn committed,
                      const TAutoFill& fill) {
    if (row < 1 || row > MaxItemRows) return {};
    const TFeedItem& before = entries[static_cast<size_t>(row - 1)];
    if (before.Cell(committed).empty()) return {};
    TFeedItem after = before;
    if (fill.AutoDate && committed != icDate && after.Date.empty()) after.Date = fill.Today;
    if (fill.AutoAddress && committed != icAddress && after.Address.empty())
        after.Address = fill.HomeAddress;
    if (after.Date == before.Date && after.Address == before.Address) return {};
    return {row, {before}, {after}};
}

std::vector<std::string> PickList(const TEntries& entries, TItemColumn column) {
    std::vector<std::string> items;
    std::unordered_set<std::string> seen; // the items in small letters
    for (const TFeedItem& item : entries) {
        std::string text = TrimRightAll(item.Cell(column));
        if (!text.empty() && seen.insert(LowerCaseAnsi(text)).second)
            items.push_back(std::move(text));
    }
    if (items.empty()) items.emplace_back();
    return items;
}
