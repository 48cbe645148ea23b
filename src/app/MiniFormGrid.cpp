// TMiniForm's item grid: inserting, deleting, moving, copying and pasting rows, the row mode in
// which whole rows are selected, the edit commands of menus, toolbar and keys, the states of the
// toolbar buttons and edit menu items, the pick list of the text columns, the themed header row
// and the auto-fill of a committed cell.
//
// The grid shows the document's entries: row 0 is the header, rows 1 .. MaxItemRows the entries.
// The row rules are the entry table's (EntryTable.h): a command reads the entries from the grid,
// lets the entry table work out the change and writes the rows it changed back as one bulk
// change. The messages about refused changes are the window's.

#include "app/MiniForm.h"

#include "app/DocumentSteps.h"
#include "app/GridMessages.h"
#include "dialogs/L_Dialog.h"
#include "document/ClipboardRows.h"
#include "document/DateNormalize.h"
#include "document/EntryTable.h"
#include "document/FeedCheck.h"
#include "text/S_string.h"
#include "widgets/Cp932Edit.h"
#include "widgets/Cp932Text.h"
#include "widgets/L_CCmbo.h"
#include "widgets/L_EdtPos.h"
#include "widgets/L_Theme.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDate>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QStringList>
#include <QTabWidget>

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

QString ClipboardText() {
    return QGuiApplication::clipboard()->text();
}

TCalendarDay Today() {
    const QDate today = QDate::currentDate();
    return {today.year(), today.month(), today.day()};
}

// The columns as the paste's messages name them.
const std::array<QString, ItemColumns> PasteColumnNames{u"タイトル"_s, u"日付"_s, u"アドレス"_s,
                                                        u"説明"_s};

// "3行目の説明: 「😀」(U+1F600) はこのファイルに保存できない文字です。"
QString UnheldCharacterSentence(const TReplacedCharacter& replaced) {
    const QString codePoint = QString::number(static_cast<uint>(replaced.CodePoint), 16)
                                  .toUpper()
                                  .rightJustified(4, u'0');
    return u"%1行目の%2: 「%3」(U+%4) はこのファイルに保存できない文字です。"_s.arg(
        QString::number(replaced.Row), PasteColumnNames[static_cast<size_t>(replaced.Column)],
        QString::fromUcs4(&replaced.CodePoint, 1), codePoint);
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
    void Redo() {
        if (ReadOnly()) return;
        edit_ ? edit_->redo() : memo_->redo();
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

} // namespace

// ---------------------------------------------------------------------------------------------
// Edit commands

bool TMiniForm::EditCommand(TEditCommand command) {
    const TGridRect selection = XStringGrid->Selection();
    std::optional<TTextBox> box = TTextBox::Of(FocusedControlIn(this));
    switch (command) {
    case TEditCommand::SelectAll:
        if (box) box->SelectAll();
        return box.has_value();
    case TEditCommand::Copy:
        if (box) {
            box->Copy();
            return true;
        }
        return RowsSelected() && CopyRowsToClipboard(selection.Top, selection.Bottom);
    case TEditCommand::Cut:
    case TEditCommand::Delete:
        if (box) {
            command == TEditCommand::Cut ? box->Cut() : box->DeleteSelection();
            return true;
        }
        return RowsSelected() && RemoveSelectedRows(selection, command == TEditCommand::Cut);
    case TEditCommand::Paste:
        if (!box) return false;
        if (RowPastePossible()) return PasteRows(XStringGrid->Row());
        if (ClipboardText().isEmpty()) return false;
        if (!PasteIntoCell()) box->Paste();
        return true;
    case TEditCommand::Undo:
    case TEditCommand::Redo: {
        const bool redo = command == TEditCommand::Redo;
        if (!box || !BoxTakesUndo(FocusedControlIn(this), redo)) return HistoryStep(redo);
        redo ? box->Redo() : box->Undo();
        return true;
    }
    }
    return false;
}

bool TMiniForm::RowsSelected() const {
    const TGridRect selection = XStringGrid->Selection();
    return selection.Right > selection.Left;
}

bool TMiniForm::RowPastePossible() const {
    const auto* cellEditor = qobject_cast<TComboInplace*>(FocusedControlIn(this));
    const TGridRect selection = XStringGrid->Selection();
    return cellEditor && cellEditor->Grid() == XStringGrid && selection.Left == selection.Right &&
           ClipboardText().contains(u'\t');
}

// The clipboard's text pasted into a grid cell: a cell holds one line, so the lines are joined
// and the status bar says so; characters the table file cannot hold go in as "〓" when the user
// agrees, else nothing is pasted. False for a paste into any other text box, which the box makes
// itself.
bool TMiniForm::PasteIntoCell() {
    auto* cellEditor = qobject_cast<TComboInplace*>(FocusedControlIn(this));
    if (!cellEditor || cellEditor->Grid() != XStringGrid || cellEditor->isReadOnly()) return false;
    const TClipboardCell cell = ReadClipboardCell(ClipboardText().toStdString());
    std::vector<TReplacedCharacter> replaced;
    for (const char32_t codePoint : cell.Replaced)
        replaced.push_back({XStringGrid->Row(), XStringGrid->Col(), codePoint});
    if (!ReplaceUnheldCharacters(replaced)) return true;
    cellEditor->InsertUserText(FromCp932(cell.Text));
    if (cell.JoinedLines > 0)
        SetStatusText(
            1, u"%1行の文字列を1行につないで貼り付けました。セルには1行だけが入ります。"_s.arg(
                   cell.JoinedLines + 1));
    return true;
}

// Whether a paste may replace the characters the table file cannot hold (grid row and column
// each) by "〓": true when there are none or the user agrees. The first few are named.
bool TMiniForm::ReplaceUnheldCharacters(const std::vector<TReplacedCharacter>& replaced) {
    constexpr size_t MaxNamed = 3;
    if (replaced.empty()) return true;
    QStringList lines;
    for (size_t k = 0; k < std::min(replaced.size(), MaxNamed); ++k)
        lines << UnheldCharacterSentence(replaced[k]);
    if (replaced.size() > MaxNamed)
        lines << u"ほかに%1文字あります。"_s.arg(replaced.size() - MaxNamed);
    lines << u"それぞれを「〓」に置き換えて貼り付けますか？"_s;
    return AskQuestion(lines.join(u'\n'), {mbPaste, mbCancel}, mbCancel) == mrOk;
}

// Whether `rowCount` pasted rows may go in where `fit` rows fit: all of them when they fit, the
// first `fit` when the user agrees; none fitting is refused with the insert message.
bool TMiniForm::FitPastedRows(int rowCount, int fit) {
    if (rowCount <= fit) return true;
    if (fit == 0) {
        ShowMsg(MsgInsertRefused);
        return false;
    }
    return AskQuestion(u"クリップボードには%1行ありますが、ここに貼り付けられるのは%2行です。\n"
                       u"最初の%2行を貼り付けますか？"_s.arg(rowCount)
                           .arg(fit),
                       {mbPaste, mbCancel}, mbCancel) == mrOk;
}

// Cut (copying first) or delete the selected rows, back in cell mode on the first of them. A
// delete, which leaves nothing on the clipboard, says in the status bar how to take it back.
bool TMiniForm::RemoveSelectedRows(const TGridRect& selection, bool copyFirst) {
    if (copyFirst && !CopyRowsToClipboard(selection.Top, selection.Bottom)) return false;
    const int count = std::min(selection.Bottom, MaxItemRows) - selection.Top + 1;
    const TRowEdit edit = ::DeleteRows(CommittedEntries(), selection.Top, selection.Bottom);
    if (!ApplyRowEdit(edit, RowStepName(copyFirst ? TRowStep::Cut : TRowStep::Delete, count)))
        return false;
    LeaveRowMode(-1);
    if (!copyFirst) SetStatusText(1, u"%1行削除しました。Ctrl+Zで元に戻せます。"_s.arg(count));
    return true;
}

// Whether a shortcut of the edit menu runs its command. Its items are set as when the menu opens,
// and an enabled item takes the key from a text box, which would otherwise handle it itself.
bool TMiniForm::EditShortcutOverride(QObject* watched, QKeyEvent& event) {
    if (watched != QApplication::focusWidget() || !FocusedControlIn(this)) return false;
    const QKeySequence pressed(event.keyCombination());
    const std::array items{Mn_LineUndo2, Mn_LineRedo2, Mn_LineCut2, Mn_LineCopy2, Mn_LinePaste2};
    const auto item = std::find_if(items.begin(), items.end(), [&pressed](QAction* action) {
        return action->shortcuts().contains(pressed);
    });
    if (item == items.end()) return false;
    Edit1Click();
    return (*item)->isEnabled() && TTextBox::Of(QApplication::focusWidget());
}

void TMiniForm::UpdateEditItems(QAction* undo, QAction* redo, QAction* cut, QAction* copy,
                                QAction* paste, QAction* del, QAction* selectAll) {
    const bool rowsSelected = RowsSelected();
    const std::optional<TTextBox> box =
        rowsSelected ? std::nullopt : TTextBox::Of(FocusedControlIn(this));
    const bool editable = box && !box->ReadOnly();
    const bool textSelected = box && box->SelectionLength() > 0;
    UpdateUndoItems(undo, redo, rowsSelected);
    cut->setEnabled(rowsSelected || (editable && textSelected));
    copy->setEnabled(rowsSelected || textSelected);
    // A row paste needs text on the clipboard too.
    paste->setEnabled(editable && !ClipboardText().isEmpty());
    del->setEnabled(rowsSelected || (editable && textSelected));
    selectAll->setEnabled(box && box->TextLength() != box->SelectionLength());
}

void TMiniForm::Edit1Click() {
    UpdateEditItems(Mn_LineUndo2, Mn_LineRedo2, Mn_LineCut2, Mn_LineCopy2, Mn_LinePaste2,
                    Mn_LineDelete2, Mn_LineSelect2);
}

void TMiniForm::PopupMenuPopup() {
    UpdateEditItems(Mn_LineUndo, Mn_LineRedo, Mn_LineCut, Mn_LineCopy, Mn_LinePaste, Mn_LineDelete,
                    Mn_LineSelect);
}

void TMiniForm::Mn_LineUndoClick() {
    EditCommand(TEditCommand::Undo);
}

void TMiniForm::Mn_LineRedoClick() {
    EditCommand(TEditCommand::Redo);
}

void TMiniForm::Mn_LineCutClick() {
    EditCommand(TEditCommand::Cut);
}

void TMiniForm::Mn_LineCopyClick() {
    EditCommand(TEditCommand::Copy);
}

void TMiniForm::Mn_LinePasteClick() {
    EditCommand(TEditCommand::Paste);
}

void TMiniForm::Mn_LineDeleteClick() {
    EditCommand(TEditCommand::Delete);
}

void TMiniForm::Mn_LineSelectClick() {
    EditCommand(TEditCommand::SelectAll);
}

// ---------------------------------------------------------------------------------------------
// Row commands

TEntries TMiniForm::EntriesFromGrid() const {
    TEntries entries;
    for (int row = 1; row <= MaxItemRows; ++row) {
        for (int col = 0; col < ItemColumns; ++col)
            entries[static_cast<size_t>(row - 1)].Cell(col) = XStringGrid->Cells(col, row);
    }
    return entries;
}

TEntries TMiniForm::CommittedEntries() {
    XStringGrid->EndCellEdit(false);
    return EntriesFromGrid();
}

void TMiniForm::WriteRows(int first, const std::vector<TFeedItem>& rows) {
    for (size_t k = 0; k < rows.size(); ++k) {
        for (int col = 0; col < ItemColumns; ++col)
            XStringGrid->SetCells(col, first + static_cast<int>(k), rows[k].Cell(col));
    }
    // A date's mark follows the row's title and which rows the feed carries.
    if (!rows.empty()) XStringGrid->InvalidateCol(icDate);
}

void TMiniForm::ShowRows(const TRowPatch& patch, TGridCoord current) {
    ChangeCells(*XStringGrid, [&] {
        WriteRows(patch.First, patch.After);
        if (current.Y <= 0) return;
        if (current.X < 0)
            XStringGrid->SetRow(current.Y);
        else
            XStringGrid->FocusCell(current.X, current.Y, true);
    });
}

// Shows a row change in the grid as one bulk change, the current cell moved to `currentRow`
// when it is given, and records it as a step; tells the user when there is no room for the rows.
bool TMiniForm::ApplyRowEdit(const TRowEdit& edit, const QString& stepName, int currentRow) {
    if (edit.Refusal == TRowRefusal::NoRoom) ShowMsg(MsgInsertRefused);
    if (!edit.Done()) return false;
    autoFilled_.clear(); // the rows have moved
    ShowRows(edit.Patch, {-1, currentRow});
    RecordStep(stepName, RowsChange(edit.Patch));
    return true;
}

bool TMiniForm::InsertRows(int row, int count) {
    return ApplyRowEdit(::InsertRows(CommittedEntries(), row, count),
                        RowStepName(TRowStep::Insert, count));
}

bool TMiniForm::DeleteRows(int first, int last) {
    const int count = std::min(last, MaxItemRows) - first + 1;
    return ApplyRowEdit(::DeleteRows(CommittedEntries(), first, last),
                        RowStepName(TRowStep::Delete, count));
}

bool TMiniForm::CopyRowsToClipboard(int first, int last) {
    if (first < 1) return false;
    QGuiApplication::clipboard()->setText(FromCp932(RowsToText(CommittedEntries(), first, last)));
    return true;
}

// Inserts one row per line of the clipboard's text; the user is asked before only the first
// rows of more than fit are pasted, and before characters the table file cannot hold are pasted
// as "〓".
bool TMiniForm::PasteRows(int row) {
    if (row < 1 || row > MaxItemRows) return false;
    const std::string clip = ClipboardText().toStdString();
    TClipboardRows pasted = ReadClipboardRows(clip);
    if (pasted.Rows.empty()) return false;
    const TEntries entries = CommittedEntries();
    const int fit = RowsThatFit(entries, row);
    if (!FitPastedRows(static_cast<int>(pasted.Rows.size()), fit)) return false;
    if (static_cast<int>(pasted.Rows.size()) > fit) pasted = ReadClipboardRows(clip, size_t(fit));
    std::vector<TReplacedCharacter> replaced;
    for (const TReplacedCharacter& character : pasted.Replaced) {
        if (character.Column < ItemColumns)
            replaced.push_back({row + character.Row, character.Column, character.CodePoint});
    }
    if (!ReplaceUnheldCharacters(replaced)) return false;
    const auto count = static_cast<int>(pasted.Rows.size());
    if (!ApplyRowEdit(::PasteRows(entries, row, pasted.Rows, Today()),
                      RowStepName(TRowStep::Paste, count)))
        return false;
    // A cell holds one line: the line breaks inside quoted cells have been joined.
    if (pasted.JoinedLineBreaks > 0)
        SetStatusText(
            1, u"セルの中の改行%1か所をつないで貼り付けました。"_s.arg(pasted.JoinedLineBreaks));
    return true;
}

// Swaps the current row with the row `step` below (1) or above (-1); the current cell goes with
// its row.
void TMiniForm::MoveCurrentRow(int step) {
    const int row = XStringGrid->Row();
    ApplyRowEdit(MoveRow(CommittedEntries(), row, step), RowStepName(TRowStep::Move), row + step);
}

void TMiniForm::SB_LineInsClick() {
    if (rowMode_)
        EditCommand(TEditCommand::Copy);
    else
        InsertRows(XStringGrid->Row(), 1);
}

void TMiniForm::SB_LineDeleteClick() {
    if (rowMode_) {
        EditCommand(TEditCommand::Cut);
        return;
    }
    if (!AskYesNo(MsgDeleteRowQuestion)) return;
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
    if (rowMode_) return false;
    rowMode_ = true;
    XStringGrid->SetOptions(GridRowOptions);
    UpdateGridStatus(-1);
    return true;
}

bool TMiniForm::LeaveRowMode(int where) {
    if (!rowMode_) return false;
    rowMode_ = false;
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
    SB_LineDown->setEnabled(!rowMode_ && row < MaxItemRows);
    SB_LineUp->setEnabled(!rowMode_ && row > 1);
    SetRowButtonCaptions();
    UpdatePasteButton();
    SetStatusText(0, u"%1 : %2"_s.arg(row).arg(MaxItemRows));
}

void TMiniForm::SetRowButtonCaptions() {
    if (rowMode_) {
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
// gives no text. Keys and commands show what the last look found: on X11 every look asks the
// program that owns the clipboard, so it is looked at when it announces a change and at the poll.
void TMiniForm::UpdatePasteButton() {
    SB_LinePaste->setEnabled(rowsOnClipboard_);
}

void TMiniForm::LookAtClipboard() {
    rowsOnClipboard_ = ClipboardText().contains(u'\t');
    UpdatePasteButton();
}

void TMiniForm::Timer_PasteTimer() {
    LookAtClipboard();
}

// ---------------------------------------------------------------------------------------------
// Grid events

void TMiniForm::XStringGridKeyDown(TXStringGrid*, int& Key, Qt::KeyboardModifiers Shift) {
    if (PageControl->currentIndex() != pgItems) return;
    if (GridCommandKey(Key, Shift)) Key = 0;
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
        return shift == Qt::ControlModifier && EditCommand(TEditCommand::Copy);
    case Qt::Key_Delete:
        // Without selected rows the key deletes in the cell editor.
        return RowsSelected() && EditCommand(shiftAlone ? TEditCommand::Cut : TEditCommand::Delete);
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
    const bool rowPaste = RowPastePossible();
    return EditCommand(TEditCommand::Paste) || rowPaste;
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
    if (ACol == icDate && ARow > 0 && MarksDateCell(ARow)) {
        Canvas.save();
        Canvas.fillRect(Rect, QColor(0xD0, 0x20, 0x20, 0x40));
        Canvas.setPen(QColor(0xD0, 0x20, 0x20));
        Canvas.drawRect(Rect.adjusted(0, 0, -1, -1));
        Canvas.restore();
    }
    if (ARow != 0 || !VisualStylesInUse()) return;
    DrawThemePartWithTextClipped(Canvas, Sender, TThemePart::HeaderItem, TThemeState::Normal,
                                 Sender->CellQString(ACol, ARow), Rect,
                                 Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine);
}

// The drop-down of the text columns offers each text of the current column once, in row order,
// letter case aside; an empty column offers one empty entry. The cell editor's own list, which
// the control gets a copy of at each edit, stays as it is.
void TMiniForm::FillPickList() {
    ComboCellEditor_Title->ComboControl()->SetItems(
        PickList(EntriesFromGrid(), static_cast<TItemColumn>(XStringGrid->Col())));
}

// ---------------------------------------------------------------------------------------------
// Cell auto-fill

bool TMiniForm::MarksDateCell(int row) const {
    return DateIsWrong(
        row, [this](int entry, TItemColumn column) { return XStringGrid->Cells(column, entry); });
}

std::string TMiniForm::TypedDate(const std::string& typed) {
    const std::optional<std::string> date = NormalizeTypedDate(typed, Today());
    if (date) return *date;
    SetStatusText(1, FromCp932(MsgNotFeedDate(
                         typed, ToCp932(QDate::currentDate().toString(u"yyyy-MM-dd"_s)))));
    return typed;
}

void TMiniForm::XStringGridEditorStarted(TXStringGrid*, int ACol, int ARow, TCellEditor* Editor) {
    auto* editor = dynamic_cast<TComboCellEditor*>(Editor);
    if (editor && autoFilled_.contains({ACol, ARow})) editor->ComboControl()->selectAll();
}

void TMiniForm::XStringGridSetEditText(TXStringGrid*, int ACol, int ARow, const std::string& Value,
                                       const std::string& Before) {
    autoFilled_.erase({ACol, ARow});
    const TAutoFill fill{CB_AutoData->isChecked(), CB_AutoAddress->isChecked(),
                         ToCp932(QDate::currentDate().toString(u"yyyy-MM-dd"_s)),
                         ED_Informer_Address->TextCp932()};
    TEntries before = EntriesFromGrid();
    if (ARow >= 1 && ARow <= MaxItemRows) before[static_cast<size_t>(ARow - 1)].Cell(ACol) = Before;
    const auto column = static_cast<TItemColumn>(ACol);
    const std::string text = column == icDate && !Value.empty() ? TypedDate(Value) : Value;
    const TDocumentChange change = CellChange(before, ARow, column, text, fill);
    // Cells set here do not raise this event again.
    if (text != Value) XStringGrid->SetCells(ACol, ARow, text);
    WriteRows(change.Rows.First, change.Rows.After);
    for (const TItemColumn filled : {icDate, icAddress}) {
        if (filled != column && !change.Rows.Empty() &&
            change.Rows.Before[0].Cell(filled) != change.Rows.After[0].Cell(filled))
            autoFilled_.insert({filled, ARow});
    }
    RecordStep(CellStepName(ARow, column), change);
}
