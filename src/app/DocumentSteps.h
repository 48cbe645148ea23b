#pragma once

// The steps of the editor's history (QUndoStack): each is one TDocumentChange with the name the
// edit menu shows after 元に戻す and やり直し ("2行削除"). A step is pushed after the window
// already shows its change, so pushing shows nothing; undoing hands `show` the change taken back,
// redoing the change made again. `show` must put the change into the controls without recording
// a step of its own and without filling cells again.

#include "document/DocumentChange.h"

#include <QString>
#include <QUndoCommand>

#include <functional>

class TDocumentStep : public QUndoCommand {
public:
    using TShow = std::function<void(const TDocumentChange&)>;

    TDocumentStep(const QString& name, TDocumentChange change, TShow show);
    void undo() override;
    void redo() override;

private:
    TDocumentChange change_;
    TShow show_;
    bool pushed_ = false; // the first redo is the push, which the window already shows
};

// The row commands, named with the number of rows they touch.
enum class TRowStep { Insert, Delete, Cut, Move, Paste };
QString RowStepName(TRowStep step, int count = 1);
// "3行目の日付の入力": a committed cell.
QString CellStepName(int row, TItemColumn column);
// The first channel field that differs between the two, named as the first page labels it:
// "説明文の変更".
QString ChannelStepName(const TChannelInfo& before, const TChannelInfo& after);
