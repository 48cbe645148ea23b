#pragma once

// TXStringGrid: a string grid whose columns carry their own colours, fonts, alignments and cell
// editor. This header brings the whole grid: its plain types (XStringGridTypes.h), the column
// settings (XStringGridColumns.h) and the cell editors that edit its cells in place
// (CellEditors.h).
//
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
// not fixed and the column has an Editor (see CellEditors.h).
//
// Bulk changes: the owner brackets commands that change many cells as
//   EndCellEdit(false); BeginUpdate(); ...changes...; EndUpdate(); RestartCellEdit();
// EndCellEdit(false) alone puts the text still in an open editor into its cell before the grid is
// read.
//
// Events are Qt signals named as the events they are, raised on the user-interface thread inside
// the grid's event handling; connect them directly (the default). By-reference parameters are the
// receiver's answer (Key = 0 drops a key, CanSelect = false refuses a cell). OnDrawCell gets the
// painter the cell is painted with and the cell's rectangle in that painter's coordinates; it is
// raised after the grid has painted the cell. While the grid is being destroyed it raises nothing.
//
// Colours are QColor; alignments are the horizontal part of Qt::Alignment (left, right, centre).
// A QFont has no colour: each font of a column comes with a font colour beside it.

#include "widgets/CellEditors.h"
#include "widgets/XStringGridColumns.h"
#include "widgets/XStringGridTypes.h"

#include <QColor>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QRect>
#include <QTableWidget>

#include <memory>
#include <optional>
#include <string>

class TCellTextLayout;
class TXStringGridHeader;

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
    // OnSetEditText with the text it replaced.
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
    // Raised edges on fixed cells.
    bool Ctl3D() const { return ctl3D_; }
    void SetCtl3D(bool on);
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
    // Places column ACol's editor over (ACol, ARow): OnDrawEditor when connected, else the column
    // item's ShowEditor.
    virtual void DrawEditor(int ACol, int ARow);

    // --- Bulk update: cell changes inside are not painted one by one; the outermost EndUpdate
    // repaints once when anything changed. Calls nest and must be paired.
    void BeginUpdate();
    void EndUpdate();
    int UpdateDepth() const { return updateDepth_; }

    // --- Keys: the grid's key-down handling: raises OnKeyDown, then moves the current cell for
    // the navigation keys (arrows, Tab/Shift+Tab with goTabs, Page Up/Down, Home/End, Ctrl+Home/
    // End). Cell editors hand their navigation keys to it.
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

signals:
    void OnDrawCell(TXStringGrid* Sender, QPainter& Canvas, int ACol, int ARow, const QRect& Rect,
                    TGridDrawState State);
    void OnKeyDown(TXStringGrid* Sender, int& Key, Qt::KeyboardModifiers Shift);
    void OnMouseDown(TXStringGrid* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift,
                     int X, int Y);
    void OnSelectCell(TXStringGrid* Sender, int ACol, int ARow, bool& CanSelect);
    void OnSetEditText(TXStringGrid* Sender, int ACol, int ARow, const std::string& Value,
                       const std::string& Before);
    // The cell editor has started on the cell and shows its text.
    void OnEditorStarted(TXStringGrid* Sender, int ACol, int ARow, TCellEditor* Editor);
    // When connected, its receiver places the editor instead of the column item.
    void OnDrawEditor(TXStringGrid* Sender, int ACol, int ARow, TCellEditor* Editor);

protected:
    // Paints one cell from its column's settings, then raises OnDrawCell.
    virtual void DrawCell(QPainter& painter, int ACol, int ARow, const QRect& rect,
                          TGridDrawState state);
    // Whether the current column's cell editor may start on the current cell now: the conditions
    // above hold and the grid is not just taking the focus back from an editor. Asked wherever an
    // in-place editor could appear; a descendant may refuse more.
    virtual bool CanEditShow() const;

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
    // The grid announces its current cell to screen readers itself (XStringGridAccessible.h).
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    friend class TXStringGridHeader;
    friend class TXStringGridDelegate;

    // Every row and column ends in a grid line one pixel wide; sizes given to the grid exclude it.
    static constexpr int LineWidth = 1;

    void PaintCell(QPainter& painter, int col, int row, const QRect& rect);
    void PaintFixedRows(QPainter& painter, int col, int left, int width);
    void PaintFixedCols(QPainter& painter, int row, int top, int height);
    TGridDrawState DrawStateOf(int col, int row) const;
    bool HasFocusWithin() const;
    void DrawCellText(QPainter& painter, int col, int row, const QRect& rect,
                      Qt::Alignment alignment) const;
    std::shared_ptr<const TCellTextLayout> CellLine(int col, int row,
                                                    const QPainter& painter) const;
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
    // Starts the current column's cell editor on the current cell when CanEditShow().
    void ShowCellEditor();

    void ColumnsInserted(int first, int last);
    void LayoutChanged();
    void ApplyFixedLayout();
    void ApplyOptions();
    void UpdateHeaderGeometry();
    void CellsResized();
    int FixedRowsHeight() const;
    int FixedColsWidth() const;
    void RepaintAll();
    void RepaintCells(const TGridRect& cells);
    void RepaintMove(TGridCoord before, const TGridRect& selectedBefore);
    void RepaintFocusMarks();
    QRect BodyArea(const TGridRect& cells) const;

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
    bool immediateEditMode_ = false;
    int updateDepth_ = 0;
    std::optional<TGridRect> changedInUpdate_; // the cells changed inside the bulk update

    int fixedCols_ = 1;
    int fixedRows_ = 1;
    int defaultRowHeight_ = 24;
    std::vector<int> fixedColWidths_;
    TGridOptions options_;
    QColor color_;
    QColor fixedColor_;
    bool ctl3D_ = true;
    QPointer<QMenu> popupMenu_;
    TGridCoord current_{1, 1};
    TGridCoord anchor_{1, 1};
    TGridRect selection_{1, 1, 1, 1};
    bool editorModeRequested_ = false;
    bool selectingWithMouse_ = false;
    int editingSuppressed_ = 0;
};
