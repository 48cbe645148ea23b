#include "widgets/XStringGridAccessible.h"

#include "widgets/XStringGrid.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QPointer>

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
    int childCount() const override { return CellChildren() + (OpenEditor() ? 1 : 0); }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount()) return nullptr;
        if (index == CellChildren()) return QAccessible::queryAccessibleInterface(OpenEditor());
        if (index < Cols()) return Cell(-1, index, QAccessible::ColumnHeader);
        const int inRows = index - Cols();
        const int row = inRows / (Cols() + 1);
        const int col = inRows % (Cols() + 1) - 1;
        return col < 0 ? Cell(row, -1, QAccessible::RowHeader) : Cell(row, col, QAccessible::Cell);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        if (child && child->object() && child->object() == OpenEditor()) return CellChildren();
        for (const auto& [key, id] : cells_)
            if (QAccessible::accessibleInterface(id) == child) {
                const auto [row, col] = key;
                if (row < 0) return col;
                return Cols() + row * (Cols() + 1) + col + 1;
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
    // The grid has one current cell; whole-row selection shows as that row.
    int selectedCellCount() const override { return 1; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    QList<QAccessibleInterface*> selectedCells() const override {
        QAccessibleInterface* current = cellAt(CurrentRow(), CurrentCol());
        return current ? QList<QAccessibleInterface*>{current} : QList<QAccessibleInterface*>{};
    }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent*) override { Forget(); }

    QAccessibleInterface* focusChild() const override {
        QWidget* editor = OpenEditor();
        if (editor && editor->hasFocus()) return QAccessible::queryAccessibleInterface(editor);
        return Grid().hasFocus() ? cellAt(CurrentRow(), CurrentCol()) : nullptr;
    }

    int Rows() const { return BodyRows(Grid()); }
    int Cols() const { return BodyCols(Grid()); }
    int CurrentRow() const { return Grid().Row() - Grid().FixedRows(); }
    int CurrentCol() const { return Grid().Col() - Grid().FixedCols(); }

private:
    int CellChildren() const { return Cols() + Rows() * (Cols() + 1); }
    // The in-place editor shown on the current cell; nullptr when none is open.
    QWidget* OpenEditor() const {
        for (QWidget* child : Grid().viewport()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (child->isVisible()) return child;
        return nullptr;
    }

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
    if (t != QAccessible::Name) return {};
    const TXStringGrid& grid = table_->Grid();
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
    state.selectable = role_ == QAccessible::Cell;
    state.selected = isSelected();
    state.focusable = role_ == QAccessible::Cell;
    state.invisible = rect().isEmpty();
    return state;
}

bool TGridCellAccessible::isSelected() const {
    return role_ == QAccessible::Cell && row_ == table_->CurrentRow() &&
           col_ == table_->CurrentCol();
}

QList<QAccessibleInterface*> TGridCellAccessible::columnHeaderCells() const {
    return {table_->child(col_)};
}

QList<QAccessibleInterface*> TGridCellAccessible::rowHeaderCells() const {
    return {table_->child(table_->Cols() + row_ * (table_->Cols() + 1))};
}

// Names an in-place editor of the grid each time it is shown or moved to another cell.
class TEditorNamer : public QObject {
public:
    static constexpr const char* ObjectName = "EditorNamer";

    explicit TEditorNamer(TXStringGrid* grid)
        : QObject(grid), grid_(grid), viewport_(grid->viewport()) {
        setObjectName(QLatin1StringView(ObjectName));
        viewport_->installEventFilter(this);
        for (QWidget* editor :
             grid->viewport()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            editor->installEventFilter(this);
            if (editor->isVisible()) Name(editor);
        }
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        // The viewport is compared by the pointer kept: while the grid is destroyed it still sends
        // events, and the grid is no scroll area any more.
        if (watched == viewport_) {
            if (event->type() == QEvent::ChildAdded)
                static_cast<QChildEvent*>(event)->child()->installEventFilter(this);
        } else if (event->type() == QEvent::Show || event->type() == QEvent::Move) {
            if (auto* editor = qobject_cast<QWidget*>(watched)) Name(editor);
        }
        return false;
    }

private:
    void Name(QWidget* editor) const {
        editor->setAccessibleName(CellEditorName(*grid_, grid_->Col(), grid_->Row()));
    }

    TXStringGrid* grid_;
    QWidget* viewport_;
};

QAccessibleInterface* GridFactory(const QString&, QObject* object) {
    auto* grid = qobject_cast<TXStringGrid*>(object);
    if (!grid) return nullptr;
    const QString namer = QLatin1StringView(TEditorNamer::ObjectName);
    if (!grid->findChild<QObject*>(namer, Qt::FindDirectChildrenOnly)) new TEditorNamer(grid);
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
