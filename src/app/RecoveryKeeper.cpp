#include "app/RecoveryKeeper.h"

#include "app/FilePaths.h"
#include "dialogs/L_Dialog.h"
#include "widgets/Cp932Text.h"

#include <utility>

using namespace Qt::StringLiterals;

namespace {

QString Described(const TResult& result, const QString& message) {
    return message + FromCp932(result.Describe(std::string()));
}

} // namespace

TRecoveryKeeper::TRecoveryKeeper(std::function<TRecoveryCopy()> snapshot, QObject* parent)
    : QObject(parent), snapshot_(std::move(snapshot)), slot_(std::make_shared<TRecoverySlot>()) {
    // A slot that cannot be opened makes every write say why.
    (void)slot_->Open(RecoveryFolder());
    disk_.setMaxThreadCount(1);
    timer_.setSingleShot(true);
    timer_.setInterval(WriteDelay);
    connect(&timer_, &QTimer::timeout, this, &TRecoveryKeeper::WriteNow);
}

TRecoveryKeeper::~TRecoveryKeeper() {
    timer_.stop();
    WaitForDisk();
    slot_->Close();
}

void TRecoveryKeeper::DocumentChanged() {
    if (!timer_.isActive()) timer_.start();
}

void TRecoveryKeeper::DocumentSettled() {
    timer_.stop();
    RemoveCopy();
}

void TRecoveryKeeper::WriteNow() {
    TRecoveryCopy copy = snapshot_();
    // Typing erased or undone back to the saved state: nothing is left to keep.
    if (!copy.Document.Modified) return RemoveCopy();
    copyOnDisk_ = true;
    OnDisk([copy = std::move(copy)](const TRecoverySlot& slot) { return slot.Write(copy); },
           u"復元用のコピーを保存できません。"_s);
}

void TRecoveryKeeper::RemoveCopy() {
    if (!copyOnDisk_) return;
    copyOnDisk_ = false;
    OnDisk([](const TRecoverySlot& slot) { return slot.Remove(); },
           u"復元用のコピーを削除できません。"_s);
}

void TRecoveryKeeper::OnDisk(std::function<TResult(const TRecoverySlot&)> operation,
                             const QString& message) {
    disk_.start([this, slot = slot_, operation = std::move(operation), message] {
        const TResult done = operation(*slot);
        if (done) return;
        QMetaObject::invokeMethod(
            this, [this, shown = Described(done, message)] { emit DiskFailed(shown); },
            Qt::QueuedConnection);
    });
}

void TRecoveryKeeper::WaitForDisk() {
    disk_.waitForDone();
}

void TRecoveryKeeper::OfferLeftCopies(const std::function<void(const TRecoveryCopy&)>& restore) {
    WaitForDisk();
    for (TLeftRecoveryCopy& copy : FindLeftRecoveryCopies(RecoveryFolder())) {
        TRecoveryCopy left;
        if (const TResult read = ReadRecoveryCopy(left, copy.Path); !read) {
            ShowMsg(Described(read, u"復元用のコピーを読み込むことができません。\r\n"_s +
                                        ShownPath(copy.Path)));
            continue;
        }
        const int answer = AskQuestion(
            u"前回保存されなかった変更が残っています。復元しますか？\r\n\r\n「%1」"_s.arg(
                DocumentName(left.Document.FileName)),
            {mbYes, mbNo, mbCancel});
        if (answer == mrNo) {
            if (const TResult discarded = DiscardRecoveryCopy(copy); !discarded)
                ShowMsg(Described(discarded, u"復元用のコピーを削除できません。"_s));
            continue;
        }
        if (answer != mrYes) continue;
        restore(left);
        // Taken over whole: the copy stays on disk as this editor's own until it is saved.
        if (const TResult adopted = slot_->Adopt(copy); !adopted)
            emit DiskFailed(Described(adopted, u"復元用のコピーを引き継げません。"_s));
        else
            copyOnDisk_ = true;
        return;
    }
}
