// TMiniForm's item grid: inserting, deleting, moving, copying and pasting rows, the row mode in
// which whole rows are selected, the edit commands of menus, toolbar and keys, the states of the
// toolbar buttons and edit menu items, the pick list of the text columns, the themed header row
// and the auto-fill of a committed cell.
//
// The rows are those of the document: row 0 is the header, rows 1 .. MaxItemRows the entries.
// Their number never changes, so an insert pushes rows towards the bottom and is refused when it
// would push text out, and a delete pulls rows up and empties the rows freed at the bottom.

#include "MiniForm.h"

#include "Cp932Edit.h"
#include "Cp932Text.h"
#include "DateNormalize.h"
#include "L_CCmbo.h"
#include "L_Dialog.h"
#include "L_EdtPos.h"
#include "L_Theme.h"
#include "S_string.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDate>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QTabWidget>

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int DateColumn = 1;
constexpr int AddressColumn = 2;

const QString InsertRefused = u"これ以上の挿入は行えません。"_s;

QString ClipboardText() {
    return QGuiApplication::clipboard()->text();
}

// The control with the keyboard focus when it belongs to `window` (a menu open over the window
// leaves the focus where it was).
QWidget* FocusedControlIn(const QWidget* window) {
    QWidget* focus = QApplication::focusWidget();
    return focus && focus->window() == window ? focus : nullptr;
}

// A text box of the window, the control the edit commands act on: one of the program's edit boxes
// (the first page's fields, the grid's cell editor) or the multi-line confirmation text. Check
// boxes, buttons and the grid itself are not text boxes.
class TTextBox {
public:
    static std::optional<TTextBox> Of(QWidget* control) {
        if (auto* edit = qobject_cast<TCp932Edit*>(control)) return TTextBox(edit, nullptr);
        if (auto* memo = qobject_cast<QPlainTextEdit*>(control)) return TTextBox(nullptr, memo);
        return std::nullopt;
    }

    bool ReadOnly() const { return edit_ ? edit_->isReadOnly() : memo_->isReadOnly(); }
    bool CanUndo() const {
        return edit_ ? edit_->isUndoAvailable() : memo_->document()->isUndoAvailable();
    }
    qsizetype TextLength() const {
        return edit_ ? edit_->text().size() : memo_->toPlainText().size();
    }
    qsizetype SelectionLength() const {
        return edit_ ? edit_->selectedText().size() : memo_->textCursor().selectedText().size();
    }

    // The commands that change the text do nothing in a read-only box.
    void Undo() {
        if (ReadOnly()) return;
        edit_ ? edit_->undo() : memo_->undo();
    }
    void Cut() {
        if (ReadOnly()) return;
        edit_ ? edit_->cut() : memo_->cut();
    }
    void Copy() { edit_ ? edit_->copy() : memo_->copy(); }
    // An edit box takes the clipboard's text through its input filter.
    void Paste() {
        if (ReadOnly()) return;
        edit_ ? edit_->PasteFromClipboard() : memo_->paste();
    }
    void DeleteSelection() {
        if (ReadOnly() || SelectionLength() == 0) return;
        if (edit_) {
            edit_->del();
            return;
        }
        QTextCursor cursor = memo_->textCursor();
        cursor.removeSelectedText();
        memo_->setTextCursor(cursor);
    }
    void SelectAll() { edit_ ? edit_->selectAll() : memo_->selectAll(); }

private:
    TTextBox(TCp932Edit* edit, QPlainTextEdit* memo) : edit_(edit), memo_(memo) {}

    TCp932Edit* edit_;
    QPlainTextEdit* memo_;
};

// Runs `change` as one change of many cells: the open cell editor's text goes into its cell
// first, the grid paints once when the change is over and the editor then shows the current cell.
template <typename TChange> void ChangeCells(TXStringGrid& grid, TChange&& change) {
    grid.EndCellEdit(false);
    grid.BeginUpdate();
    {
        const auto endUpdate = qScopeGuard([&grid] { grid.EndUpdate(); });
        change();
    }
    grid.RestartCellEdit();
}

bool RowIsEmpty(const TXStringGrid& grid, int row) {
    for (int col = 0; col < ItemColumns; ++col) {
        if (!grid.Cells(col, row).empty()) return false;
    }
    return true;
}

// Row `from` into row `to`; a row beyond the last item row reads as empty.
void CopyRow(TXStringGrid& grid, int from, int to) {
    for (int col = 0; col < ItemColumns; ++col)
        grid.SetCells(col, to, from <= MaxItemRows ? grid.Cells(col, from) : std::string());
}

void ClearRow(TXStringGrid& grid, int row) {
    for (int col = 0; col < ItemColumns; ++col)
        grid.SetCells(col, row, std::string());
}

void SwapRows(TXStringGrid& grid, int first, int second) {
    for (int col = 0; col < ItemColumns; ++col) {
        const std::string text = grid.Cells(col, first);
        grid.SetCells(col, first, grid.Cells(col, second));
        grid.SetCells(col, second, text);
    }
}

// Whether `count` rows can be pushed in: the last `count` item rows, which would be pushed out,
// are empty. More rows than the grid has item rows never fit.
bool BottomRowsFree(const TXStringGrid& grid, int count) {
    if (count > MaxItemRows) return false;
    for (int row = MaxItemRows - count + 1; row <= MaxItemRows; ++row) {
        if (!RowIsEmpty(grid, row)) return false;
    }
    return true;
}

// Moves rows `row` .. MaxItemRows - count down by `count` and empties the rows freed.
void PushRowsDown(TXStringGrid& grid, int row, int count) {
    for (int target = MaxItemRows; target >= row + count; --target)
        CopyRow(grid, target - count, target);
    for (int target = row; target < row + count && target <= MaxItemRows; ++target)
        ClearRow(grid, target);
}

// The lines of a text: a line ends at CR LF, a lone CR or a lone LF, and a line end at the end
// of the text starts no further line.
std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        const bool crLf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
        start = end + (crLf ? 2 : 1);
    }
    return lines;
}

// A control character left in a pasted field is dropped: no cell holds one. Such bytes are never
// the second byte of a double-byte character.
std::string WithoutControlCharacters(std::string field) {
    std::erase_if(field, [](char ch) { return static_cast<unsigned char>(ch) < 0x20; });
    return field;
}

// One pasted line into a row: its TAB-separated fields fill the columns in order, the date read
// as a date where it can be.
void SetRowFromLine(TXStringGrid& grid, int row, const std::string& line) {
    std::vector<std::string> fields;
    // The field after the last column collects whatever follows, which no column takes.
    SplitTabFields(line, fields, ItemColumns + 1);
    std::string& date = fields[DateColumn + 1];
    if (!date.empty()) date = NormalizeDate(date);
    for (int col = 0; col < ItemColumns; ++col)
        grid.SetCells(col, row, WithoutControlCharacters(fields[static_cast<size_t>(col) + 1]));
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Edit commands

bool TMiniForm::EditCommand(char letter) {
    const TGridRect selection = XStringGrid->Selection();
    const bool rowsSelected = selection.Right > selection.Left;
    QWidget* focused = FocusedControlIn(this);
    std::optional<TTextBox> box = TTextBox::Of(focused);
    switch (letter) {
    case 'A':
        if (box) box->SelectAll();
        return box.has_value();
    case 'B': {
        const auto* cellEditor = qobject_cast<TComboInplace*>(focused);
        return cellEditor && cellEditor->Grid() == XStringGrid &&
               selection.Left == selection.Right && ClipboardText().contains(u'\t');
    }
    case 'C':
        if (box) {
            box->Copy();
            return true;
        }
        return rowsSelected && CopyRowsToClipboard(selection.Top, selection.Bottom);
    case 'X':
    case 'D':
        if (box) {
            letter == 'X' ? box->Cut() : box->DeleteSelection();
            return true;
        }
        return rowsSelected && RemoveSelectedRows(selection, letter == 'X');
    case 'P':
        if (!box) return false;
        if (EditCommand('B')) return PasteRows(XStringGrid->Row());
        if (ClipboardText().isEmpty()) return false;
        box->Paste();
        return true;
    case 'T':
        return rowsSelected;
    case 'U':
        if (box) box->Undo();
        return box.has_value();
    default:
        return false;
    }
}

// Cut ('X', copying first) or delete the selected rows, back in cell mode on the first of them.
bool TMiniForm::RemoveSelectedRows(const TGridRect& selection, bool copyFirst) {
    if (copyFirst && !CopyRowsToClipboard(selection.Top, selection.Bottom)) return false;
    return DeleteRows(selection.Top, selection.Bottom) && LeaveRowMode(-1);
}

// Whether a shortcut of the edit menu runs its command. Its items are set as when the menu opens,
// and an enabled item takes the key from a text box, which would otherwise handle it itself.
bool TMiniForm::EditShortcutOverride(QObject* watched, QKeyEvent& event) {
    if (watched != QApplication::focusWidget() || !FocusedControlIn(this)) return false;
    const QKeySequence pressed(event.keyCombination());
    const std::array items{Mn_LineUndo2, Mn_LineCut2, Mn_LineCopy2, Mn_LinePaste2};
    const auto item = std::find_if(items.begin(), items.end(), [&pressed](QAction* action) {
        return action->shortcut() == pressed;
    });
    if (item == items.end()) return false;
    Edit1Click();
    return (*item)->isEnabled() && TTextBox::Of(QApplication::focusWidget());
}

void TMiniForm::UpdateEditItems(QAction* undo, QAction* cut, QAction* copy, QAction* paste,
                                QAction* del, QAction* selectAll) {
    const bool rowsSelected = EditCommand('T');
    const std::optional<TTextBox> box =
        rowsSelected ? std::nullopt : TTextBox::Of(FocusedControlIn(this));
    const bool editable = box && !box->ReadOnly();
    const bool textSelected = box && box->SelectionLength() > 0;
    undo->setEnabled(editable && box->CanUndo());
    cut->setEnabled(rowsSelected || (editable && textSelected));
    copy->setEnabled(rowsSelected || textSelected);
    // A row paste needs text on the clipboard too.
    paste->setEnabled(editable && !ClipboardText().isEmpty());
    del->setEnabled(rowsSelected || (editable && textSelected));
    selectAll->setEnabled(box && box->TextLength() != box->SelectionLength());
}

void TMiniForm::Edit1Click() {
    UpdateEditItems(Mn_LineUndo2, Mn_LineCut2, Mn_LineCopy2, Mn_LinePaste2, Mn_LineDelete2,
                    Mn_LineSelect2);
}

void TMiniForm::PopupMenuPopup() {
    UpdateEditItems(Mn_LineUndo, Mn_LineCut, Mn_LineCopy, Mn_LinePaste, Mn_LineDelete,
                    Mn_LineSelect);
}

void TMiniForm::Mn_LineUndoClick() {
    EditCommand('U');
}

void TMiniForm::Mn_LineCutClick() {
    EditCommand('X');
}

void TMiniForm::Mn_LineCopyClick() {
    EditCommand('C');
}

void TMiniForm::Mn_LinePasteClick() {
    EditCommand('P');
}

void TMiniForm::Mn_LineDeleteClick() {
    EditCommand('D');
}

void TMiniForm::Mn_LineSelectClick() {
    EditCommand('A');
}

// ---------------------------------------------------------------------------------------------
// Row commands

bool TMiniForm::InsertRows(int row, int count) {
    if (row < 1 || row > MaxItemRows || count < 1) return false;
    if (!BottomRowsFree(*XStringGrid, count)) {
        ShowMsg(InsertRefused);
        return false;
    }
    ChangeCells(*XStringGrid, [&] { PushRowsDown(*XStringGrid, row, count); });
    SetModified(true);
    return true;
}

// The rows below move up and the rows freed at the bottom are empty.
bool TMiniForm::DeleteRows(int first, int last) {
    last = std::min(last, MaxItemRows);
    if (first < 1 || last < first) return false;
    const int count = last - first + 1;
    ChangeCells(*XStringGrid, [&] {
        for (int row = first; row <= MaxItemRows; ++row)
            CopyRow(*XStringGrid, row + count, row);
    });
    SetModified(true);
    return true;
}

bool TMiniForm::CopyRowsToClipboard(int first, int last) {
    if (first < 1) return false;
    XStringGrid->EndCellEdit(false);
    std::string text;
    for (int row = first; row <= std::min(last, MaxItemRows); ++row) {
        for (int col = 0; col < ItemColumns; ++col) {
            if (col > 0) text += '\t';
            text += XStringGrid->Cells(col, row);
        }
        text += "\r\n";
    }
    QGuiApplication::clipboard()->setText(FromCp932(text));
    return true;
}

// Inserts one row per line of the clipboard's text. Text with a character the program's code page
// cannot hold is refused whole, with a beep and the characters named in the status bar; lines
// that would not all fit change nothing.
bool TMiniForm::PasteRows(int row) {
    if (row < 1 || row > MaxItemRows) return false;
    const TEncodableSplit text = SplitEncodable(ClipboardText());
    if (!text.Refused.isEmpty()) {
        QApplication::beep();
        SetStatusText(1, UnusableCharactersMessage(text.Refused));
        return false;
    }
    const std::vector<std::string> lines = SplitLines(text.Bytes);
    const int count = static_cast<int>(lines.size());
    if (count == 0) return false;
    if (row + count - 1 > MaxItemRows || !BottomRowsFree(*XStringGrid, count)) {
        ShowMsg(InsertRefused);
        return false;
    }
    ChangeCells(*XStringGrid, [&] {
        PushRowsDown(*XStringGrid, row, count);
        for (int line = 0; line < count; ++line)
            SetRowFromLine(*XStringGrid, row + line, lines[static_cast<size_t>(line)]);
    });
    SetModified(true);
    return true;
}

// Swaps the current row with the row `step` below (1) or above (-1); the current cell goes with
// its row. Rows move into and past empty rows alike.
void TMiniForm::MoveCurrentRow(int step) {
    const int row = XStringGrid->Row();
    const int target = row + step;
    if (row < 1 || target < 1 || target > MaxItemRows) return;
    ChangeCells(*XStringGrid, [&] {
        SwapRows(*XStringGrid, row, target);
        XStringGrid->SetRow(target);
    });
    SetModified(true);
}

void TMiniForm::SB_LineInsClick() {
    if (RowMode)
        EditCommand('C');
    else
        InsertRows(XStringGrid->Row(), 1);
}

void TMiniForm::SB_LineDeleteClick() {
    if (RowMode) {
        EditCommand('X');
        return;
    }
    if (!AskYesNo(u"現在の行を削除してもよろしいですか？"_s)) return;
    const int row = XStringGrid->Row();
    DeleteRows(row, row);
}

void TMiniForm::SB_LineDownClick() {
    MoveCurrentRow(1);
}

void TMiniForm::SB_LineUpClick() {
    MoveCurrentRow(-1);
}

// ---------------------------------------------------------------------------------------------
// Row mode and the toolbar

bool TMiniForm::EnterRowMode() {
    if (RowMode) return false;
    RowMode = true;
    XStringGrid->SetOptions(GridRowOptions);
    UpdateGridStatus(-1);
    return true;
}

bool TMiniForm::LeaveRowMode(int where) {
    if (!RowMode) return false;
    RowMode = false;
    const TGridRect selection = XStringGrid->Selection();
    XStringGrid->SetOptions(GridEditingOptions);
    TGridCoord cell{XStringGrid->Col(), XStringGrid->Row()};
    if (where == -1)
        cell = {selection.Left, selection.Top};
    else if (where == 1)
        cell = {selection.Left, selection.Bottom};
    XStringGrid->FocusCell(cell.X, cell.Y, true);
    XStringGrid->RestartCellEdit();
    UpdateGridStatus(-1);
    return true;
}

void TMiniForm::UpdateGridStatus(int row) {
    if (row < 0) row = XStringGrid->Row();
    SB_LineDown->setEnabled(!RowMode && row < MaxItemRows);
    SB_LineUp->setEnabled(!RowMode && row > 1);
    SetRowButtonCaptions();
    UpdatePasteButton();
    SetStatusText(0, u"%1 : %2"_s.arg(row).arg(MaxItemRows));
}

void TMiniForm::SetRowButtonCaptions() {
    if (RowMode) {
        SB_LineIns->setText(u"コピー"_s);
        SB_LineIns->setToolTip(u"選択範囲をコピーします"_s);
        SB_LineDelete->setText(u"切り取り"_s);
        SB_LineDelete->setToolTip(u"選択範囲を切り取ります"_s);
    } else {
        SB_LineIns->setText(u"１行挿入"_s);
        SB_LineIns->setToolTip(u"現在の行に１行挿入します"_s);
        SB_LineDelete->setText(u"１行削除"_s);
        SB_LineDelete->setToolTip(u"現在の行を削除します"_s);
    }
}

// Rows can be pasted when the clipboard holds text with a TAB; a clipboard that cannot be read
// gives no text.
void TMiniForm::UpdatePasteButton() {
    SB_LinePaste->setEnabled(ClipboardText().contains(u'\t'));
}

void TMiniForm::Timer_PasteTimer() {
    UpdatePasteButton();
}

// ---------------------------------------------------------------------------------------------
// Grid events

void TMiniForm::XStringGridKeyDown(TXStringGrid*, int& Key, Qt::KeyboardModifiers Shift) {
    if (PageControl->currentIndex() != pgItems) return;
    try {
        if (GridCommandKey(Key, Shift)) Key = 0;
    } catch (...) {
        // A key whose command failed goes on to the grid as if it had none.
    }
    UpdatePasteButton();
}

// Runs the command of a key pressed on the grid or handed on by its cell editor; true when the
// key is used up.
bool TMiniForm::GridCommandKey(int key, Qt::KeyboardModifiers shift) {
    const bool shiftAlone = shift == Qt::ShiftModifier;
    switch (key) {
    case Qt::Key_Escape:
    case Qt::Key_Left:
    case Qt::Key_Right:
        return LeaveRowMode(0);
    case Qt::Key_Up:
    case Qt::Key_Down:
        return shift & Qt::ShiftModifier ? EnterRowMode() : LeaveRowMode(0);
    case Qt::Key_Insert:
        if (shiftAlone) return PasteKey();
        return shift == Qt::ControlModifier && EditCommand('C');
    case Qt::Key_Delete:
        // Without selected rows the key deletes in the cell editor.
        return EditCommand('T') && EditCommand(shiftAlone ? 'X' : 'D');
    case Qt::Key_F2:
        SB_LineInsClick();
        return false;
    case Qt::Key_F3:
        SB_LineDeleteClick();
        return false;
    case Qt::Key_F4:
        return PasteKey();
    case Qt::Key_F5:
        SB_LineDownClick();
        return false;
    case Qt::Key_F6:
        SB_LineUpClick();
        return false;
    default:
        return false;
    }
}

// A paste key runs the paste command. A row paste, done or refused, uses the key up, so that the
// cell editor neither pastes the rows' text into the cell nor drops its list down over the result.
bool TMiniForm::PasteKey() {
    const bool rowPaste = EditCommand('B');
    return EditCommand('P') || rowPaste;
}

void TMiniForm::XStringGridSelectCell(TXStringGrid*, int, int ARow, bool&) {
    UpdateGridStatus(ARow);
}

void TMiniForm::XStringGridMouseDown(TXStringGrid*, Qt::MouseButton Button, Qt::KeyboardModifiers,
                                     int, int) {
    if (Button == Qt::LeftButton) LeaveRowMode(0);
}

// Under visual styles the header row is drawn as the style's header sections.
void TMiniForm::XStringGridDrawCell(TXStringGrid* Sender, QPainter& Canvas, int ACol, int ARow,
                                    const QRect& Rect, TGridDrawState) {
    if (ARow != 0 || !VisualStylesInUse()) return;
    DrawThemePartWithTextClipped(Canvas, Sender, TThemePart::HeaderItem, TThemeState::Normal,
                                 Sender->CellQString(ACol, ARow), Rect,
                                 Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine);
}

// The drop-down of the text columns offers each text of the current column once, in row order,
// letter case aside; an empty column offers one empty entry. The cell editor's own list, which
// the control gets a copy of at each edit, stays as it is.
void TMiniForm::FillPickList() {
    std::vector<std::string> items;
    std::vector<std::string> seen; // the items in small letters
    const int col = XStringGrid->Col();
    for (int row = 1; row <= MaxItemRows; ++row) {
        const std::string text = TrimRightAll(XStringGrid->Cells(col, row));
        const std::string key = LowerCaseAnsi(text);
        if (text.empty() || std::find(seen.begin(), seen.end(), key) != seen.end()) continue;
        items.push_back(text);
        seen.push_back(key);
    }
    if (items.empty()) items.emplace_back();
    ComboCellEditor_Title->ComboControl()->SetItems(items);
}

// ---------------------------------------------------------------------------------------------
// Cell auto-fill

void TMiniForm::XStringGridSetEditText(TXStringGrid* Sender, int ACol, int ARow,
                                       const std::string& Value) {
    SetModified(true);
    if (Value.empty()) return;
    // Cells set here do not raise this event again.
    if (CB_AutoData->isChecked() && ACol != DateColumn && Sender->Cells(DateColumn, ARow).empty())
        Sender->SetCells(DateColumn, ARow, ToCp932(QDate::currentDate().toString(u"yyyy-MM-dd"_s)));
    if (CB_AutoAddress->isChecked() && ACol != AddressColumn &&
        Sender->Cells(AddressColumn, ARow).empty())
        Sender->SetCells(AddressColumn, ARow, ED_Informer_Address->TextCp932());
}
