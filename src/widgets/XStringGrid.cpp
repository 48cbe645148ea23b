#include "XStringGrid.h"

#include "Cp932Text.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScopeGuard>
#include <QStyleOptionFocusRect>
#include <QStyledItemDelegate>

#include <algorithm>
#include <utility>

namespace {

// Every row and column ends in a grid line one pixel wide; sizes given to the grid exclude it.
constexpr int LineWidth = 1;

// Cells keep their code page 932 bytes in this role, so a text read from a file comes back
// byte for byte; the display text is made from the bytes.
constexpr int CellBytesRole = Qt::UserRole + 1;

class TXStringCell : public QTableWidgetItem {
public:
    TXStringCell() : QTableWidgetItem(QTableWidgetItem::UserType) {}

    QTableWidgetItem* clone() const override {
        auto* copy = new TXStringCell;
        *copy = *this;
        return copy;
    }

    QVariant data(int role) const override {
        if (role == Qt::DisplayRole || role == Qt::EditRole) return FromCp932(Bytes());
        return QTableWidgetItem::data(role);
    }

    void setData(int role, const QVariant& value) override {
        if (role == Qt::DisplayRole || role == Qt::EditRole)
            SetBytes(ToCp932(value.toString()));
        else
            QTableWidgetItem::setData(role, value);
    }

    std::string Bytes() const {
        return QTableWidgetItem::data(CellBytesRole).toByteArray().toStdString();
    }
    void SetBytes(const std::string& bytes) {
        QTableWidgetItem::setData(CellBytesRole, QByteArray::fromStdString(bytes));
    }
};

// The modifiers that change a key's meaning; the keypad flag does not.
Qt::KeyboardModifiers HeldModifiers(Qt::KeyboardModifiers modifiers) {
    return modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
}

bool IsEnterKey(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

bool IsFunctionKey(int key) {
    return key >= Qt::Key_F1 && key <= Qt::Key_F12;
}

// Shift+Tab arrives as Backtab; the grid's rules speak of Tab with Shift held.
void NormaliseBacktab(int& key, Qt::KeyboardModifiers& modifiers) {
    if (key != Qt::Key_Backtab) return;
    key = Qt::Key_Tab;
    modifiers |= Qt::ShiftModifier;
}

Qt::Alignment HorizontalPart(Qt::Alignment alignment) {
    if (alignment & Qt::AlignRight) return Qt::AlignRight;
    if (alignment & Qt::AlignHCenter) return Qt::AlignHCenter;
    return Qt::AlignLeft;
}

int CellCount(const TGridRect& rect) {
    return (rect.Right - rect.Left + 1) * (rect.Bottom - rect.Top + 1);
}

TGridRect Spanning(TGridCoord a, TGridCoord b) {
    return {std::min(a.X, b.X), std::min(a.Y, b.Y), std::max(a.X, b.X), std::max(a.Y, b.Y)};
}

// Counts up while alive: the grid starts no editor during the scope.
class TCounterScope {
public:
    explicit TCounterScope(int& counter) : counter_(counter) { ++counter_; }
    ~TCounterScope() { --counter_; }
    TCounterScope(const TCounterScope&) = delete;
    TCounterScope& operator=(const TCounterScope&) = delete;

private:
    int& counter_;
};

} // namespace

// ---------------------------------------------------------------------------------------------
// Painting helpers of the grid: the delegate paints body cells, the headers the fixed ones.

class TXStringGridDelegate : public QStyledItemDelegate {
public:
    explicit TXStringGridDelegate(TXStringGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        grid_->PaintCell(*painter, index.column(), index.row(), option.rect);
    }

    QWidget* createEditor(QWidget*, const QStyleOptionViewItem&,
                          const QModelIndex&) const override {
        return nullptr;
    }

private:
    TXStringGrid* grid_;
};

// A header strip that shows the fixed rows (horizontal) or fixed columns (vertical) as cells of
// the grid. Presses go to the grid's mouse handling; only a press on a column border with
// goColSizing starts Qt's sizing.
class TXStringGridHeader : public QHeaderView {
public:
    TXStringGridHeader(Qt::Orientation orientation, TXStringGrid* grid)
        : QHeaderView(orientation, grid), grid_(grid) {
        setSectionsClickable(false);
        setHighlightSections(false);
        setMinimumSectionSize(0);
        setFocusPolicy(Qt::NoFocus);
    }

    QSize sizeHint() const override {
        const QSize base = QHeaderView::sizeHint();
        return orientation() == Qt::Horizontal ? QSize(base.width(), grid_->FixedRowsHeight())
                                               : QSize(grid_->FixedColsWidth(), base.height());
    }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override {
        painter->save();
        if (orientation() == Qt::Horizontal)
            grid_->PaintFixedRows(*painter, logicalIndex, rect.left(), rect.width());
        else
            grid_->PaintFixedCols(*painter, logicalIndex, rect.top(), rect.height());
        painter->restore();
    }

    void mousePressEvent(QMouseEvent* event) override {
        const QPoint at = event->position().toPoint();
        sizing_ = event->button() == Qt::LeftButton && OnSizingBorder(at);
        grid_->MouseDownAt(event->button(), event->modifiers(), ToViewport(at));
        if (sizing_) QHeaderView::mousePressEvent(event);
        event->accept();
    }

    void mouseDoubleClickEvent(QMouseEvent* event) override { mousePressEvent(event); }

    void mouseMoveEvent(QMouseEvent* event) override { QHeaderView::mouseMoveEvent(event); }

    void mouseReleaseEvent(QMouseEvent* event) override {
        if (std::exchange(sizing_, false)) QHeaderView::mouseReleaseEvent(event);
        grid_->MouseUpAt();
        event->accept();
    }

private:
    QPoint ToViewport(QPoint at) const {
        return grid_->viewport()->mapFrom(grid_, mapTo(grid_, at));
    }

    // Within the grip margin of a section's right edge (or of the left edge, which is the border
    // of the section before).
    bool OnSizingBorder(QPoint at) const {
        if (orientation() != Qt::Horizontal || sectionResizeMode(0) != QHeaderView::Interactive)
            return false;
        const int logical = logicalIndexAt(at);
        if (logical < 0) return false;
        const int grip = style()->pixelMetric(QStyle::PM_HeaderGripMargin, nullptr, this);
        const int left = sectionViewportPosition(logical);
        const int right = left + sectionSize(logical);
        const bool afterFirst = visualIndex(logical) > 0 && logicalIndexAt(left - 1) >= 0;
        return at.x() >= right - grip || (afterFirst && at.x() < left + grip);
    }

    TXStringGrid* grid_;
    bool sizing_ = false;
};

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

// ---------------------------------------------------------------------------------------------
// TXStringGrid: construction and layout

TXStringGrid::TXStringGrid(QWidget* parent)
    : QTableWidget(parent), color_(palette().color(QPalette::Base)),
      fixedColor_(palette().color(QPalette::Button)) {
    options_ = goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect;
    columns_ = std::make_unique<TXStringColumns>(this);
    setItemPrototype(new TXStringCell);
    setItemDelegate(new TXStringGridDelegate(this));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    setCornerButtonEnabled(false);
    // The grid takes the focus itself in its mouse handling, after it has moved the current cell.
    setFocusPolicy(Qt::TabFocus);

    topHeader_ = new TXStringGridHeader(Qt::Horizontal, this);
    sideHeader_ = new TXStringGridHeader(Qt::Vertical, this);
    setHorizontalHeader(topHeader_);
    setVerticalHeader(sideHeader_);
    topHeader_->setDefaultSectionSize(defaultColWidth_ + LineWidth);
    sideHeader_->setDefaultSectionSize(defaultRowHeight_ + LineWidth);
    sideHeader_->setSectionResizeMode(QHeaderView::Fixed);
    corner_ = findChild<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly);
    if (corner_) corner_->installEventFilter(this);

    const QAbstractItemModel* cells = model();
    connect(cells, &QAbstractItemModel::columnsInserted, this,
            [this](const QModelIndex&, int first, int last) { ColumnsInserted(first, last); });
    connect(cells, &QAbstractItemModel::columnsAboutToBeRemoved, this,
            [this](const QModelIndex&, int first, int last) {
                columns_->Remove(first, last - first + 1);
            });
    connect(cells, &QAbstractItemModel::columnsRemoved, this, [this] { LayoutChanged(); });
    connect(cells, &QAbstractItemModel::rowsInserted, this, [this] { LayoutChanged(); });
    connect(cells, &QAbstractItemModel::rowsRemoved, this, [this] { LayoutChanged(); });
    connect(topHeader_, &QHeaderView::sectionResized, this, [this] { CellsResized(); });

    setColumnCount(5);
    setRowCount(5);
    ApplyOptions();
    ResetCurrent();
}

TXStringGrid::~TXStringGrid() {
    // No handler of the window runs while the grid goes away.
    OnDrawCell = nullptr;
    OnKeyDown = nullptr;
    OnMouseDown = nullptr;
    OnSelectCell = nullptr;
    OnSetEditText = nullptr;
    OnDrawEditor = nullptr;
    if (activeEditor_) activeEditor_->HideEditor();
    for (int col = 0; col < columns_->Count(); ++col)
        if (TCellEditor* editor = columns_->Items(col)->Editor()) editor->ReleaseWindow();
    columns_.reset();
}

void TXStringGrid::SetColCount(int count) {
    count = std::max(0, count);
    setColumnCount(count);
    if (fixedCols_ > std::max(0, count - 1)) SetFixedCols(count - 1);
}

void TXStringGrid::SetRowCount(int count) {
    count = std::max(0, count);
    setRowCount(count);
    if (fixedRows_ > std::max(0, count - 1)) SetFixedRows(count - 1);
}

void TXStringGrid::SetFixedCols(int count) {
    count = std::clamp(count, 0, std::max(0, ColCount() - 1));
    std::vector<int> widths;
    for (int col = 0; col < ColCount(); ++col)
        widths.push_back(ColWidths(col));
    fixedCols_ = count;
    fixedColWidths_.assign(widths.begin(), widths.begin() + count);
    ApplyFixedLayout();
    for (int col = count; col < ColCount(); ++col)
        setColumnWidth(col, widths[static_cast<size_t>(col)] + LineWidth);
    ResetCurrent();
}

void TXStringGrid::SetFixedRows(int count) {
    fixedRows_ = std::clamp(count, 0, std::max(0, RowCount() - 1));
    ApplyFixedLayout();
    ResetCurrent();
}

void TXStringGrid::SetDefaultColWidth(int width) {
    defaultColWidth_ = std::max(0, width);
    topHeader_->setDefaultSectionSize(defaultColWidth_ + LineWidth);
    for (int col = 0; col < ColCount(); ++col)
        SetColWidths(col, defaultColWidth_);
}

void TXStringGrid::SetDefaultRowHeight(int height) {
    defaultRowHeight_ = std::max(0, height);
    sideHeader_->setDefaultSectionSize(defaultRowHeight_ + LineWidth);
    // Hidden (fixed) rows keep the height for when they are shown again.
    for (int row = 0; row < RowCount(); ++row)
        setRowHeight(row, defaultRowHeight_ + LineWidth);
    UpdateHeaderGeometry();
}

int TXStringGrid::ColWidths(int col) const {
    if (col < 0 || col >= ColCount()) return 0;
    if (col < fixedCols_) return fixedColWidths_[static_cast<size_t>(col)];
    return columnWidth(col) - LineWidth;
}

void TXStringGrid::SetColWidths(int col, int width) {
    if (col < 0 || col >= ColCount()) return;
    // A width from the settings file may be any int; the header ignores one it cannot hold.
    width = std::clamp(width, 0, horizontalHeader()->maximumSectionSize() - LineWidth);
    if (col < fixedCols_) {
        fixedColWidths_[static_cast<size_t>(col)] = width;
        UpdateHeaderGeometry();
        return;
    }
    setColumnWidth(col, width + LineWidth);
}

void TXStringGrid::MoveColumn(int from, int to) {
    if (from == to || from < 0 || to < 0 || from >= ColCount() || to >= ColCount()) return;
    BeginUpdate();
    for (int row = 0; row < RowCount(); ++row) {
        std::vector<std::string> texts;
        for (int col = 0; col < ColCount(); ++col)
            texts.push_back(Cells(col, row));
        std::string moved = std::move(texts[static_cast<size_t>(from)]);
        texts.erase(texts.begin() + from);
        texts.insert(texts.begin() + to, std::move(moved));
        for (int col = 0; col < ColCount(); ++col)
            SetCells(col, row, texts[static_cast<size_t>(col)]);
    }
    std::vector<int> widths;
    for (int col = 0; col < ColCount(); ++col)
        widths.push_back(ColWidths(col));
    const int movedWidth = widths[static_cast<size_t>(from)];
    widths.erase(widths.begin() + from);
    widths.insert(widths.begin() + to, movedWidth);
    for (int col = 0; col < ColCount(); ++col)
        SetColWidths(col, widths[static_cast<size_t>(col)]);
    columns_->Move(from, to);
    EndUpdate();
    RepaintAll();
    CanEditShow();
}

void TXStringGrid::InvalidateCol(int col) {
    if (col < 0 || col >= ColCount()) return;
    if (col < fixedCols_) {
        sideHeader_->viewport()->update();
        if (corner_) corner_->update();
        return;
    }
    const QRect band(columnViewportPosition(col), 0, columnWidth(col), viewport()->height());
    viewport()->update(band);
    topHeader_->viewport()->update(band.x(), 0, band.width(), topHeader_->height());
}

void TXStringGrid::ColumnsInserted(int first, int last) {
    columns_->Insert(first, last - first + 1);
    LayoutChanged();
}

// Rows or columns came or went: fixed ones are hidden from the body, the current cell stays
// inside the grid and an editor whose cell is gone is hidden.
void TXStringGrid::LayoutChanged() {
    ApplyFixedLayout();
    if (activeEditor_ && !IsBodyCell(editCell_.X, editCell_.Y)) activeEditor_->HideEditor();
    ClampCurrent();
}

void TXStringGrid::ApplyFixedLayout() {
    for (int row = 0; row < RowCount(); ++row)
        setRowHidden(row, row < fixedRows_);
    for (int col = 0; col < ColCount(); ++col)
        setColumnHidden(col, col < fixedCols_);
    fixedColWidths_.resize(static_cast<size_t>(fixedCols_), defaultColWidth_);
    UpdateHeaderGeometry();
}

void TXStringGrid::UpdateHeaderGeometry() {
    topHeader_->setHidden(fixedRows_ == 0);
    sideHeader_->setHidden(fixedCols_ == 0);
    topHeader_->setFixedHeight(FixedRowsHeight());
    sideHeader_->setFixedWidth(FixedColsWidth());
    updateGeometries();
    RepaintAll();
}

int TXStringGrid::FixedRowsHeight() const {
    return fixedRows_ * (defaultRowHeight_ + LineWidth);
}

int TXStringGrid::FixedColsWidth() const {
    int width = 0;
    for (const int col : fixedColWidths_)
        width += col + LineWidth;
    return width;
}

void TXStringGrid::RepaintAll() {
    viewport()->update();
    topHeader_->viewport()->update();
    sideHeader_->viewport()->update();
    if (corner_) corner_->update();
}

// ---------------------------------------------------------------------------------------------
// Cells

std::string TXStringGrid::Cells(int col, int row) const {
    const QTableWidgetItem* cell = IsValidCell(col, row) ? item(row, col) : nullptr;
    if (!cell) return {};
    if (const auto* own = dynamic_cast<const TXStringCell*>(cell)) return own->Bytes();
    return ToCp932(cell->text());
}

void TXStringGrid::SetCells(int col, int row, const std::string& text) {
    if (!IsValidCell(col, row)) return;
    QTableWidgetItem* cell = item(row, col);
    if (auto* own = dynamic_cast<TXStringCell*>(cell)) {
        own->SetBytes(text);
    } else if (cell) {
        cell->setText(FromCp932(text));
    } else if (!text.empty()) {
        auto* created = new TXStringCell;
        created->SetBytes(text);
        setItem(row, col, created);
    }
}

QString TXStringGrid::CellQString(int col, int row) const {
    return FromCp932(Cells(col, row));
}

void TXStringGrid::SetCellQString(int col, int row, const QString& text) {
    SetCells(col, row, ToCp932(text));
}

std::string TXStringGrid::GetEditText(int col, int row) const {
    return Cells(col, row);
}

void TXStringGrid::SetEditText(int col, int row, const std::string& text) {
    if (!IsValidCell(col, row)) return;
    SetCells(col, row, text);
    if (OnSetEditText) OnSetEditText(this, col, row, text);
}

bool TXStringGrid::IsValidCell(int col, int row) const {
    return col >= 0 && row >= 0 && col < ColCount() && row < RowCount();
}

bool TXStringGrid::IsBodyCell(int col, int row) const {
    return IsValidCell(col, row) && col >= fixedCols_ && row >= fixedRows_;
}

void TXStringGrid::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                               const QList<int>& roles) {
    if (updateDepth_ > 0) {
        changedInUpdate_ = true;
        return;
    }
    QTableWidget::dataChanged(topLeft, bottomRight, roles);
    if (topLeft.row() < fixedRows_ || topLeft.column() < fixedCols_) RepaintAll();
}

void TXStringGrid::BeginUpdate() {
    if (updateDepth_ <= 0) {
        updateDepth_ = 0;
        changedInUpdate_ = false;
    }
    ++updateDepth_;
}

void TXStringGrid::EndUpdate() {
    --updateDepth_;
    if (updateDepth_ > 0) return;
    updateDepth_ = 0;
    if (std::exchange(changedInUpdate_, false)) RepaintAll();
}

// ---------------------------------------------------------------------------------------------
// Current cell and selection

void TXStringGrid::SetCol(int col) {
    FocusCell(col, current_.Y, true);
}

void TXStringGrid::SetRow(int row) {
    FocusCell(current_.X, row, true);
}

bool TXStringGrid::SelectCell(int col, int row) {
    bool canSelect = true;
    if (OnSelectCell) OnSelectCell(this, col, row, canSelect);
    return canSelect;
}

bool TXStringGrid::FocusCell(int col, int row, bool moveAnchor) {
    if (!IsValidCell(col, row) || !SelectCell(col, row)) return false;
    MoveCurrent({col, row}, moveAnchor);
    ScrollToCurrent();
    CanEditShow();
    return true;
}

void TXStringGrid::SetSelection(const TGridRect& selection) {
    const auto inside = [this](TGridCoord cell) {
        return TGridCoord{std::clamp(cell.X, 0, std::max(0, ColCount() - 1)),
                          std::clamp(cell.Y, 0, std::max(0, RowCount() - 1))};
    };
    anchor_ = inside({selection.Left, selection.Top});
    MoveCurrent(inside({selection.Right, selection.Bottom}), false);
}

// Makes `cell` current without asking anyone; the selection spans the anchor and the current
// cell, whole rows with goRowSelect.
void TXStringGrid::MoveCurrent(TGridCoord cell, bool moveAnchor) {
    if (cell != current_ && !(options_ & goAlwaysShowEditor)) editorModeRequested_ = false;
    current_ = cell;
    if (moveAnchor || !(options_ & goRangeSelect)) anchor_ = current_;
    selection_ = Spanning(anchor_, current_);
    if (options_ & goRowSelect) {
        selection_.Left = fixedCols_;
        selection_.Right = std::max(fixedCols_, ColCount() - 1);
    }
    if (IsValidCell(current_.X, current_.Y))
        selectionModel()->setCurrentIndex(model()->index(current_.Y, current_.X),
                                          QItemSelectionModel::NoUpdate);
    RepaintAll();
}

void TXStringGrid::ScrollToCurrent() {
    if (IsBodyCell(current_.X, current_.Y)) scrollTo(model()->index(current_.Y, current_.X));
}

// The first body cell becomes current, as after a change of the fixed rows or columns.
void TXStringGrid::ResetCurrent() {
    anchor_ = current_ = {fixedCols_, fixedRows_};
    MoveCurrent(current_, true);
    ScrollToCurrent();
}

void TXStringGrid::ClampCurrent() {
    const auto clamped = [this](TGridCoord cell) {
        return TGridCoord{std::clamp(cell.X, fixedCols_, std::max(fixedCols_, ColCount() - 1)),
                          std::clamp(cell.Y, fixedRows_, std::max(fixedRows_, RowCount() - 1))};
    };
    anchor_ = clamped(anchor_);
    MoveCurrent(clamped(current_), false);
}

int TXStringGrid::TopRow() const {
    const int row = rowAt(0);
    return row < 0 ? fixedRows_ : row;
}

void TXStringGrid::SetTopRow(int row) {
    if (IsBodyCell(LeftCol(), row))
        scrollTo(model()->index(row, LeftCol()), QAbstractItemView::PositionAtTop);
}

int TXStringGrid::LeftCol() const {
    const int col = columnAt(0);
    return col < 0 ? fixedCols_ : col;
}

// ---------------------------------------------------------------------------------------------
// Geometry

QRect TXStringGrid::CellRect(int col, int row) const {
    if (!IsValidCell(col, row)) return {};
    int x = 0;
    int width = 0;
    if (col < fixedCols_) {
        x = -FixedColsWidth();
        for (int fixed = 0; fixed < col; ++fixed)
            x += fixedColWidths_[static_cast<size_t>(fixed)] + LineWidth;
        width = fixedColWidths_[static_cast<size_t>(col)];
    } else {
        x = columnViewportPosition(col);
        width = columnWidth(col) - LineWidth;
    }
    int y = 0;
    int height = 0;
    if (row < fixedRows_) {
        y = -FixedRowsHeight() + row * (defaultRowHeight_ + LineWidth);
        height = defaultRowHeight_;
    } else {
        y = rowViewportPosition(row);
        height = rowHeight(row) - LineWidth;
    }
    const QRect cell(x, y, width, height);
    // Fixed cells are shown in their strips, body cells only inside the viewport.
    const QRect columnBand = col < fixedCols_ ? QRect(-FixedColsWidth(), 0, FixedColsWidth(), 1)
                                              : QRect(0, 0, viewport()->width(), 1);
    const QRect rowBand = row < fixedRows_ ? QRect(0, -FixedRowsHeight(), 1, FixedRowsHeight())
                                           : QRect(0, 0, 1, viewport()->height());
    const bool visible = cell.left() < columnBand.right() + 1 &&
                         cell.right() >= columnBand.left() && cell.top() < rowBand.bottom() + 1 &&
                         cell.bottom() >= rowBand.top();
    return visible && !cell.isEmpty() ? cell : QRect();
}

TGridCoord TXStringGrid::MouseCoord(int x, int y) const {
    int col = -1;
    if (x < 0) {
        int left = -FixedColsWidth();
        for (int fixed = 0; fixed < fixedCols_ && col < 0; ++fixed) {
            left += fixedColWidths_[static_cast<size_t>(fixed)] + LineWidth;
            if (x < left) col = fixed;
        }
    } else {
        col = columnAt(x);
    }
    int row = -1;
    if (y < 0) {
        const int fromTop = y + FixedRowsHeight();
        if (fromTop >= 0) row = fromTop / (defaultRowHeight_ + LineWidth);
    } else {
        row = rowAt(y);
    }
    if (col < 0 || row < 0) return {-1, -1};
    return {col, row};
}

// ---------------------------------------------------------------------------------------------
// Appearance

void TXStringGrid::SetOptions(TGridOptions options) {
    options_ = options;
    ApplyOptions();
    // Without editing no cell editor stays open; the grid keeps the focus.
    if (activeEditor_ && (!(options_ & goEditing) || (options_ & goRowSelect))) EndCellEdit(true);
    MoveCurrent(current_, false);
}

void TXStringGrid::ApplyOptions() {
    setShowGrid(options_ & (goVertLine | goHorzLine));
    setTabKeyNavigation(options_ & goTabs);
    topHeader_->setSectionResizeMode(options_ & goColSizing ? QHeaderView::Interactive
                                                            : QHeaderView::Fixed);
    RepaintAll();
}

void TXStringGrid::SetColor(const QColor& color) {
    color_ = color;
    QPalette colours = viewport()->palette();
    colours.setColor(QPalette::Base, color);
    viewport()->setPalette(colours);
    RepaintAll();
}

void TXStringGrid::SetFixedColor(const QColor& color) {
    fixedColor_ = color;
    RepaintAll();
}

void TXStringGrid::SetFixedLineColor(const QColor& color) {
    fixedLineColor_ = color;
    RepaintAll();
}

void TXStringGrid::SetGridLineColor(const QColor& color) {
    gridLineColor_ = color;
    RepaintAll();
}

void TXStringGrid::SetCtl3D(bool on) {
    ctl3D_ = on;
    RepaintAll();
}

void TXStringGrid::SetDefaultDrawing(bool on) {
    defaultDrawing_ = on;
    RepaintAll();
}

void TXStringGrid::SetMultiLine(bool on) {
    multiLine_ = on;
    RepaintAll();
}

void TXStringGrid::SetPopupMenu(QMenu* menu) {
    popupMenu_ = menu;
}

void TXStringGrid::SetColumns(const TXStringColumns& columns) {
    columns_->Assign(columns);
}

// ---------------------------------------------------------------------------------------------
// Drawing

void TXStringGrid::PaintCell(QPainter& painter, int col, int row, const QRect& rect) {
    if (!IsValidCell(col, row) || rect.isEmpty()) return;
    painter.save();
    painter.setClipRect(rect);
    DrawCell(painter, col, row, rect, DrawStateOf(col, row));
    painter.restore();
}

TGridDrawState TXStringGrid::DrawStateOf(int col, int row) const {
    TGridDrawState state;
    if (col < fixedCols_ || row < fixedRows_)
        state |= gdFixed;
    else if (selection_.Contains(col, row))
        state |= gdSelected;
    if (TGridCoord{col, row} == current_ && HasFocusWithin()) state |= gdFocused;
    return state;
}

// The grid itself or its cell editor has the focus.
bool TXStringGrid::HasFocusWithin() const {
    const QWidget* focused = QApplication::focusWidget();
    return focused && (focused == this || isAncestorOf(focused));
}

void TXStringGrid::DrawCell(QPainter& painter, int ACol, int ARow, const QRect& rect,
                            TGridDrawState state) {
    if (defaultDrawing_) {
        const TXStringColumnItem& column = *columns_->Items(ACol);
        QColor brush = fixedColor_;
        QFont font = this->font();
        QColor fontColor = palette().color(QPalette::Text);
        if (ARow < fixedRows_) {
            brush = column.HeaderColor();
            font = column.HeaderFont();
            fontColor = column.HeaderFontColor();
        } else if (ACol >= fixedCols_) {
            brush = column.Color();
            font = column.Font();
            fontColor = column.FontColor();
        }
        if (state & gdSelected) {
            const bool rowSelect = options_ & goRowSelect;
            brush = palette().color(rowSelect ? QPalette::Highlight : QPalette::Button);
            fontColor =
                palette().color(rowSelect ? QPalette::HighlightedText : QPalette::ButtonText);
        }
        painter.fillRect(rect, brush);
        painter.setFont(font);
        painter.setPen(fontColor);
        DrawCellText(painter, Cells(ACol, ARow), rect,
                     ARow < fixedRows_ ? column.HeaderAlignment() : column.Alignment());
        if ((state & gdFixed) && ctl3D_) DrawFixedEdge(painter, rect);
    }
    if (OnDrawCell) OnDrawCell(this, painter, ACol, ARow, rect, state);
    if (defaultDrawing_ && (state & gdFocused) && hasFocus() && !(options_ & goRowSelect)) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect;
        focus.backgroundColor = palette().color(QPalette::Button);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

// The whole text inside the cell less one pixel on every side; an ampersand is drawn as itself.
void TXStringGrid::DrawCellText(QPainter& painter, const std::string& text, const QRect& rect,
                                Qt::Alignment alignment) const {
    const QRect inner = rect.adjusted(1, 1, -1, -1);
    if (inner.isEmpty() || text.empty()) return;
    const int layout =
        multiLine_ ? Qt::TextWordWrap | Qt::AlignTop : Qt::TextSingleLine | Qt::AlignVCenter;
    painter.save();
    painter.setClipRect(inner, Qt::IntersectClip);
    painter.drawText(inner, layout | static_cast<int>(HorizontalPart(alignment)), FromCp932(text));
    painter.restore();
}

void TXStringGrid::DrawFixedEdge(QPainter& painter, const QRect& rect) const {
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(rect.topLeft(), rect.topRight());
    painter.drawLine(rect.topLeft(), rect.bottomLeft());
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    painter.drawLine(rect.topRight(), rect.bottomRight());
}

QColor TXStringGrid::LineColor() const {
    QStyleOptionViewItem option;
    option.initFrom(this);
    return QColor::fromRgba(
        static_cast<QRgb>(style()->styleHint(QStyle::SH_Table_GridLineColor, &option, this)));
}

// The fixed rows of column `col`, stacked in a strip `width` wide starting at `left`.
void TXStringGrid::PaintFixedRows(QPainter& painter, int col, int left, int width) {
    const int lineRight = options_ & goFixedVertLine ? LineWidth : 0;
    const int lineBottom = options_ & goFixedHorzLine ? LineWidth : 0;
    for (int row = 0; row < fixedRows_; ++row) {
        const QRect band(left, row * (defaultRowHeight_ + LineWidth), width,
                         defaultRowHeight_ + LineWidth);
        painter.fillRect(band, LineColor());
        PaintCell(painter, col, row, band.adjusted(0, 0, -lineRight, -lineBottom));
    }
}

// The fixed columns of row `row`, side by side in a strip `height` high starting at `top`.
void TXStringGrid::PaintFixedCols(QPainter& painter, int row, int top, int height) {
    const int lineRight = options_ & goFixedVertLine ? LineWidth : 0;
    const int lineBottom = options_ & goFixedHorzLine ? LineWidth : 0;
    int left = 0;
    for (int col = 0; col < fixedCols_; ++col) {
        const QRect band(left, top, fixedColWidths_[static_cast<size_t>(col)] + LineWidth, height);
        painter.fillRect(band, LineColor());
        PaintCell(painter, col, row, band.adjusted(0, 0, -lineRight, -lineBottom));
        left += band.width();
    }
}

// The corner where fixed rows and fixed columns meet.
bool TXStringGrid::eventFilter(QObject* watched, QEvent* event) {
    if (watched != corner_ || !corner_) return QTableWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Paint: {
        QPainter painter(corner_);
        for (int row = 0; row < fixedRows_; ++row)
            PaintFixedCols(painter, row, row * (defaultRowHeight_ + LineWidth),
                           defaultRowHeight_ + LineWidth);
        return true;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const auto* press = static_cast<QMouseEvent*>(event);
        MouseDownAt(press->button(), press->modifiers(),
                    viewport()->mapFrom(this, corner_->mapTo(this, press->position().toPoint())));
        return true;
    }
    case QEvent::MouseButtonRelease:
        MouseUpAt();
        return true;
    default:
        return QTableWidget::eventFilter(watched, event);
    }
}

// ---------------------------------------------------------------------------------------------
// Editing

bool TXStringGrid::EditorMode() const {
    return (options_ & goAlwaysShowEditor) || editorModeRequested_;
}

void TXStringGrid::SetEditorMode(bool on) {
    editorModeRequested_ = on;
    if (on)
        CanEditShow();
    else if (!(options_ & goAlwaysShowEditor))
        EndCellEdit(true);
}

bool TXStringGrid::CanEditShow() {
    if (editingSuppressed_ > 0 || !(options_ & goEditing) || (options_ & goRowSelect) ||
        !EditorMode() || !hasFocus() || !IsBodyCell(current_.X, current_.Y))
        return false;
    TCellEditor* editor = columns_->Items(current_.X)->Editor();
    if (!editor) return false;
    activeEditor_ = editor;
    try {
        editor->StartEdit();
    } catch (...) {
        activeEditor_ = nullptr;
        throw;
    }
    editCell_ = current_;
    DrawEditor(current_.X, current_.Y);
    return false;
}

void TXStringGrid::EndCellEdit(bool Hide) {
    TCellEditor* editor = activeEditor_;
    if (!editor) return;
    editor->CommitEdit();
    if (Hide) editor->HideEditor();
}

void TXStringGrid::RestartCellEdit() {
    TCellEditor* editor = activeEditor_;
    if (!editor) return;
    // The current cell may have moved into a column with another editor, or none.
    TCellEditor* columnEditor =
        IsBodyCell(current_.X, current_.Y) ? columns_->Items(current_.X)->Editor() : nullptr;
    if (columnEditor != editor) {
        editor->HideEditor();
        CanEditShow();
        return;
    }
    editor->StartEdit();
    editCell_ = current_;
    DrawEditor(current_.X, current_.Y);
}

void TXStringGrid::DrawEditor(int ACol, int ARow) {
    if (!IsValidCell(ACol, ARow)) return;
    TXStringColumnItem* column = columns_->Items(ACol);
    TCellEditor* editor = column->Editor();
    if (!editor) return;
    if (OnDrawEditor)
        OnDrawEditor(this, ACol, ARow, editor);
    else
        column->ShowEditor(ARow);
}

void TXStringGrid::CellEditorHidden(TCellEditor* editor) {
    if (activeEditor_ == editor) activeEditor_ = nullptr;
}

void TXStringGrid::FocusWithoutEditing() {
    const TCounterScope suppressed(editingSuppressed_);
    setFocus(Qt::OtherFocusReason);
}

void TXStringGrid::KeyDownFromEditor(int& Key, Qt::KeyboardModifiers Shift) {
    const TCounterScope suppressed(editingSuppressed_);
    KeyDown(Key, Shift);
}

void TXStringGrid::ReturnFocusFromEditor() {
    if (hasFocus())
        CanEditShow();
    else
        setFocus(Qt::OtherFocusReason);
}

void TXStringGrid::scrollContentsBy(int dx, int dy) {
    QTableWidget::scrollContentsBy(dx, dy);
    if (activeEditor_) DrawEditor(current_.X, current_.Y);
}

void TXStringGrid::CellsResized() {
    if (activeEditor_) DrawEditor(current_.X, current_.Y);
    CanEditShow();
}

// ---------------------------------------------------------------------------------------------
// Keys

void TXStringGrid::KeyDown(int& Key, Qt::KeyboardModifiers Shift) {
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
    if (Key != 0) MoveByKey(Key, Shift);
}

void TXStringGrid::MoveByKey(int key, Qt::KeyboardModifiers modifiers) {
    const bool extend = (modifiers & Qt::ShiftModifier) && (options_ & goRangeSelect);
    const bool control = modifiers & Qt::ControlModifier;
    TGridCoord target = current_;
    switch (key) {
    case Qt::Key_Up:
        --target.Y;
        break;
    case Qt::Key_Down:
        ++target.Y;
        break;
    case Qt::Key_Left:
        --target.X;
        break;
    case Qt::Key_Right:
        ++target.X;
        break;
    case Qt::Key_PageUp:
        target.Y -= PageRows();
        break;
    case Qt::Key_PageDown:
        target.Y += PageRows();
        break;
    case Qt::Key_Home:
        target.X = fixedCols_;
        if (control) target.Y = fixedRows_;
        break;
    case Qt::Key_End:
        target.X = ColCount() - 1;
        if (control) target.Y = RowCount() - 1;
        break;
    case Qt::Key_Tab:
        if (options_ & goTabs) {
            const TGridCoord next = NextTabCell(modifiers & Qt::ShiftModifier);
            FocusCell(next.X, next.Y, true);
        }
        return;
    case Qt::Key_F2:
        editorModeRequested_ = true;
        CanEditShow();
        return;
    default:
        return;
    }
    target.X = std::clamp(target.X, fixedCols_, std::max(fixedCols_, ColCount() - 1));
    target.Y = std::clamp(target.Y, fixedRows_, std::max(fixedRows_, RowCount() - 1));
    if (target != current_) FocusCell(target.X, target.Y, !extend);
}

// The next body cell in reading order, wrapping from the last cell to the first and back.
TGridCoord TXStringGrid::NextTabCell(bool backwards) const {
    TGridCoord next = current_;
    const int lastCol = std::max(fixedCols_, ColCount() - 1);
    const int lastRow = std::max(fixedRows_, RowCount() - 1);
    if (backwards) {
        if (--next.X < fixedCols_) {
            next.X = lastCol;
            if (--next.Y < fixedRows_) next.Y = lastRow;
        }
    } else if (++next.X > lastCol) {
        next.X = fixedCols_;
        if (++next.Y > lastRow) next.Y = fixedRows_;
    }
    return next;
}

int TXStringGrid::PageRows() const {
    return std::max(1, viewport()->height() / std::max(1, defaultRowHeight_ + LineWidth));
}

void TXStringGrid::keyPressEvent(QKeyEvent* event) {
    int key = event->key();
    Qt::KeyboardModifiers modifiers = HeldModifiers(event->modifiers());
    NormaliseBacktab(key, modifiers);
    KeyDown(key, modifiers);
    const QList<uint> typed = event->text().toUcs4();
    if (key != 0 && !typed.isEmpty()) TypeCharacter(typed.front());
    event->accept();
}

// A character typed on the grid itself: kept for the cell editor it starts (ImmediateEditMode),
// which consumes it; a character no editor took is forgotten.
void TXStringGrid::TypeCharacter(char32_t character) {
    const bool printable = character >= 0x20 && character != 0x7F;
    const bool editing = (options_ & goEditing) && !(options_ & goRowSelect);
    if (immediateEditMode_) pendingChar_ = (options_ & goEditing) && printable ? character : 0;
    if (editing && (printable || character == u'\r')) {
        editorModeRequested_ = true;
        CanEditShow();
    }
    pendingChar_ = 0;
}

void TXStringGrid::inputMethodEvent(QInputMethodEvent* event) {
    event->accept();
    const QString commit = event->commitString();
    if (commit.isEmpty()) return;
    const QList<uint> characters = commit.toUcs4();
    TypeCharacter(characters.front());
    // The rest of the committed text follows the first character into the editor that started.
    QWidget* editor = QApplication::focusWidget();
    const QString rest = commit.mid(QChar::requiresSurrogates(characters.front()) ? 2 : 1);
    if (rest.isEmpty() || !editor || editor == this || !isAncestorOf(editor)) return;
    auto* followUp = new QInputMethodEvent;
    followUp->setCommitString(rest);
    QCoreApplication::postEvent(editor, followUp);
}

bool TXStringGrid::focusNextPrevChild(bool next) {
    // With goTabs, Tab and Shift+Tab move between cells (keyPressEvent) instead of the focus.
    if (options_ & goTabs) return false;
    return QAbstractScrollArea::focusNextPrevChild(next);
}

void TXStringGrid::focusInEvent(QFocusEvent* event) {
    QTableWidget::focusInEvent(event);
    RepaintAll();
    CanEditShow();
}

void TXStringGrid::focusOutEvent(QFocusEvent* event) {
    QTableWidget::focusOutEvent(event);
    RepaintAll();
}

// ---------------------------------------------------------------------------------------------
// Mouse

void TXStringGrid::mousePressEvent(QMouseEvent* event) {
    MouseDownAt(event->button(), event->modifiers(), event->position().toPoint());
    event->accept();
}

void TXStringGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!(options_ & goAlwaysShowEditor) && event->button() == Qt::LeftButton)
        editorModeRequested_ = true;
    mousePressEvent(event);
}

void TXStringGrid::mouseMoveEvent(QMouseEvent* event) {
    if (!selectingWithMouse_ || !(event->buttons() & Qt::LeftButton)) return;
    const QPoint at = event->position().toPoint();
    const TGridCoord cell = MouseCoord(at.x(), at.y());
    if (IsBodyCell(cell.X, cell.Y) && cell != current_ && SelectCell(cell.X, cell.Y))
        MoveCurrent(cell, false);
}

void TXStringGrid::mouseReleaseEvent(QMouseEvent* event) {
    selectingWithMouse_ = false;
    MouseUpAt();
    event->accept();
}

void TXStringGrid::MouseDownAt(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint at) {
    mouseDownCell_ = current_;
    const bool left = button == Qt::LeftButton;
    const TGridRect before = selection_;
    const TGridCoord cell = MouseCoord(at.x(), at.y());
    const bool onCell = cell.X >= 0 && cell.Y >= 0;
    const bool onBody = IsBodyCell(cell.X, cell.Y);
    if (left && onCell) {
        if ((options_ & goAlwaysShowEditor) && onBody && activeEditor_) activeEditor_->CommitEdit();
        if (SelectCell(cell.X, cell.Y)) {
            if (activeEditor_) activeEditor_->HideEditor();
            SetSelection({cell.X, cell.Y, cell.X, cell.Y});
        }
    }
    BaseMouseDown(button, modifiers, at, cell);
    if (left && onBody && (options_ & goAlwaysShowEditor)) {
        if (CellCount(before) > 1) {
            MoveCurrent(cell, true);
            editCell_ = cell;
            RestartCellEdit();
        }
        FocusCell(current_.X, current_.Y, true);
    }
}

// What a press does in any grid: the grid takes the focus, a left press on a body cell moves the
// current cell there (Shift with goRangeSelect extends the selection) and may start a drag
// selection, and OnMouseDown is raised.
void TXStringGrid::BaseMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint at,
                                 TGridCoord cell) {
    if (!hasFocus()) setFocus(Qt::MouseFocusReason);
    if (button == Qt::LeftButton && IsBodyCell(cell.X, cell.Y)) {
        const bool extend = (modifiers & Qt::ShiftModifier) && (options_ & goRangeSelect);
        FocusCell(cell.X, cell.Y, !extend);
        selectingWithMouse_ = options_ & goRangeSelect;
    }
    if (OnMouseDown) OnMouseDown(this, button, modifiers, at.x(), at.y());
    CanEditShow();
}

// A click on a fixed cell must not leave the current cell there: the cell current at the press
// comes back, whatever OnSelectCell answers, and OnKeyDown hears a key 0 so the window can update
// what it shows about the current cell.
void TXStringGrid::MouseUpAt() {
    const bool leftInFixedCol = (options_ & goAlwaysShowEditor) && current_.X < fixedCols_;
    if ((leftInFixedCol || current_.Y < fixedRows_) && mouseDownCell_.X >= 0 &&
        mouseDownCell_.Y >= 0) {
        SelectCell(mouseDownCell_.X, mouseDownCell_.Y);
        MoveCurrent(mouseDownCell_, true);
        ScrollToCurrent();
        int key = 0;
        KeyDown(key, Qt::NoModifier);
        RepaintAll();
    }
    CanEditShow();
}

void TXStringGrid::contextMenuEvent(QContextMenuEvent* event) {
    if (!popupMenu_) {
        event->ignore();
        return;
    }
    popupMenu_->popup(event->globalPos());
    event->accept();
}

bool TXStringGrid::viewportEvent(QEvent* event) {
    // The grid's own tool tip (its hint) is shown anywhere over the cells.
    if (event->type() == QEvent::ToolTip) return false;
    return QTableWidget::viewportEvent(event);
}

// ---------------------------------------------------------------------------------------------
// TCellEditor

TCellEditor::TCellEditor(QObject* owner) : QObject(owner) {}

TCellEditor::~TCellEditor() {
    if (!grid_) return;
    grid_->CellEditorHidden(this);
    TXStringColumns& columns = *grid_->Columns();
    for (int col = 0; col < columns.Count() && grid_; ++col)
        if (columns[col]->Editor() == this) columns[col]->SetEditor(nullptr);
}

void TCellEditor::SetReadOnly(bool value) {
    readOnly_ = value;
}

void TCellEditor::Attach(TXStringGrid* grid) {
    if (!grid) return;
    if (grid_ && grid_ != grid)
        throw ECellEditorError(objectName().toStdString() + " is allready assigned to " +
                               grid_->objectName().toStdString());
    grid_ = grid;
    ++attachCount_;
}

void TCellEditor::Detach() {
    if (attachCount_ <= 0) return;
    if (--attachCount_ > 0) return;
    if (grid_) grid_->CellEditorHidden(this);
    grid_ = nullptr;
}

void TCellEditor::ReleaseWindow() {}

void TCellEditor::PrepareEditor() {}

void TCellEditor::SetCellText(const std::string& value) {
    if (!grid_) return;
    const TGridCoord cell = grid_->EditCell();
    if (grid_->Cells(cell.X, cell.Y) != value) grid_->SetEditText(cell.X, cell.Y, value);
}

// ---------------------------------------------------------------------------------------------
// TMetaCellEditor

TMetaCellEditor::TMetaCellEditor(QObject* owner) : TCellEditor(owner) {}

TMetaCellEditor::~TMetaCellEditor() {
    delete control_.data();
}

// The control lives in the grid's viewport: placed in its coordinates and clipped by it.
void TMetaCellEditor::Attach(TXStringGrid* grid) {
    TCellEditor::Attach(grid);
    if (Grid()) ParentControlTo(Grid()->viewport());
}

// An editor that no grid uses any more takes its control back, so the control does not go away
// with a grid it no longer serves.
void TMetaCellEditor::Detach() {
    TCellEditor::Detach();
    if (!Grid()) ParentControlTo(qobject_cast<QWidget*>(parent()));
}

void TMetaCellEditor::ReleaseWindow() {
    ParentControlTo(qobject_cast<QWidget*>(parent()));
}

void TMetaCellEditor::ParentControlTo(QWidget* parentWidget) {
    if (!control_ || control_->parentWidget() == parentWidget) return;
    control_->hide();
    control_->setParent(parentWidget);
}

void TMetaCellEditor::PrepareEditor() {
    if (control_) return;
    QWidget* control = nullptr;
    try {
        control = CreateControl(parent());
    } catch (...) {
        control = nullptr;
    }
    auto* ownerWidget = qobject_cast<QWidget*>(parent());
    if (!control || !ownerWidget) {
        delete control;
        throw ECellEditorError("Cell Editor not of type TCellEditor");
    }
    control->hide();
    control->setParent(ownerWidget);
    control_ = control;
    if (Grid()) ParentControlTo(Grid()->viewport());
}

QWidget* TMetaCellEditor::CreateControl(QObject*) {
    return nullptr;
}

void TMetaCellEditor::ShowAt(const QRect& rect) {
    if (!control_) return;
    control_->setGeometry(rect);
    control_->show();
    control_->raise();
    control_->setFocus(Qt::OtherFocusReason);
}

void TMetaCellEditor::HideEditor() {
    // Moving the focus out of the control must not run the exit handling a second time.
    const bool wasExiting = std::exchange(exiting_, true);
    const auto restore = qScopeGuard([this, wasExiting] { exiting_ = wasExiting; });
    if (control_) {
        // A hidden focus widget would pass the focus to the next widget of the window; the grid
        // keeps it instead.
        if (control_->hasFocus() && Grid()) Grid()->FocusWithoutEditing();
        control_->hide();
    }
    if (Grid()) Grid()->CellEditorHidden(this);
}

void TMetaCellEditor::ExitEdit() {
    if (exiting_) return;
    exiting_ = true;
    const auto restore = qScopeGuard([this] { exiting_ = false; });
    CommitEdit();
    HideEditor();
}

// ---------------------------------------------------------------------------------------------
// TComboCellEditor

namespace {

void SetControlColors(QWidget& control, const QColor& background, const QColor& text) {
    QPalette colours = control.palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        colours.setColor(group, QPalette::Base, background);
        colours.setColor(group, QPalette::Text, text);
    }
    control.setPalette(colours);
}

void ApplyStyleColors(QWidget& control, TEditStyle style) {
    if (style == esDropList)
        SetControlColors(control, control.palette().color(QPalette::Highlight),
                         control.palette().color(QPalette::HighlightedText));
    else
        SetControlColors(control, Qt::black, Qt::white);
}

} // namespace

TComboCellEditor::TComboCellEditor(QObject* owner) : TMetaCellEditor(owner) {
    PrepareEditor();
}

TComboCellEditor::~TComboCellEditor() = default;

TComboInplace* TComboCellEditor::ComboControl() const {
    return qobject_cast<TComboInplace*>(GetControl());
}

TEditStyle TComboCellEditor::EditStyle() const {
    const TComboInplace* control = ComboControl();
    return control ? control->EditStyle() : editStyle_;
}

void TComboCellEditor::SetEditStyle(TEditStyle style) {
    TComboInplace* control = ComboControl();
    if (!control || !started_) editStyle_ = style;
    if (control) control->SetEditStyle(style);
}

void TComboCellEditor::SetItems(const std::vector<std::string>& items) {
    items_ = items;
    if (TComboInplace* control = ComboControl()) control->SetItems(items_);
}

QWidget* TComboCellEditor::CreateControl(QObject* owner) {
    auto* control = new TComboInplace(this, qobject_cast<QWidget*>(owner));
    connect(control, &TXComboEdit::OnEditButtonClick, this, [this, control] {
        if (OnEditButtonClick) OnEditButtonClick(control);
    });
    // A value picked from the drop-down goes into the cell at once.
    connect(control, &TXComboEdit::OnCloseUp, this, [this] { CommitEdit(); });
    control->SetNoFocusButton(true);
    control->SetEditStyle(editStyle_);
    ApplyStyleColors(*control, editStyle_);
    return control;
}

void TComboCellEditor::StartEdit() {
    TXStringGrid* grid = Grid();
    if (!grid) return;
    if (!ComboControl()) PrepareEditor();
    started_ = true;
    TComboInplace& control = *ComboControl();
    control.SetAutoSelect(false);
    const TXStringColumnItem& column = *grid->Columns()->Items(grid->Col());
    control.SetAlignment(column.Alignment());
    control.setFont(column.Font());
    control.setReadOnly(ReadOnly());
    if (ReadOnly())
        ApplyReadOnlyLook(control);
    else
        ApplyEditingLook(control);

    if (const char32_t pending = grid->PendingChar()) {
        // The character typed on the grid arrives as a key press into the cell's own text.
        grid->ClearPendingChar();
        LoadCell(control);
        const QString typed = QString::fromUcs4(&pending, 1);
        const int key = pending < 0x10000
                            ? QChar(static_cast<char16_t>(pending)).toUpper().unicode()
                            : static_cast<int>(pending);
        QCoreApplication::postEvent(&control,
                                    new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, typed));
    } else {
        LoadCell(control);
        if (control.text().isEmpty()) control.SetTextCp932(DefaultText());
    }
    if (control.EditStyle() != esSpin) {
        control.deselect();
        control.setCursorPosition(0);
    }
}

void TComboCellEditor::ApplyReadOnlyLook(TComboInplace& control) {
    control.setCursor(Qt::ArrowCursor);
    control.SetEditStyle(esSimple);
    SetControlColors(control, QColor(0xC0, 0xC0, 0xC0), Qt::white);
}

void TComboCellEditor::ApplyEditingLook(TComboInplace& control) {
    control.SetEditStyle(editStyle_);
    control.setCursor(editStyle_ == esDropList ? Qt::ArrowCursor : Qt::IBeamCursor);
    ApplyStyleColors(control, editStyle_);
    control.SetItems(items_);
}

void TComboCellEditor::LoadCell(TComboInplace& control) {
    const TXStringGrid& grid = *Grid();
    const std::string text = grid.GetEditText(grid.Col(), grid.Row());
    if (control.EditStyle() == esDropList) {
        const auto found = std::find(items_.begin(), items_.end(), text);
        control.SetItemIndex(found == items_.end() ? -1 : static_cast<int>(found - items_.begin()));
    } else {
        control.SetTextCp932(text);
    }
}

void TComboCellEditor::CommitEdit() {
    TComboInplace* control = ComboControl();
    if (!control || !Grid()) return;
    // A composition still open belongs to this cell, whatever moves or ends the edit.
    control->CommitComposition();
    SetCellText(control->TextCp932());
}

// ---------------------------------------------------------------------------------------------
// TComboInplace

TComboInplace::TComboInplace(TComboCellEditor* editor, QWidget* parent)
    : TXComboEdit(parent), editor_(editor) {
    hide();
    setFrame(false);
    // Reached by the grid and by clicks, never by Tab.
    setFocusPolicy(Qt::ClickFocus);
}

TXStringGrid* TComboInplace::Grid() const {
    return editor_ ? editor_->Grid() : nullptr;
}

bool TComboInplace::event(QEvent* event) {
    // With goTabs, Tab is a key of the control (its rules hand it to the grid), not a focus move.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
        const TXStringGrid* grid = Grid();
        if (tab && grid && (grid->Options() & goTabs) &&
            !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            keyPressEvent(key);
            return true;
        }
    }
    return TXComboEdit::event(event);
}

void TComboInplace::keyPressEvent(QKeyEvent* event) {
    if (Grid() && !DroppedDown() && IsFunctionKey(event->key())) {
        // F1 to F12 reach the grid before the combo edit's own keys, of which F4 drops down.
        int key = event->key();
        Qt::KeyboardModifiers modifiers = HeldModifiers(event->modifiers());
        Grid()->KeyDown(key, modifiers);
        if (key == 0) {
            event->accept();
            return;
        }
    }
    TXComboEdit::keyPressEvent(event);
    if (Grid()) event->accept();
}

bool TComboInplace::KeyDown(QKeyEvent* event) {
    if (!Grid()) return TXComboEdit::KeyDown(event);
    int key = event->key();
    Qt::KeyboardModifiers modifiers = HeldModifiers(event->modifiers());
    NormaliseBacktab(key, modifiers);
    const int original = key;
    if (GridKey(key, modifiers)) return true;
    if (key == original) return TXComboEdit::KeyDown(event);
    // A handler changed the key: the combo edit handles the new one instead.
    QKeyEvent changed(QEvent::KeyPress, key, modifiers);
    if (!TXComboEdit::KeyDown(&changed) && !TXComboEdit::KeyPress(&changed))
        TCp932Edit::keyPressEvent(&changed);
    return true;
}

// The key rules of the in-place control. Returns true when the key was dropped (it ended the edit
// and went to the grid, or the grid or a handler dropped it).
bool TComboInplace::GridKey(int& key, Qt::KeyboardModifiers& modifiers) {
    TXStringGrid& grid = *Grid();
    const int col = grid.Col();
    const int row = grid.Row();
    const bool lastRow = row >= grid.RowCount() - 1;
    const bool lastCol = col >= grid.ColCount() - 1;
    const TGridOptions options = grid.Options();
    const bool tabbing = (options & goAlwaysShowEditor) && (options & goTabs);
    bool endEdit = false;
    bool toGrid = false;

    switch (key) {
    case Qt::Key_Tab:
        endEdit = options & goTabs;
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if ((!lastRow || !lastCol) && tabbing) {
            key = Qt::Key_Tab;
            endEdit = true;
        }
        break;
    case Qt::Key_PageUp:
    case Qt::Key_Up:
        if (row > grid.FixedRows())
            endEdit = true;
        else
            key = 0;
        break;
    case Qt::Key_PageDown:
    case Qt::Key_Down:
        if (!lastRow)
            endEdit = true;
        else
            key = 0;
        break;
    case Qt::Key_Left: {
        const bool atStart = AtTextStart();
        const bool firstCell = row <= grid.FixedRows() && col <= grid.FixedCols();
        if (firstCell && atStart) {
            key = 0;
        } else if (modifiers == Qt::NoModifier && !firstCell) {
            const bool dropList = EditStyle() == esDropList;
            if (!tabbing) {
                endEdit = atStart || dropList;
            } else if (atStart || WholeTextSelected() || dropList) {
                key = Qt::Key_Tab;
                modifiers = Qt::ShiftModifier;
                endEdit = true;
            }
        }
        break;
    }
    case Qt::Key_Insert: {
        const TGridRect selection = grid.Selection();
        const bool oneColumn = selection.Left == selection.Right;
        toGrid = (modifiers == Qt::ShiftModifier && oneColumn) ||
                 (modifiers == Qt::ControlModifier && !oneColumn);
        break;
    }
    case Qt::Key_Delete: {
        const TGridRect selection = grid.Selection();
        toGrid = (modifiers == Qt::NoModifier || modifiers == Qt::ShiftModifier) &&
                 selection.Left != selection.Right;
        break;
    }
    default: // function keys went to the grid before (keyPressEvent)
        break;
    }

    if (editor_ && editor_->AllowEndEditEvent)
        editor_->AllowEndEditEvent(this, key, modifiers, endEdit);

    if (endEdit) {
        editor_->ExitEdit();
        grid.KeyDownFromEditor(key, modifiers);
        grid.ReturnFocusFromEditor();
        return true;
    }
    if (toGrid) grid.KeyDown(key, modifiers);
    return key == 0;
}

bool TComboInplace::AtTextStart() const {
    return !hasSelectedText() && cursorPosition() == 0;
}

// Both lengths count characters, as the edit box reports its selection.
bool TComboInplace::WholeTextSelected() const {
    return selectedText().size() == text().size();
}

bool TComboInplace::KeyPress(QKeyEvent* event) {
    TXStringGrid* grid = Grid();
    const Qt::KeyboardModifiers held = HeldModifiers(event->modifiers());
    if (grid && IsEnterKey(event->key()) && !(held & (Qt::ControlModifier | Qt::AltModifier))) {
        // Enter hands the focus back to the grid, which ends the edit and starts it again.
        grid->setFocus(Qt::OtherFocusReason);
        return true;
    }
    if (grid && (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab)) return true;
    return TXComboEdit::KeyPress(event);
}

void TComboInplace::focusOutEvent(QFocusEvent* event) {
    TXComboEdit::focusOutEvent(event);
    if (!editor_) return;
    switch (event->reason()) {
    case Qt::PopupFocusReason:
    case Qt::MenuBarFocusReason:
        // A menu over the control, or the menu bar reached by the keyboard, does not end the
        // edit: the focus comes back to the control when the menu closes.
        return;
    case Qt::ActiveWindowFocusReason:
        // The window lost activation: the text is kept in the cell, the edit goes on when the
        // window comes back.
        editor_->CommitEdit();
        return;
    default:
        editor_->ExitEdit();
    }
}

void TComboInplace::contextMenuEvent(QContextMenuEvent* event) {
    const TXStringGrid* grid = Grid();
    if (!grid || !grid->PopupMenu()) {
        TXComboEdit::contextMenuEvent(event);
        return;
    }
    grid->PopupMenu()->popup(event->globalPos());
    event->accept();
}
