// The string grid's input: current cell and selection, starting and ending cell editors, keys and
// the mouse.

#include "widgets/XStringGrid.h"

#include "widgets/KeyHelpers.h"
#include "widgets/XStringGridAccessible.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMetaMethod>
#include <QRegion>

#include <algorithm>

namespace {

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
// Current cell and selection

void TXStringGrid::SetCol(int col) {
    FocusCell(col, current_.Y, true);
}

void TXStringGrid::SetRow(int row) {
    FocusCell(current_.X, row, true);
}

bool TXStringGrid::SelectCell(int col, int row) {
    bool canSelect = true;
    emit OnSelectCell(this, col, row, canSelect);
    return canSelect;
}

bool TXStringGrid::FocusCell(int col, int row, bool moveAnchor) {
    if (!IsValidCell(col, row) || !SelectCell(col, row)) return false;
    MoveCurrent({col, row}, moveAnchor);
    ScrollToCurrent();
    ShowCellEditor();
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
    const TGridCoord before = current_;
    const TGridRect selectedBefore = selection_;
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
    RepaintMove(before, selectedBefore);
    AnnounceCurrentCell(*this);
}

// QTableView would announce its current index by its own numbering of the table's children,
// which is not the grid's.
void TXStringGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QAbstractItemView::currentChanged(current, previous);
}

// Repaints what a move of the current cell changes: the cells that left or joined the selection
// and the old and the new current cell, which carry the focus rectangle.
void TXStringGrid::RepaintMove(TGridCoord before, const TGridRect& selectedBefore) {
    const auto inBody = [this](const TGridRect& cells) {
        return IsBodyCell(cells.Left, cells.Top) && IsBodyCell(cells.Right, cells.Bottom);
    };
    const TGridRect current{current_.X, current_.Y, current_.X, current_.Y};
    const TGridRect previous{before.X, before.Y, before.X, before.Y};
    if (!inBody(selectedBefore) || !inBody(selection_) || !inBody(current) || !inBody(previous))
        return RepaintAll();
    QRegion changed = QRegion(BodyArea(selectedBefore)).xored(BodyArea(selection_));
    changed += BodyArea(current);
    changed += BodyArea(previous);
    viewport()->update(changed);
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
// Editing

bool TXStringGrid::EditorMode() const {
    return (options_ & goAlwaysShowEditor) || editorModeRequested_;
}

void TXStringGrid::SetEditorMode(bool on) {
    editorModeRequested_ = on;
    if (on)
        ShowCellEditor();
    else if (!(options_ & goAlwaysShowEditor))
        EndCellEdit(true);
}

bool TXStringGrid::CanEditShow() const {
    return editingSuppressed_ == 0 && (options_ & goEditing) && !(options_ & goRowSelect) &&
           EditorMode() && hasFocus() && IsBodyCell(current_.X, current_.Y) &&
           columns_->Items(current_.X)->Editor();
}

void TXStringGrid::ShowCellEditor() {
    if (!CanEditShow()) return;
    TCellEditor* editor = columns_->Items(current_.X)->Editor();
    // The current cell may have moved into another editor's column while the grid had no focus
    // (a dialog chose the cell): the editor left behind commits its text and goes.
    if (activeEditor_ && activeEditor_ != editor) {
        activeEditor_->CommitEdit();
        activeEditor_->HideEditor();
    }
    activeEditor_ = editor;
    try {
        editor->StartEdit();
    } catch (...) {
        activeEditor_ = nullptr;
        throw;
    }
    editCell_ = current_;
    DrawEditor(current_.X, current_.Y);
    emit OnEditorStarted(this, current_.X, current_.Y, editor);
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
        ShowCellEditor();
        return;
    }
    editor->StartEdit();
    editCell_ = current_;
    DrawEditor(current_.X, current_.Y);
    emit OnEditorStarted(this, current_.X, current_.Y, editor);
}

void TXStringGrid::DrawEditor(int ACol, int ARow) {
    if (!IsValidCell(ACol, ARow)) return;
    TXStringColumnItem* column = columns_->Items(ACol);
    TCellEditor* editor = column->Editor();
    if (!editor) return;
    if (isSignalConnected(QMetaMethod::fromSignal(&TXStringGrid::OnDrawEditor)))
        emit OnDrawEditor(this, ACol, ARow, editor);
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
        ShowCellEditor();
    else
        setFocus(Qt::OtherFocusReason);
}

void TXStringGrid::scrollContentsBy(int dx, int dy) {
    QTableWidget::scrollContentsBy(dx, dy);
    if (activeEditor_) DrawEditor(current_.X, current_.Y);
}

void TXStringGrid::CellsResized() {
    if (activeEditor_) DrawEditor(current_.X, current_.Y);
    ShowCellEditor();
}

// ---------------------------------------------------------------------------------------------
// Keys

void TXStringGrid::KeyDown(int& Key, Qt::KeyboardModifiers Shift) {
    emit OnKeyDown(this, Key, Shift);
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
        ShowCellEditor();
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
        ShowCellEditor();
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

// Qt's item view repaints the whole view when the focus comes or goes, and the focus goes to the
// cell editor and back on every cursor key. What the focus changes here is the current cell's
// focus rectangle and the frame, which some styles mark; only they are repainted.
void TXStringGrid::focusInEvent(QFocusEvent* event) {
    RepaintFocusMarks();
    // As in Qt's item view: an input method types into the grid when the current cell is editable.
    setAttribute(Qt::WA_InputMethodEnabled, currentIndex().flags() & Qt::ItemIsEditable);
    event->accept();
    ShowCellEditor();
}

void TXStringGrid::focusOutEvent(QFocusEvent* event) {
    RepaintFocusMarks();
    event->accept();
}

void TXStringGrid::RepaintFocusMarks() {
    update(QRegion(frameRect()).subtracted(contentsRect()));
    RepaintCells({current_.X, current_.Y, current_.X, current_.Y});
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
    emit OnMouseDown(this, button, modifiers, at.x(), at.y());
    ShowCellEditor();
}

// A click on a fixed cell must not leave the current cell there: the cell current at the press
// comes back, whatever OnSelectCell answers; asking OnSelectCell tells the owner it is current.
void TXStringGrid::MouseUpAt() {
    const bool leftInFixedCol = (options_ & goAlwaysShowEditor) && current_.X < fixedCols_;
    if ((leftInFixedCol || current_.Y < fixedRows_) && mouseDownCell_.X >= 0 &&
        mouseDownCell_.Y >= 0) {
        SelectCell(mouseDownCell_.X, mouseDownCell_.Y);
        MoveCurrent(mouseDownCell_, true);
        ScrollToCurrent();
        RepaintAll();
    }
    ShowCellEditor();
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
    // The viewport's only children are the cell editors' controls, which ask for a layout
    // whenever one is shown or hidden, that is on every cursor key. Qt's scroll area would lay
    // out and repaint its scroll bars for it; nothing of the grid's layout depends on them.
    if (event->type() == QEvent::LayoutRequest) return true;
    return QTableWidget::viewportEvent(event);
}
