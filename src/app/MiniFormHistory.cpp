// TMiniForm's history of document changes: recording steps, undoing and redoing them, the
// channel fields' typing that becomes a step when a field is left, and Modified following the
// history.

#include "app/MiniForm.h"

#include "app/DocumentSteps.h"
#include "widgets/L_CCmbo.h"

#include <QApplication>
#include <QScopedValueRollback>
#include <QTabWidget>
#include <QUndoStack>

using namespace Qt::StringLiterals;

namespace {

// Deep enough for a day's work; each step holds only the rows or channel it changed.
constexpr int HistorySteps = 200;

// The cell a change of rows is about: the first one it changes (the first row's first cell when
// the rows only moved).
TGridCoord ChangedCell(const TRowPatch& patch) {
    for (int col = 0; col < ItemColumns; ++col)
        if (patch.Before.front().Cell(col) != patch.After.front().Cell(col))
            return {col, patch.First};
    return {0, patch.First};
}

} // namespace

void TMiniForm::CreateHistory() {
    UndoStack = new QUndoStack(this);
    UndoStack->setObjectName(u"UndoStack"_s);
    UndoStack->setUndoLimit(HistorySteps);
    // The field being typed in is one step when the user leaves it.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget*) {
        if (IsChannelEdit(old)) RecordChannelEdit();
    });
}

// An undo or redo records nothing: the edits pending when it started are steps already.
void TMiniForm::RecordStep(const QString& name, TDocumentChange change) {
    if (showingStep_ || change.Empty()) return;
    UndoStack->push(new TDocumentStep(name, std::move(change),
                                      [this](const TDocumentChange& shown) { ShowChange(shown); }));
    SyncModified();
}

void TMiniForm::RecordChannelEdit() {
    if (showingStep_) return;
    const TChannelInfo before = channel_;
    channel_ = ChannelFromControls();
    RecordStep(ChannelStepName(before, channel_), ChannelChange(before, channel_));
}

void TMiniForm::CommitEdits() {
    XStringGrid->EndCellEdit(false);
    RecordChannelEdit();
}

void TMiniForm::StartHistory(bool modified) {
    UndoStack->clear();
    channel_ = ChannelFromControls();
    if (modified)
        UndoStack->resetClean();
    else
        UndoStack->setClean();
    SetModified(modified);
}

// Text typed into a channel field counts until it is a step, unless it is what the field held.
void TMiniForm::SyncModified() {
    SetModified(!UndoStack->isClean() || ChannelFromControls() != channel_);
}

// The page the change is on is turned to; a change of rows puts the current cell on its first
// changed cell, except in row mode, whose selection stays.
void TMiniForm::ShowChange(const TDocumentChange& change) {
    const QScopedValueRollback showing(showingStep_, true);
    if (!change.Rows.Empty()) {
        PageControl->setCurrentIndex(pgItems);
        ShowRows(change.Rows, rowMode_ ? TGridCoord{-1, 0} : ChangedCell(change.Rows));
    }
    if (change.Channel) {
        PageControl->setCurrentIndex(pgChannel);
        ChannelToControls(change.Channel->After);
        channel_ = change.Channel->After;
    }
    RefreshConfirmationPage();
}

bool TMiniForm::HistoryStep(bool redo) {
    CommitEdits();
    if (!(redo ? UndoStack->canRedo() : UndoStack->canUndo())) return false;
    if (redo)
        UndoStack->redo();
    else
        UndoStack->undo();
    // What the status bar said about the last command no longer holds.
    SetStatusText(1, {});
    SyncModified();
    return true;
}

// A box holds uncommitted text when its text is not what the document holds for it. Redo stays
// with a box that can redo while the history has nothing to redo: its redo follows its own undo.
bool TMiniForm::BoxTakesUndo(QWidget* control, bool redo) const {
    auto* edit = qobject_cast<TCp932Edit*>(control);
    if (!edit || edit->isReadOnly()) return false;
    if (!(redo ? edit->isRedoAvailable() : edit->isUndoAvailable())) return false;
    const std::optional<std::string> committed = CommittedText(control);
    if (!committed || edit->TextCp932() != *committed) return true;
    return redo && !UndoStack->canRedo();
}

void TMiniForm::UpdateUndoItems(QAction* undo, QAction* redo, bool rowsSelected) {
    QWidget* focus = rowsSelected ? nullptr : QApplication::focusWidget();
    if (focus && focus->window() != this) focus = nullptr;
    const auto update = [&](QAction* item, bool isRedo, const QString& caption) {
        const bool boxStep = BoxTakesUndo(focus, isRedo);
        const QString step = isRedo ? UndoStack->redoText() : UndoStack->undoText();
        item->setEnabled(boxStep || (isRedo ? UndoStack->canRedo() : UndoStack->canUndo()));
        item->setText(boxStep || !item->isEnabled() ? caption.arg(QString())
                                                    : caption.arg(u": "_s + step));
    };
    update(undo, false, u"元に戻す%1(&U)"_s);
    update(redo, true, u"やり直し%1(&R)"_s);
}
