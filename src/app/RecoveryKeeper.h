#pragma once

// TRecoveryKeeper: keeps the window's recovery copy (Recovery.h) up to date. The copy is written
// WriteDelay after the first change it does not hold yet, however fast changes follow it, so
// steady typing is copied every WriteDelay; it is removed when the document has no unsaved
// changes any more (saved, undone or erased back to its saved state, or the changes dropped) and
// when the keeper ends with its window. At start-up it offers the copies that ended editors left.
//
// The document is taken on the GUI thread; the file is written and removed on a thread of the
// keeper's own, one operation after the other in the order asked, so the user never waits for the
// disk and a removal is never overtaken by an older write. Nothing is handed to that thread while
// there is nothing to write or remove. A write or removal that fails is reported through
// DiskFailed; a write is tried again at the next change.

#include "document/FeedDocument.h"
#include "document/Recovery.h"

#include <QObject>
#include <QString>
#include <QThreadPool>
#include <QTimer>

#include <functional>
#include <memory>

class TRecoveryKeeper : public QObject {
    Q_OBJECT

public:
    static constexpr int WriteDelay = 2000; // ms after the first change not yet copied

    // `snapshot` gives the document as the window shows it, Modified true when anything of it is
    // not saved, with its table file's state. The keeper takes a slot in RecoveryFolder(); when it
    // cannot, every write reports why.
    TRecoveryKeeper(std::function<TRecoveryCopy()> snapshot, QObject* parent);
    // Waits for the disk, then removes the copy: the window closes as the user chose.
    ~TRecoveryKeeper() override;

    // The document changed: the copy is written WriteDelay from now, unless a write is due
    // sooner.
    void DocumentChanged();
    // The document has no unsaved changes any more: the copy goes.
    void DocumentSettled();
    // Offers the copies of ended editors, newest first, until one is taken: "はい" hands it to
    // `restore` and makes it this editor's copy, "いいえ" removes it, "キャンセル" keeps it for
    // the next start. A copy that cannot be read is reported and kept.
    void OfferLeftCopies(const std::function<void(const TRecoveryCopy&)>& restore);
    // Waits until every write and removal asked for so far is done.
    void WaitForDisk();
    const std::string& CopyPath() const { return slot_->CopyPath(); }

signals:
    // A copy could not be written or removed; `message` says why, in Japanese.
    void DiskFailed(const QString& message);

private:
    void WriteNow();
    void RemoveCopy();
    // Runs `operation` on the keeper's thread; a failure is reported with `message`.
    void OnDisk(std::function<TResult(const TRecoverySlot&)> operation, const QString& message);

    std::function<TRecoveryCopy()> snapshot_;
    std::shared_ptr<TRecoverySlot> slot_;
    bool copyOnDisk_ = false; // a copy was written (or taken over) and not removed since
    QTimer timer_;
    QThreadPool disk_;
};
