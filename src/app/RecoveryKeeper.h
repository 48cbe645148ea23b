#pragma once

// TRecoveryKeeper: keeps the window's recovery copy (Recovery.h) up to date. The copy is written
// WriteDelay after the last change, while the document has unsaved changes, and removed when it
// has none any more (saved, or the changes were dropped) and when the keeper ends with its window.
// At start-up it offers the copies that ended editors left.
//
// The document is taken on the GUI thread; the file is written and removed on a thread of the
// keeper's own, one operation after the other in the order asked, so the user never waits for the
// disk and a removal is never overtaken by an older write. A write that fails is reported through
// WriteFailed and tried again at the next change.

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
    static constexpr int WriteDelay = 2000; // ms after the last change

    // `snapshot` gives the document as the window shows it, Modified true when anything of it is
    // not saved. The keeper takes a slot in RecoveryFolder(); when it cannot, every write reports
    // why.
    TRecoveryKeeper(std::function<TFeedDocument()> snapshot, QObject* parent);
    // Waits for the disk, then removes the copy: the window closes as the user chose.
    ~TRecoveryKeeper() override;

    // The document changed: the copy is written WriteDelay from now.
    void DocumentChanged();
    // The document has no unsaved changes any more: the copy goes.
    void DocumentSettled();
    // Offers the copies of ended editors, newest first, until one is taken: "はい" hands it to
    // `restore` and makes it this editor's copy, "いいえ" removes it, "キャンセル" keeps it for
    // the next start. A copy that cannot be read is reported and kept.
    void OfferLeftCopies(const std::function<void(const TFeedDocument&)>& restore);
    // Waits until every write and removal asked for so far is done.
    void WaitForDisk();
    const std::string& CopyPath() const { return slot_->CopyPath(); }

signals:
    // A copy could not be written; `message` says why, in Japanese.
    void WriteFailed(const QString& message);

private:
    void WriteNow();

    std::function<TFeedDocument()> snapshot_;
    std::shared_ptr<TRecoverySlot> slot_;
    QTimer timer_;
    QThreadPool disk_;
    bool copyMayExist_ = false; // written or taken over since the last removal
};
