#include "widgets/CellEditors.h"

#include "widgets/KeyHelpers.h"
#include "widgets/XStringGrid.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QScopeGuard>
#include <QScopedValueRollback>

#include <algorithm>
#include <utility>

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

TXStringGrid* TCellEditor::Grid() const {
    return grid_;
}

void TCellEditor::SetReadOnly(bool value) {
    readOnly_ = value;
}

void TCellEditor::Attach(TXStringGrid* grid) {
    if (!grid) return;
    if (grid_ && grid_ != grid)
        throw ECellEditorError(objectName().toStdString() + " is already assigned to " +
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
    // An exception of CreateControl itself carries its own cause and passes through.
    QWidget* control = CreateControl(parent());
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
    if (!Grid() || handingOn_) return TXComboEdit::KeyDown(event);
    int key = event->key();
    Qt::KeyboardModifiers modifiers = HeldModifiers(event->modifiers());
    NormaliseBacktab(key, modifiers);
    const int original = key;
    if (GridKey(key, modifiers)) return true;
    if (key == original) return TXComboEdit::KeyDown(event);
    // A handler changed the key: the combo edit's whole key handling gets the new one instead,
    // without the grid's rules a second time.
    QKeyEvent changed(QEvent::KeyPress, key, modifiers);
    const QScopedValueRollback handingOn(handingOn_, true);
    TXComboEdit::keyPressEvent(&changed);
    return true;
}

// The key rules of the in-place control. Returns true when the key was dropped (it ended the edit
// and went to the grid, or the grid or a handler dropped it).
bool TComboInplace::GridKey(int& key, Qt::KeyboardModifiers& modifiers) {
    // Only a control with a grid comes here, and its grid is its editor's.
    TComboCellEditor& editor = *editor_;
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

    if (editor.AllowEndEditEvent) editor.AllowEndEditEvent(this, key, modifiers, endEdit);

    if (endEdit) {
        editor.ExitEdit();
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
