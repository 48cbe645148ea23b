#pragma once

// The cell editors of the string grid. A cell editor is a non-visual object assigned to grid
// columns (TXStringColumnItem::SetEditor); when the grid starts editing a cell of such a column,
// the editor loads the cell's text into a control of its own, lays the control over the cell and
// gives it the focus, and when the user leaves the control it writes the text back into the cell.
// TCellEditor is the protocol with the grid, TMetaCellEditor owns and places the control, and
// TComboCellEditor edits with a TComboInplace, an in-place combo edit. Failures (an editor assigned
// to a second grid, a control that cannot be made) throw ECellEditorError, except that an exception
// of a control's own creation passes through as it is; the editor and the grid then keep the state
// they had.

#include "widgets/XComboBox.h"

#include <QPointer>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

class TXStringGrid;

// The exception of this unit; what() is the message.
class ECellEditorError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Consulted on every key-down in a cell editor's control: may change the key (0 drops it) and
// whether the key ends the edit.
using TAllowEndEditEvent =
    std::function<void(QWidget* Sender, int& Key, Qt::KeyboardModifiers Shift, bool& EndEdit)>;

// A non-visual component that edits the cells of the grid columns it is assigned to (the column
// item's Editor). One editor serves any number of columns of one grid and never two grids. Its
// Qt parent is its owner (normally the window).
class TCellEditor : public QObject {
    Q_OBJECT

public:
    explicit TCellEditor(QObject* owner = nullptr);
    ~TCellEditor() override;

    // The text put into the control when the cell is empty, code page 932.
    const std::string& DefaultText() const { return defaultText_; }
    void SetDefaultText(const std::string& text) { defaultText_ = text; }

    TXStringGrid* Grid() const;
    int AttachCount() const { return attachCount_; }
    bool ReadOnly() const { return readOnly_; }

    virtual void SetReadOnly(bool value);
    // Counts one more column of `grid`; ECellEditorError "<editor> is already assigned to
    // <grid>" when another grid holds the editor.
    virtual void Attach(TXStringGrid* grid);
    // Counts one column less; at 0 the editor forgets the grid.
    virtual void Detach();
    // The grid's window goes away: the control must not go with it.
    virtual void ReleaseWindow();
    virtual void PrepareEditor();
    // Loads the grid's current cell.
    virtual void StartEdit() = 0;
    // Writes the control's text into the edit cell.
    virtual void CommitEdit() = 0;
    // Stores `value` into the edit cell through the grid's set-edit-text path when it differs
    // from the cell's text.
    virtual void SetCellText(const std::string& value);
    // Lays the control over `rect` (viewport coordinates), shows it and gives it the focus.
    virtual void ShowAt(const QRect& rect) = 0;
    virtual void HideEditor() = 0;

    TAllowEndEditEvent AllowEndEditEvent;

private:
    std::string defaultText_;
    QPointer<TXStringGrid> grid_;
    int attachCount_ = 0;
    bool readOnly_ = false;
};

// A cell editor that owns a control and lays it over cells. Descendants create the control in
// CreateControl and call PrepareEditor at the end of their constructor.
class TMetaCellEditor : public TCellEditor {
    Q_OBJECT

public:
    explicit TMetaCellEditor(QObject* owner = nullptr);
    ~TMetaCellEditor() override;

    void Attach(TXStringGrid* grid) override;
    void Detach() override;
    void ReleaseWindow() override;
    // Creates the control through CreateControl, owned by the owner, which must be a QWidget;
    // ECellEditorError "Cell Editor not of type TCellEditor" when CreateControl gives no control
    // or the owner is no widget. An exception of CreateControl passes through unchanged. After a
    // failure the editor has no control.
    void PrepareEditor() override;
    void ShowAt(const QRect& rect) override;
    void HideEditor() override;

    QWidget* GetControl() const { return control_; }

    // Leaving the control: CommitEdit then HideEditor, once, whatever triggered it.
    void ExitEdit();

protected:
    virtual QWidget* CreateControl(QObject* owner);

private:
    void ParentControlTo(QWidget* parent);

    QPointer<QWidget> control_;
    bool exiting_ = false;
};

class TComboInplace;

// A cell editor whose control is a TComboInplace: pick list, date and the other combo-edit
// styles. A choice from the drop-down goes into the cell at once.
class TComboCellEditor : public TMetaCellEditor {
    Q_OBJECT

public:
    // Creates the control.
    explicit TComboCellEditor(QObject* owner = nullptr);
    ~TComboCellEditor() override;

    // Read: the control's current style. Write: once the editor has started an edit, changes the
    // control only, until the next StartEdit applies the stored style again. Before its first edit
    // (while the window sets it up) the written style is also the stored one.
    TEditStyle EditStyle() const;
    void SetEditStyle(TEditStyle style);

    // The pick list, copied into the control at each StartEdit; setting also copies it into the
    // control now.
    const std::vector<std::string>& Items() const { return items_; }
    void SetItems(const std::vector<std::string>& items);

    TComboInplace* ComboControl() const;

    // Loads the grid's current cell into the control (DefaultText for an empty cell) with the
    // column's alignment and font, the stored style and a copy of Items; the caret goes to the
    // start. When a character typed on the grid started the edit, the cell's text is loaded and the
    // character arrives in the control as a key press (its upper-case key code, its own text).
    void StartEdit() override;
    // Writes the control's text into the edit cell (OnSetEditText only for a changed text), an
    // input-method composition still open in the control included. A drop-down closing commits
    // at once.
    void CommitEdit() override;

    // The control's edit button was clicked; Sender is the control.
    std::function<void(QWidget* Sender)> OnEditButtonClick;

protected:
    QWidget* CreateControl(QObject* owner) override;

private:
    void ApplyReadOnlyLook(TComboInplace& control);
    void ApplyEditingLook(TComboInplace& control);
    void LoadCell(TComboInplace& control);

    TEditStyle editStyle_ = esSimple;
    std::vector<std::string> items_;
    bool started_ = false;
};

// The in-place control of a TComboCellEditor: a borderless combo edit inside the grid's viewport
// that hands navigation keys and the focus back to the grid.
//
// Keys, while no drop-down is open (an open drop-down takes them itself):
//  - Tab (goTabs), Enter (as Tab, with goAlwaysShowEditor and goTabs, except on the last cell),
//    Up and Page Up (below the first item row), Down and Page Down (above the last row), Left at
//    the start of the text or with all of it selected (as Shift+Tab; never from the first cell
//    and never with a modifier held) end the edit: the text is committed, the key moves the
//    grid's current cell and the edit starts again there. Up, Page Up, Down and Page Down that
//    cannot move, and Left on the first cell, are dropped.
//  - F1-F12, Shift+Insert (one column selected), Ctrl+Insert and Delete (several columns
//    selected) also go to the grid's key-down handling (OnKeyDown), which may drop them.
//  - AllowEndEditEvent may change the key and whether it ends the edit; a changed key that stays
//    with the control goes through the combo edit's whole key handling, as if it had been typed.
//  - Enter that did not end the edit gives the focus back to the grid: the text is committed and
//    the edit starts again on the same cell.
// Losing the focus commits the text and hides the control; a menu over the control does not end
// the edit, and when the window is deactivated the text is committed and the edit stays open.
class TComboInplace : public TXComboEdit {
    Q_OBJECT

public:
    TComboInplace(TComboCellEditor* editor, QWidget* parent);

    TComboCellEditor* CellEditor() const { return editor_; }
    // The grid of its cell editor; nullptr when there is none.
    TXStringGrid* Grid() const;

protected:
    bool event(QEvent* event) override;
    // Keys never travel on to the viewport and the grid behind the control: the grid gets exactly
    // the keys the rules below hand to it.
    void keyPressEvent(QKeyEvent* event) override;
    bool KeyDown(QKeyEvent* event) override;
    bool KeyPress(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // The key rules; returns true when the key was dropped.
    bool GridKey(int& key, Qt::KeyboardModifiers& modifiers);
    bool AtTextStart() const;
    bool WholeTextSelected() const;

    QPointer<TComboCellEditor> editor_;
    // A key changed by AllowEndEditEvent is on its way through the combo edit's own handling.
    bool handingOn_ = false;
};
