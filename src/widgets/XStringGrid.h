#pragma once

// TXStringGrid: a string grid whose columns carry their own colours, fonts, alignments and cell
// editor, and the cell editors that edit its cells in place.
//
// The grid
// --------
// Cells are code page 932 texts addressed by (column, row), both 0-based. Rows 0 .. FixedRows()-1
// and columns 0 .. FixedCols()-1 are fixed: they stay in place while the body scrolls (the fixed
// rows are painted in the horizontal header strip, the fixed columns in the vertical one), are
// never edited and cannot be reached with the keyboard. Row 0 holds the column captions.
//
// Coordinates: CellRect(), MouseCoord() and the X/Y of OnMouseDown are in the coordinates of the
// grid's viewport (the scrolled body area). Fixed cells lie above or left of it and have negative
// coordinates there. Cell editors' controls are children of the viewport.
//
// Current cell and selection are the grid's own (Col()/Row(), Selection()); Qt's item editors are
// never opened. Whenever the grid would show an in-place editor (current cell moved, focus gained,
// after a mouse press or release, after a column was sized or moved, on a typed character) it
// starts the current column's cell editor instead, when: goEditing is on, goRowSelect is off,
// editor mode is on (always with goAlwaysShowEditor), the grid has the focus, the current row is
// not fixed and the column has an Editor. See TCellEditor below.
//
// Bulk changes: the owner brackets commands that change many cells as
//   EndCellEdit(false); BeginUpdate(); ...changes...; EndUpdate(); RestartCellEdit();
// EndCellEdit(false) alone puts the text still in an open editor into its cell before the grid is
// read.
//
// Events are std::function members named as the events they are; an empty one is not called. They
// run on the user-interface thread inside the grid's event handling. By-reference parameters are
// the handler's answer (Key = 0 drops a key, CanSelect = false refuses a cell). OnDrawCell gets the
// painter the cell is painted with and the cell's rectangle in that painter's coordinates; it runs
// after the grid has painted the cell.
//
// Colours are QColor; alignments are the horizontal part of Qt::Alignment (left, right, centre).
// A QFont has no colour: each font of a column comes with a font colour beside it.

#include "XComboBox.h"

#include <QColor>
#include <QFlags>
#include <QFont>
#include <QMenu>
#include <QPointer>
#include <QRect>
#include <QTableWidget>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

class QPainter;
class TCellEditor;
class TXStringGrid;
class TXStringGridHeader;

// ---------------------------------------------------------------------------------------------
// Base grid types

enum TGridOption {
    goFixedVertLine = 0x0001,
    goFixedHorzLine = 0x0002,
    goVertLine = 0x0004,
    goHorzLine = 0x0008,
    goRangeSelect = 0x0010,
    goDrawFocusSelected = 0x0020,
    goRowSizing = 0x0040,
    goColSizing = 0x0080,
    goRowMoving = 0x0100,
    goColMoving = 0x0200,
    goEditing = 0x0400,
    goTabs = 0x0800,
    goRowSelect = 0x1000,
    goAlwaysShowEditor = 0x2000,
    goThumbTracking = 0x4000,
};
Q_DECLARE_FLAGS(TGridOptions, TGridOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TGridOptions)

enum TGridDrawStateFlag { gdSelected = 0x1, gdFocused = 0x2, gdFixed = 0x4 };
Q_DECLARE_FLAGS(TGridDrawState, TGridDrawStateFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TGridDrawState)

struct TGridCoord {
    int X = 0; // column
    int Y = 0; // row
    friend bool operator==(const TGridCoord&, const TGridCoord&) = default;
};

// A block of cells, columns Left..Right and rows Top..Bottom, all inclusive.
struct TGridRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    friend bool operator==(const TGridRect&, const TGridRect&) = default;
    bool Contains(int col, int row) const {
        return col >= Left && col <= Right && row >= Top && row <= Bottom;
    }
};

using TDrawCellEvent = std::function<void(TXStringGrid* Sender, QPainter& Canvas, int ACol,
                                          int ARow, const QRect& Rect, TGridDrawState State)>;
using TKeyEvent = std::function<void(TXStringGrid* Sender, int& Key, Qt::KeyboardModifiers Shift)>;
using TMouseEvent = std::function<void(TXStringGrid* Sender, Qt::MouseButton Button,
                                       Qt::KeyboardModifiers Shift, int X, int Y)>;
using TSelectCellEvent =
    std::function<void(TXStringGrid* Sender, int ACol, int ARow, bool& CanSelect)>;
using TSetEditEvent =
    std::function<void(TXStringGrid* Sender, int ACol, int ARow, const std::string& Value)>;
using TDrawEditorEvent =
    std::function<void(TXStringGrid* Sender, int ACol, int ARow, TCellEditor* Editor)>;

// The exception of this unit; what() is the message.
class ECellEditorError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// ---------------------------------------------------------------------------------------------
// Column settings

// The settings of one grid column. Created by the grid (one per column); a new item takes the
// grid's fixed colour, colour and font of that moment, left alignments and no editor.
class TXStringColumnItem {
public:
    TXStringColumnItem(TXStringGrid* grid, int index);
    virtual ~TXStringColumnItem();
    TXStringColumnItem(const TXStringColumnItem&) = delete;
    TXStringColumnItem& operator=(const TXStringColumnItem&) = delete;

    TXStringGrid* Grid() const { return grid_; }
    int Index() const { return index_; }

    // Header (fixed-row) cells of the column. Colour setters repaint the column even when the
    // value is unchanged; alignment setters do nothing for an unchanged value.
    QColor HeaderColor() const { return headerColor_; }
    void SetHeaderColor(const QColor& color);
    const QFont& HeaderFont() const { return headerFont_; }
    void SetHeaderFont(const QFont& font);
    QColor HeaderFontColor() const { return headerFontColor_; }
    void SetHeaderFontColor(const QColor& color);
    Qt::Alignment HeaderAlignment() const { return headerAlignment_; }
    void SetHeaderAlignment(Qt::Alignment alignment);

    // Body cells (and, for the alignment, fixed-column cells in body rows).
    QColor Color() const { return color_; }
    void SetColor(const QColor& color);
    const QFont& Font() const { return font_; }
    void SetFont(const QFont& font);
    QColor FontColor() const { return fontColor_; }
    void SetFontColor(const QColor& color);
    Qt::Alignment Alignment() const { return alignment_; }
    void SetAlignment(Qt::Alignment alignment);

    // The column's cell editor, not owned; nullptr = the column cannot be edited. Setting attaches
    // the new editor to the grid (ECellEditorError when it serves another grid; the column then
    // keeps its editor) and detaches the old one.
    TCellEditor* Editor() const { return editor_; }
    void SetEditor(TCellEditor* editor);

    // The row-0 cell of the column.
    std::string Caption() const;
    void SetCaption(const std::string& caption);
    QString CaptionQString() const;
    void SetCaptionQString(const QString& caption);

    // The grid's width of the column.
    int Width() const;
    void SetWidth(int width);

    // Copies colours, fonts, alignments and caption of `source` (possibly of another grid); the
    // editor becomes empty.
    void Assign(const TXStringColumnItem& source);

    // Places the editor over the cell (this column, ARow) when the cell is visible.
    virtual void ShowEditor(int ARow);

private:
    friend class TXStringColumns;
    void RepaintColumn() const;

    TXStringGrid* grid_;
    int index_;
    QColor headerColor_;
    QFont headerFont_;
    QColor headerFontColor_;
    Qt::Alignment headerAlignment_ = Qt::AlignLeft;
    QColor color_;
    QFont font_;
    QColor fontColor_;
    Qt::Alignment alignment_ = Qt::AlignLeft;
    TCellEditor* editor_ = nullptr;
};

// One item per grid column, always as many as the grid has columns; item i describes column i.
// Items are added with fresh settings when columns are added, destroyed when columns are removed
// and move with a moved column.
class TXStringColumns {
public:
    explicit TXStringColumns(TXStringGrid* grid);
    ~TXStringColumns();
    TXStringColumns(const TXStringColumns&) = delete;
    TXStringColumns& operator=(const TXStringColumns&) = delete;

    TXStringGrid* Grid() const { return grid_; }
    int Count() const { return static_cast<int>(items_.size()); }
    TXStringColumnItem* Items(int index) const;
    TXStringColumnItem* operator[](int index) const { return Items(index); }

    // Item by item Assign from `source` (as many items as both have).
    void Assign(const TXStringColumns& source);

private:
    friend class TXStringGrid;
    void Insert(int first, int count);
    void Remove(int first, int count);
    void Move(int from, int to);
    void Renumber();

    TXStringGrid* grid_;
    std::vector<std::unique_ptr<TXStringColumnItem>> items_;
};

// ---------------------------------------------------------------------------------------------
// The grid

class TXStringGrid : public QTableWidget {
    Q_OBJECT

public:
    explicit TXStringGrid(QWidget* parent = nullptr);
    ~TXStringGrid() override;

    // --- Size and layout (a new grid: 5 × 5 cells, 1 fixed column, 1 fixed row, columns 64 and
    // rows 24 pixels).
    int ColCount() const { return columnCount(); }
    void SetColCount(int count);
    int RowCount() const { return rowCount(); }
    void SetRowCount(int count);
    int FixedCols() const { return fixedCols_; }
    void SetFixedCols(int count);
    int FixedRows() const { return fixedRows_; }
    void SetFixedRows(int count);
    int DefaultColWidth() const { return defaultColWidth_; }
    void SetDefaultColWidth(int width);
    int DefaultRowHeight() const { return defaultRowHeight_; }
    void SetDefaultRowHeight(int height);
    int ColWidths(int col) const;
    void SetColWidths(int col, int width);
    // Moves column `from` to index `to` with its cells, width and column settings.
    void MoveColumn(int from, int to);
    // Repaints the cells of one column.
    void InvalidateCol(int col);

    // --- Cells, code page 932. Reading outside the grid gives an empty text; writing there does
    // nothing.
    std::string Cells(int col, int row) const;
    void SetCells(int col, int row, const std::string& text);
    QString CellQString(int col, int row) const;
    void SetCellQString(int col, int row, const QString& text);
    // The paths a cell editor reads and writes: SetEditText stores the text and raises
    // OnSetEditText.
    std::string GetEditText(int col, int row) const;
    void SetEditText(int col, int row, const std::string& text);

    // --- Current cell and selection. Moving the current cell asks OnSelectCell first; setting a
    // current cell makes the selection that one cell.
    int Col() const { return current_.X; }
    void SetCol(int col);
    int Row() const { return current_.Y; }
    void SetRow(int row);
    // Makes (col, row) current; with moveAnchor the selection becomes that cell, otherwise it is
    // extended from its anchor (goRangeSelect). False when OnSelectCell refused.
    bool FocusCell(int col, int row, bool moveAnchor);
    TGridRect Selection() const { return selection_; }
    void SetSelection(const TGridRect& selection);
    // Asks OnSelectCell whether (col, row) may become the current cell.
    bool SelectCell(int col, int row);

    // --- Scrolling: the first body row and column shown.
    int TopRow() const;
    void SetTopRow(int row);
    int LeftCol() const;

    // --- Geometry (viewport coordinates, see above). CellRect is empty for a cell that is not
    // visible; MouseCoord gives (-1, -1) outside all cells.
    QRect CellRect(int col, int row) const;
    TGridCoord MouseCoord(int x, int y) const;

    // --- Appearance
    TGridOptions Options() const { return options_; }
    void SetOptions(TGridOptions options);
    // Body background (new column items take it) and fixed-cell background (new items' header
    // colour).
    QColor Color() const { return color_; }
    void SetColor(const QColor& color);
    QColor FixedColor() const { return fixedColor_; }
    void SetFixedColor(const QColor& color);
    // Stored and repainting, but the grid lines keep the style's colours.
    QColor FixedLineColor() const { return fixedLineColor_; }
    void SetFixedLineColor(const QColor& color);
    QColor GridLineColor() const { return gridLineColor_; }
    void SetGridLineColor(const QColor& color);
    // Raised edges on fixed cells.
    bool Ctl3D() const { return ctl3D_; }
    void SetCtl3D(bool on);
    // Off: the grid paints nothing itself and only raises OnDrawCell.
    bool DefaultDrawing() const { return defaultDrawing_; }
    void SetDefaultDrawing(bool on);
    // Word-wrapped cell texts starting at the top, instead of one line centred vertically.
    bool MultiLine() const { return multiLine_; }
    void SetMultiLine(bool on);
    // The menu shown on a right click, also over a cell editor's control; not owned.
    QMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(QMenu* menu);

    // --- Column settings
    TXStringColumns* Columns() const { return columns_.get(); }
    // Copies `columns` item by item (TXStringColumns::Assign).
    void SetColumns(const TXStringColumns& columns);

    // --- Editing
    // Without goAlwaysShowEditor, the editor starts only once editor mode is on (a typed
    // character, F2, Enter or a double click turn it on; moving to another cell turns it off).
    bool EditorMode() const;
    void SetEditorMode(bool on);
    // A character typed on the grid itself is kept as the pending character and handed to the
    // cell editor that starts because of it.
    bool ImmediateEditMode() const { return immediateEditMode_; }
    void SetImmediateEditMode(bool on) { immediateEditMode_ = on; }
    // The editor now shown, nullptr when none.
    TCellEditor* ActiveCellEditor() const { return activeEditor_; }
    // The cell the active editor edits.
    TGridCoord EditCell() const { return editCell_; }
    // Commits the active editor's text into its cell and, with Hide, hides it. Nothing without an
    // active editor.
    void EndCellEdit(bool Hide);
    // Starts the active editor again on the current cell. Nothing without an active editor.
    void RestartCellEdit();
    // Places column ACol's editor over (ACol, ARow): OnDrawEditor when assigned, else the column
    // item's ShowEditor.
    virtual void DrawEditor(int ACol, int ARow);

    // --- Bulk update: cell changes inside are not painted one by one; the outermost EndUpdate
    // repaints once when anything changed. Calls nest and must be paired.
    void BeginUpdate();
    void EndUpdate();
    int UpdateDepth() const { return updateDepth_; }

    // --- Keys: the grid's key-down handling: raises OnKeyDown, then moves the current cell for
    // the navigation keys (arrows, Tab/Shift+Tab with goTabs, Page Up/Down, Home/End, Ctrl+Home/
    // End). Cell editors hand their navigation keys to it. Key 0 does nothing but the event.
    void KeyDown(int& Key, Qt::KeyboardModifiers Shift);

    // --- The cell editor protocol (used by TCellEditor and its descendants).
    // The character typed on the grid while ImmediateEditMode is on; 0 = none.
    char32_t PendingChar() const { return pendingChar_; }
    void ClearPendingChar() { pendingChar_ = 0; }
    // An editor reports that it was hidden; the grid forgets it as the active editor.
    void CellEditorHidden(TCellEditor* editor);
    // Gives the grid the focus without starting an editor.
    void FocusWithoutEditing();
    // A key that ends an edit: the grid's key-down handling without starting an editor on the cell
    // it moves to (ReturnFocusFromEditor does that).
    void KeyDownFromEditor(int& Key, Qt::KeyboardModifiers Shift);
    // The focus comes back from an editor: the grid takes it, which starts the editor on the
    // current cell.
    void ReturnFocusFromEditor();

    // --- Events
    TDrawCellEvent OnDrawCell;
    TKeyEvent OnKeyDown;
    TMouseEvent OnMouseDown;
    TSelectCellEvent OnSelectCell;
    TSetEditEvent OnSetEditText;
    TDrawEditorEvent OnDrawEditor;

protected:
    // Paints one cell from its column's settings, then raises OnDrawCell.
    virtual void DrawCell(QPainter& painter, int ACol, int ARow, const QRect& rect,
                          TGridDrawState state);
    // Asked wherever an in-place editor could appear; starts the column's cell editor when the
    // conditions above hold. Always false: the grid never shows an editor of its own.
    virtual bool CanEditShow();

    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles = QList<int>()) override;

private:
    friend class TXStringGridHeader;
    friend class TXStringGridDelegate;

    void PaintCell(QPainter& painter, int col, int row, const QRect& rect);
    void PaintFixedRows(QPainter& painter, int col, int left, int width);
    void PaintFixedCols(QPainter& painter, int row, int top, int height);
    TGridDrawState DrawStateOf(int col, int row) const;
    bool HasFocusWithin() const;
    void DrawCellText(QPainter& painter, const std::string& text, const QRect& rect,
                      Qt::Alignment alignment) const;
    void DrawFixedEdge(QPainter& painter, const QRect& rect) const;
    QColor LineColor() const;

    void MouseDownAt(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint at);
    void BaseMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint at,
                       TGridCoord cell);
    void MouseUpAt();

    bool IsValidCell(int col, int row) const;
    bool IsBodyCell(int col, int row) const;
    void MoveCurrent(TGridCoord cell, bool moveAnchor);
    void ScrollToCurrent();
    void ResetCurrent();
    void ClampCurrent();
    void MoveByKey(int key, Qt::KeyboardModifiers modifiers);
    TGridCoord NextTabCell(bool backwards) const;
    int PageRows() const;
    void TypeCharacter(char32_t character);

    void ColumnsInserted(int first, int last);
    void LayoutChanged();
    void ApplyFixedLayout();
    void ApplyOptions();
    void UpdateHeaderGeometry();
    void CellsResized();
    int FixedRowsHeight() const;
    int FixedColsWidth() const;
    void RepaintAll();

    std::unique_ptr<TXStringColumns> columns_;
    TXStringGridHeader* topHeader_ = nullptr;
    TXStringGridHeader* sideHeader_ = nullptr;
    QWidget* corner_ = nullptr;

    TGridCoord mouseDownCell_{-1, -1};
    char32_t pendingChar_ = 0;
    TGridCoord editCell_{-1, -1};
    bool multiLine_ = false;
    TCellEditor* activeEditor_ = nullptr;
    QColor fixedLineColor_{Qt::black};
    QColor gridLineColor_{0xC0, 0xC0, 0xC0};
    bool immediateEditMode_ = false;
    int updateDepth_ = 0;
    bool changedInUpdate_ = false;

    int fixedCols_ = 1;
    int fixedRows_ = 1;
    int defaultColWidth_ = 64;
    int defaultRowHeight_ = 24;
    std::vector<int> fixedColWidths_;
    TGridOptions options_;
    QColor color_;
    QColor fixedColor_;
    bool ctl3D_ = true;
    bool defaultDrawing_ = true;
    QPointer<QMenu> popupMenu_;
    TGridCoord current_{1, 1};
    TGridCoord anchor_{1, 1};
    TGridRect selection_{1, 1, 1, 1};
    bool editorModeRequested_ = false;
    bool selectingWithMouse_ = false;
    int editingSuppressed_ = 0;
};

// ---------------------------------------------------------------------------------------------
// Cell editors

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

    TXStringGrid* Grid() const { return grid_; }
    int AttachCount() const { return attachCount_; }
    bool ReadOnly() const { return readOnly_; }

    virtual void SetReadOnly(bool value);
    // Counts one more column of `grid`; ECellEditorError "<editor> is allready assigned to
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
    // ECellEditorError "Cell Editor not of type TCellEditor" otherwise.
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
//  - AllowEndEditEvent may change the key and whether it ends the edit.
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
};
