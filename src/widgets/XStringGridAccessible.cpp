#include "widgets/XStringGridAccessible.h"

#include "widgets/XStringGrid.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QEvent>

#include <map>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

// Body coordinates: row and column 0 are the first cell below and right of the fixed ones.
int BodyRows(const TXStringGrid& grid) {
    return std::max(0, grid.RowCount() - grid.FixedRows());
}
int BodyCols(const TXStringGrid& grid) {
    return std::max(0, grid.ColCount() - grid.FixedCols());
}
QString ColumnCaption(const TXStringGrid& grid, int bodyCol) {
    return grid.FixedRows() > 0 ? grid.CellQString(grid.FixedCols() + bodyCol, grid.FixedRows() - 1)
                                : QString::number(bodyCol + 1);
}
QString RowCaption(const TXStringGrid& grid, int bodyRow) {
    return grid.FixedCols() > 0 ? grid.CellQString(grid.FixedCols() - 1, grid.FixedRows() + bodyRow)
                                : QString::number(bodyRow + 1);
}

// The table's children: the column headers, then per row its header and its cells.
int CellChildIndex(const TXStringGrid& grid, int bodyRow, int bodyCol) {
    return BodyCols(grid) + bodyRow * (BodyCols(grid) + 1) + bodyCol + 1;
}

// The grid's selection in body coordinates.
TGridRect BodySelection(const TXStringGrid& grid) {
    const TGridRect selection = grid.Selection();
    return {selection.Left - grid.FixedCols(), selection.Top - grid.FixedRows(),
            selection.Right - grid.FixedCols(), selection.Bottom - grid.FixedRows()};
}

bool HasFocusWithin(const TXStringGrid& grid) {
    const QWidget* focused = QApplication::focusWidget();
    return focused && (focused == &grid || grid.isAncestorOf(focused));
}

// The in-place editor shown on the current cell; nullptr when none is open.
QWidget* OpenEditor(const TXStringGrid& grid) {
    for (QWidget* child : grid.viewport()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child->isVisible()) return child;
    return nullptr;
}

// What the grid's accessibility keeps per grid, a child of the grid: the owner's describer, and
// the announcement of the current cell. It names each in-place editor when it is shown or moved
// to another cell.
class TGridAccessibility : public QObject {
public:
    static constexpr const char* ObjectName = "GridAccessibility";

    static TGridAccessibility* Find(const TXStringGrid& grid) {
        return grid.findChild<TGridAccessibility*>(QLatin1StringView(ObjectName),
                                                   Qt::FindDirectChildrenOnly);
    }
    static TGridAccessibility& Of(TXStringGrid& grid) {
        TGridAccessibility* own = Find(grid);
        return own ? *own : *new TGridAccessibility(&grid);
    }

    // An assistive technology has asked for the grid: from now on its moves are announced.
    bool Asked() const { return asked_; }
    void SetAsked() { asked_ = true; }

    QString Describe(int col, int row) const {
        return describer_ ? describer_(col, row) : QString();
    }
    void SetDescriber(TCellDescriber describer) { describer_ = std::move(describer); }

    // Announces once the event under way has been handled, whatever moved the cell meanwhile.
    void ScheduleAnnouncement() {
        if (pending_) return;
        pending_ = true;
        QMetaObject::invokeMethod(this, &TGridAccessibility::Announce, Qt::QueuedConnection);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        // The viewport is compared by the pointer kept: while the grid is destroyed it still sends
        // events, and the grid is no scroll area any more.
        if (watched == viewport_) {
            if (event->type() == QEvent::ChildAdded)
                static_cast<QChildEvent*>(event)->child()->installEventFilter(this);
        } else if (event->type() == QEvent::Show || event->type() == QEvent::Move) {
            if (auto* editor = qobject_cast<QWidget*>(watched)) NameEditor(editor);
        }
        return false;
    }

private:
    explicit TGridAccessibility(TXStringGrid* grid)
        : QObject(grid), grid_(grid), viewport_(grid->viewport()) {
        setObjectName(QLatin1StringView(ObjectName));
        viewport_->installEventFilter(this);
        for (QWidget* editor :
             grid->viewport()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            editor->installEventFilter(this);
            if (editor->isVisible()) NameEditor(editor);
        }
    }

    void NameEditor(QWidget* editor) const {
        editor->setAccessibleName(CellEditorName(*grid_, grid_->Col(), grid_->Row()));
        editor->setAccessibleDescription(Describe(grid_->Col(), grid_->Row()));
    }

    void Announce() {
        pending_ = false;
        const int row = grid_->Row() - grid_->FixedRows();
        const int col = grid_->Col() - grid_->FixedCols();
        if (row < 0 || col < 0 || !HasFocusWithin(*grid_)) return;
        if (QWidget* editor = OpenEditor(*grid_)) NameEditor(editor);
        QAccessibleEvent focus(grid_, QAccessible::Focus);
        focus.setChild(CellChildIndex(*grid_, row, col));
        QAccessible::updateAccessibility(&focus);
    }

    TXStringGrid* grid_;
    QWidget* viewport_;
    TCellDescriber describer_;
    bool asked_ = false;
    bool pending_ = false;
};

class TGridAccessible;

// One body cell, or one header cell (`header` set, the other coordinate -1).
class TGridCellAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface {
public:
    TGridCellAccessible(TGridAccessible* table, int row, int col, QAccessible::Role role)
        : table_(table), row_(row), col_(col), role_(role) {}

    bool isValid() const override;
    QObject* object() const override { return nullptr; }
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override;
    QAccessible::Role role() const override { return role_; }
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::TableCellInterface && role_ == QAccessible::Cell
                   ? static_cast<QAccessibleTableCellInterface*>(this)
                   : nullptr;
    }

    bool isSelected() const override;
    QList<QAccessibleInterface*> columnHeaderCells() const override;
    QList<QAccessibleInterface*> rowHeaderCells() const override;
    int columnIndex() const override { return col_; }
    int rowIndex() const override { return row_; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override;

private:
    TGridAccessible* table_;
    int row_;
    int col_;
    QAccessible::Role role_;
};

class TGridAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit TGridAccessible(TXStringGrid* grid) : QAccessibleWidget(grid, QAccessible::Table) {}
    ~TGridAccessible() override { Forget(); }

    TXStringGrid& Grid() const { return *static_cast<TXStringGrid*>(widget()); }

    // Children: the column headers, then per row its header and its cells, then the cell editor
    // while one is open.
    int childCount() const override { return CellChildren() + (OpenEditor(Grid()) ? 1 : 0); }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount()) return nullptr;
        if (index == CellChildren())
            return QAccessible::queryAccessibleInterface(OpenEditor(Grid()));
        if (index < Cols()) return Cell(-1, index, QAccessible::ColumnHeader);
        const int inRows = index - Cols();
        const int row = inRows / (Cols() + 1);
        const int col = inRows % (Cols() + 1) - 1;
        return col < 0 ? Cell(row, -1, QAccessible::RowHeader) : Cell(row, col, QAccessible::Cell);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        if (child && child->object() && child->object() == OpenEditor(Grid()))
            return CellChildren();
        for (const auto& [key, id] : cells_)
            if (QAccessible::accessibleInterface(id) == child) {
                const auto [row, col] = key;
                if (row < 0) return col;
                return col < 0 ? Cols() + row * (Cols() + 1) : CellChildIndex(Grid(), row, col);
            }
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const QPoint at = Grid().viewport()->mapFromGlobal(QPoint(x, y));
        const int row = Grid().rowAt(at.y()) - Grid().FixedRows();
        const int col = Grid().columnAt(at.x()) - Grid().FixedCols();
        return cellAt(row, col);
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::TableInterface ? static_cast<QAccessibleTableInterface*>(this)
                                                   : QAccessibleWidget::interface_cast(type);
    }

    QAccessibleInterface* cellAt(int row, int column) const override {
        if (row < 0 || row >= Rows() || column < 0 || column >= Cols()) return nullptr;
        return Cell(row, column, QAccessible::Cell);
    }
    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QString columnDescription(int column) const override { return ColumnCaption(Grid(), column); }
    QString rowDescription(int row) const override { return RowCaption(Grid(), row); }
    int columnCount() const override { return Cols(); }
    int rowCount() const override { return Rows(); }

    // The selection is one block of cells; its rows count as selected when it spans every column
    // (whole-row selection always does).
    int selectedCellCount() const override { return int(selectedCells().size()); }
    QList<QAccessibleInterface*> selectedCells() const override {
        const TGridRect selection = BodySelection(Grid());
        QList<QAccessibleInterface*> cells;
        for (int row = selection.Top; row <= selection.Bottom; ++row)
            for (int col = selection.Left; col <= selection.Right; ++col)
                if (QAccessibleInterface* cell = cellAt(row, col)) cells << cell;
        return cells;
    }
    int selectedRowCount() const override { return int(selectedRows().size()); }
    QList<int> selectedRows() const override {
        const TGridRect selection = BodySelection(Grid());
        if (!(Grid().Options() & goRowSelect)) return {};
        QList<int> rows;
        for (int row = std::max(0, selection.Top); row <= std::min(selection.Bottom, Rows() - 1);
             ++row)
            rows << row;
        return rows;
    }
    bool isRowSelected(int row) const override { return selectedRows().contains(row); }
    int selectedColumnCount() const override { return 0; }
    QList<int> selectedColumns() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent*) override { Forget(); }

    QAccessibleInterface* focusChild() const override {
        QWidget* editor = OpenEditor(Grid());
        if (editor && editor->hasFocus()) return QAccessible::queryAccessibleInterface(editor);
        return Grid().hasFocus() ? cellAt(CurrentRow(), CurrentCol()) : nullptr;
    }

    int Rows() const { return BodyRows(Grid()); }
    int Cols() const { return BodyCols(Grid()); }
    int CurrentRow() const { return Grid().Row() - Grid().FixedRows(); }
    int CurrentCol() const { return Grid().Col() - Grid().FixedCols(); }

private:
    int CellChildren() const { return Cols() + Rows() * (Cols() + 1); }

    // The cells' interfaces live as long as the table's and keep their ids, as screen readers
    // expect of an object they were given.
    QAccessibleInterface* Cell(int row, int col, QAccessible::Role role) const {
        const std::pair key{row, col};
        if (const auto found = cells_.find(key); found != cells_.end())
            return QAccessible::accessibleInterface(found->second);
        auto* cell = new TGridCellAccessible(const_cast<TGridAccessible*>(this), row, col, role);
        cells_[key] = QAccessible::registerAccessibleInterface(cell);
        return cell;
    }
    void Forget() {
        for (const auto& [key, id] : cells_)
            QAccessible::deleteAccessibleInterface(id);
        cells_.clear();
    }

    mutable std::map<std::pair<int, int>, QAccessible::Id> cells_;
};

bool TGridCellAccessible::isValid() const {
    return table_->isValid() && row_ < table_->Rows() && col_ < table_->Cols();
}

QAccessibleInterface* TGridCellAccessible::parent() const {
    return table_;
}

QAccessibleInterface* TGridCellAccessible::table() const {
    return table_;
}

QString TGridCellAccessible::text(QAccessible::Text t) const {
    TXStringGrid& grid = table_->Grid();
    if (t == QAccessible::Description && role_ == QAccessible::Cell)
        return TGridAccessibility::Of(grid).Describe(grid.FixedCols() + col_,
                                                     grid.FixedRows() + row_);
    if (t != QAccessible::Name) return {};
    if (role_ == QAccessible::ColumnHeader) return ColumnCaption(grid, col_);
    if (role_ == QAccessible::RowHeader) return RowCaption(grid, row_);
    return grid.CellQString(grid.FixedCols() + col_, grid.FixedRows() + row_);
}

QRect TGridCellAccessible::rect() const {
    const TXStringGrid& grid = table_->Grid();
    const int row = grid.FixedRows() + std::max(row_, 0);
    const int col = grid.FixedCols() + std::max(col_, 0);
    QRect cell = grid.CellRect(col, row);
    if (role_ == QAccessible::ColumnHeader)
        cell = QRect(cell.x(), -grid.viewport()->y(), cell.width(), grid.viewport()->y());
    if (role_ == QAccessible::RowHeader)
        cell = QRect(-grid.viewport()->x(), cell.y(), grid.viewport()->x(), cell.height());
    return QRect(grid.viewport()->mapToGlobal(cell.topLeft()), cell.size());
}

QAccessible::State TGridCellAccessible::state() const {
    QAccessible::State state;
    const bool body = role_ == QAccessible::Cell;
    state.selectable = body;
    state.selected = isSelected();
    state.focusable = body;
    state.focused = body && row_ == table_->CurrentRow() && col_ == table_->CurrentCol() &&
                    HasFocusWithin(table_->Grid());
    state.invisible = rect().isEmpty();
    return state;
}

bool TGridCellAccessible::isSelected() const {
    return role_ == QAccessible::Cell && BodySelection(table_->Grid()).Contains(col_, row_);
}

QList<QAccessibleInterface*> TGridCellAccessible::columnHeaderCells() const {
    return {table_->child(col_)};
}

QList<QAccessibleInterface*> TGridCellAccessible::rowHeaderCells() const {
    return {table_->child(table_->Cols() + row_ * (table_->Cols() + 1))};
}

QAccessibleInterface* GridFactory(const QString&, QObject* object) {
    auto* grid = qobject_cast<TXStringGrid*>(object);
    if (!grid) return nullptr;
    TGridAccessibility::Of(*grid).SetAsked();
    return new TGridAccessible(grid);
}

} // namespace

void InstallGridAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(GridFactory);
        return true;
    }();
    (void)installed;
}

QString CellEditorName(const TXStringGrid& grid, int col, int row) {
    // The caption without its note in brackets: "タイトル(必須 100バイト以内)" gives "タイトル".
    const QString caption = ColumnCaption(grid, col - grid.FixedCols()).section(u'(', 0, 0);
    return caption.trimmed() + u' ' + u"%1行目"_s.arg(RowCaption(grid, row - grid.FixedRows()));
}

void SetCellDescriber(TXStringGrid& grid, TCellDescriber describer) {
    TGridAccessibility::Of(grid).SetDescriber(std::move(describer));
}

void AnnounceCurrentCell(TXStringGrid& grid) {
    TGridAccessibility* own = TGridAccessibility::Find(grid);
    if (own && own->Asked()) own->ScheduleAnnouncement();
}
