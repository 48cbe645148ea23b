#include "widgets/XStringGridColumns.h"

#include "widgets/Cp932Text.h"
#include "widgets/XStringGrid.h"

// ---------------------------------------------------------------------------------------------
// TXStringColumnItem

TXStringColumnItem::TXStringColumnItem(TXStringGrid* grid, int index)
    : grid_(grid), index_(index), headerColor_(grid->FixedColor()), headerFont_(grid->font()),
      headerFontColor_(grid->palette().color(QPalette::Text)), color_(grid->Color()),
      font_(grid->font()), fontColor_(grid->palette().color(QPalette::Text)) {}

TXStringColumnItem::~TXStringColumnItem() {
    SetEditor(nullptr);
}

void TXStringColumnItem::RepaintColumn() const {
    grid_->InvalidateCol(index_);
}

void TXStringColumnItem::SetHeaderColor(const QColor& color) {
    headerColor_ = color;
    RepaintColumn();
}

void TXStringColumnItem::SetHeaderFont(const QFont& font) {
    headerFont_ = font;
    RepaintColumn();
}

void TXStringColumnItem::SetHeaderFontColor(const QColor& color) {
    headerFontColor_ = color;
    RepaintColumn();
}

void TXStringColumnItem::SetHeaderAlignment(Qt::Alignment alignment) {
    alignment = HorizontalPart(alignment);
    if (alignment == headerAlignment_) return;
    headerAlignment_ = alignment;
    RepaintColumn();
}

void TXStringColumnItem::SetColor(const QColor& color) {
    color_ = color;
    RepaintColumn();
}

void TXStringColumnItem::SetFont(const QFont& font) {
    font_ = font;
    RepaintColumn();
}

void TXStringColumnItem::SetFontColor(const QColor& color) {
    fontColor_ = color;
    RepaintColumn();
}

void TXStringColumnItem::SetAlignment(Qt::Alignment alignment) {
    alignment = HorizontalPart(alignment);
    if (alignment == alignment_) return;
    alignment_ = alignment;
    RepaintColumn();
}

void TXStringColumnItem::SetEditor(TCellEditor* editor) {
    if (editor == editor_) return;
    if (editor) editor->Attach(grid_);
    TCellEditor* old = std::exchange(editor_, editor);
    if (old) old->Detach();
}

std::string TXStringColumnItem::Caption() const {
    return grid_->Cells(index_, 0);
}

void TXStringColumnItem::SetCaption(const std::string& caption) {
    grid_->SetCells(index_, 0, caption);
}

QString TXStringColumnItem::CaptionQString() const {
    return FromCp932(Caption());
}

void TXStringColumnItem::SetCaptionQString(const QString& caption) {
    SetCaption(ToCp932(caption));
}

int TXStringColumnItem::Width() const {
    return grid_->ColWidths(index_);
}

void TXStringColumnItem::SetWidth(int width) {
    grid_->SetColWidths(index_, width);
}

void TXStringColumnItem::Assign(const TXStringColumnItem& source) {
    SetHeaderColor(source.headerColor_);
    headerFont_ = source.headerFont_;
    headerFontColor_ = source.headerFontColor_;
    SetColor(source.color_);
    font_ = source.font_;
    fontColor_ = source.fontColor_;
    SetAlignment(source.alignment_);
    SetHeaderAlignment(source.headerAlignment_);
    SetCaption(source.Caption());
    SetEditor(nullptr);
}

void TXStringColumnItem::ShowEditor(int ARow) {
    if (!editor_) return;
    const QRect rect = grid_->CellRect(index_, ARow);
    if (!rect.isEmpty()) editor_->ShowAt(rect);
}

// ---------------------------------------------------------------------------------------------
// TXStringColumns

TXStringColumns::TXStringColumns(TXStringGrid* grid) : grid_(grid) {
    Insert(0, grid->ColCount());
}

TXStringColumns::~TXStringColumns() {
    Remove(0, Count());
}

TXStringColumnItem* TXStringColumns::Items(int index) const {
    if (index < 0 || index >= Count())
        throw std::out_of_range("column item " + std::to_string(index) + " out of range");
    return items_[static_cast<size_t>(index)].get();
}

void TXStringColumns::Assign(const TXStringColumns& source) {
    const int count = std::min(Count(), source.Count());
    for (int index = 0; index < count; ++index)
        Items(index)->Assign(*source.Items(index));
}

void TXStringColumns::Insert(int first, int count) {
    first = std::clamp(first, 0, Count());
    for (int added = 0; added < count; ++added)
        items_.insert(items_.begin() + first + added,
                      std::make_unique<TXStringColumnItem>(grid_, first + added));
    Renumber();
}

// Destroys the items from the last one down, each detaching its editor.
void TXStringColumns::Remove(int first, int count) {
    for (int index = std::min(first + count, Count()) - 1; index >= first; --index)
        items_.erase(items_.begin() + index);
    Renumber();
}

void TXStringColumns::Move(int from, int to) {
    auto item = std::move(items_[static_cast<size_t>(from)]);
    items_.erase(items_.begin() + from);
    items_.insert(items_.begin() + to, std::move(item));
    Renumber();
}

void TXStringColumns::Renumber() {
    for (size_t index = 0; index < items_.size(); ++index)
        items_[index]->index_ = static_cast<int>(index);
}
