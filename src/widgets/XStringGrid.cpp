// The string grid's core: cells, layout, appearance and painting.

#include "widgets/XStringGrid.h"

#include "widgets/CellTextLayout.h"
#include "widgets/Cp932Text.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QStyledItemDelegate>

#include <algorithm>
#include <utility>

namespace {

// Cells keep their code page 932 bytes in this role, so a text read from a file comes back
// byte for byte; the display text is made from the bytes.
constexpr int CellBytesRole = Qt::UserRole + 1;

constexpr int DefaultColWidth = 64; // a new column's width in pixels

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
        line_.reset();
        QTableWidgetItem::setData(CellBytesRole, QByteArray::fromStdString(bytes));
    }

    // The text laid out on one line, kept until the text changes or is drawn in another font;
    // nothing for an empty cell.
    std::shared_ptr<const TCellTextLayout> Line(const QFont& font,
                                                const QPaintDevice* device) const {
        if (line_ && line_->Suits(font, device)) return line_;
        const std::string bytes = Bytes();
        if (bytes.empty()) return nullptr;
        line_ = std::make_shared<const TCellTextLayout>(FromCp932(bytes), font, device);
        return line_;
    }

private:
    mutable std::shared_ptr<const TCellTextLayout> line_;
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
    topHeader_->setDefaultSectionSize(DefaultColWidth + LineWidth);
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
    // No receiver hears of the edit the hidden editor commits while the grid goes away. QObject
    // unblocks the signals again before it announces the grid's destruction.
    blockSignals(true);
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
    ShowCellEditor();
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
    fixedColWidths_.resize(static_cast<size_t>(fixedCols_), DefaultColWidth);
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

// Body cells repaint in the viewport alone; a block that reaches into the fixed cells repaints
// the header strips as well.
void TXStringGrid::RepaintCells(const TGridRect& cells) {
    if (IsBodyCell(cells.Left, cells.Top) && IsBodyCell(cells.Right, cells.Bottom))
        viewport()->update(BodyArea(cells));
    else
        RepaintAll();
}

// The block's body cells with their grid lines, in viewport coordinates, also where scrolled out.
QRect TXStringGrid::BodyArea(const TGridRect& cells) const {
    const int left = columnViewportPosition(cells.Left);
    const int top = rowViewportPosition(cells.Top);
    const int right = columnViewportPosition(cells.Right) + columnWidth(cells.Right);
    const int bottom = rowViewportPosition(cells.Bottom) + rowHeight(cells.Bottom);
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
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
    const std::string before = Cells(col, row);
    SetCells(col, row, text);
    emit OnSetEditText(this, col, row, text, before);
}

bool TXStringGrid::IsValidCell(int col, int row) const {
    return col >= 0 && row >= 0 && col < ColCount() && row < RowCount();
}

bool TXStringGrid::IsBodyCell(int col, int row) const {
    return IsValidCell(col, row) && col >= fixedCols_ && row >= fixedRows_;
}

void TXStringGrid::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                               const QList<int>& roles) {
    const TGridRect cells{topLeft.column(), topLeft.row(), bottomRight.column(), bottomRight.row()};
    if (updateDepth_ > 0) {
        changedInUpdate_ = changedInUpdate_ ? changedInUpdate_->United(cells) : cells;
        return;
    }
    QTableWidget::dataChanged(topLeft, bottomRight, roles);
    if (topLeft.row() < fixedRows_ || topLeft.column() < fixedCols_) RepaintAll();
}

void TXStringGrid::BeginUpdate() {
    if (updateDepth_ <= 0) {
        updateDepth_ = 0;
        changedInUpdate_.reset();
    }
    ++updateDepth_;
}

void TXStringGrid::EndUpdate() {
    --updateDepth_;
    if (updateDepth_ > 0) return;
    updateDepth_ = 0;
    if (const std::optional<TGridRect> changed = std::exchange(changedInUpdate_, std::nullopt))
        RepaintCells(*changed);
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

void TXStringGrid::SetCtl3D(bool on) {
    ctl3D_ = on;
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
        fontColor = palette().color(rowSelect ? QPalette::HighlightedText : QPalette::ButtonText);
    }
    painter.fillRect(rect, brush);
    painter.setFont(font);
    painter.setPen(fontColor);
    DrawCellText(painter, ACol, ARow, rect,
                 ARow < fixedRows_ ? column.HeaderAlignment() : column.Alignment());
    if ((state & gdFixed) && ctl3D_) DrawFixedEdge(painter, rect);
    emit OnDrawCell(this, painter, ACol, ARow, rect, state);
    if ((state & gdFocused) && hasFocus() && !(options_ & goRowSelect)) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect;
        focus.backgroundColor = palette().color(QPalette::Button);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

// The whole text inside the cell less one pixel on every side; an ampersand is drawn as itself.
void TXStringGrid::DrawCellText(QPainter& painter, int col, int row, const QRect& rect,
                                Qt::Alignment alignment) const {
    const QRect inner = rect.adjusted(1, 1, -1, -1);
    if (inner.isEmpty()) return;
    painter.save();
    painter.setClipRect(inner, Qt::IntersectClip);
    if (multiLine_) {
        painter.drawText(inner, Qt::TextWordWrap | Qt::AlignTop | HorizontalPart(alignment),
                         CellQString(col, row));
    } else if (const std::shared_ptr<const TCellTextLayout> line = CellLine(col, row, painter)) {
        // A line too wide for its cell starts at the left whatever the alignment, so it is cut
        // at the right only and its beginning stays readable.
        line->Draw(painter, inner,
                   line->Width() > inner.width() ? Qt::AlignLeft : HorizontalPart(alignment));
    }
    painter.restore();
}

// The grid's own cells keep their laid-out line; a cell someone else put into the grid is laid out
// for each paint.
std::shared_ptr<const TCellTextLayout> TXStringGrid::CellLine(int col, int row,
                                                              const QPainter& painter) const {
    if (const auto* own = dynamic_cast<const TXStringCell*>(item(row, col)))
        return own->Line(painter.font(), painter.device());
    const QString text = CellQString(col, row);
    if (text.isEmpty()) return nullptr;
    return std::make_shared<const TCellTextLayout>(text, painter.font(), painter.device());
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
