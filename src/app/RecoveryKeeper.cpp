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

TRecoveryKeeper::TRecoveryKeeper(std::function<TFeedDocument()> snapshot, QObject* parent)
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
    timer_.start();
}

// Only a copy written or taken over since the last removal is removed: starting up and loading a
// file start no disk work.
void TRecoveryKeeper::DocumentSettled() {
    timer_.stop();
    if (!std::exchange(copyMayExist_, false)) return;
    disk_.start([slot = slot_] { (void)slot->Remove(); });
}

void TRecoveryKeeper::WriteNow() {
    TFeedDocument document = snapshot_();
    if (!document.Modified) return;
    copyMayExist_ = true;
    disk_.start([this, slot = slot_, document = std::move(document)] {
        const TResult written = slot->Write(document);
        if (written) return;
        const QString message = Described(written, u"復元用のコピーを保存できません。"_s);
        QMetaObject::invokeMethod(
            this, [this, message] { emit WriteFailed(message); }, Qt::QueuedConnection);
    });
}

void TRecoveryKeeper::WaitForDisk() {
    disk_.waitForDone();
}

void TRecoveryKeeper::OfferLeftCopies(const std::function<void(const TFeedDocument&)>& restore) {
    WaitForDisk();
    for (TLeftRecoveryCopy& copy : FindLeftRecoveryCopies(RecoveryFolder())) {
        TFeedDocument document;
        if (const TResult read = ReadRecoveryCopy(document, copy.Path); !read) {
            ShowMsg(Described(read, u"復元用のコピーを読み込むことができません。\r\n"_s +
                                        ShownPath(copy.Path)));
            continue;
        }
        const int answer = AskQuestion(
            u"前回保存されなかった変更が残っています。復元しますか？\r\n\r\n「%1」"_s.arg(
                DocumentName(document.FileName)),
            {mbYes, mbNo, mbCancel});
        if (answer == mrNo) {
            if (const TResult discarded = DiscardRecoveryCopy(copy); !discarded)
                ShowMsg(Described(discarded, u"復元用のコピーを削除できません。"_s));
            continue;
        }
        if (answer != mrYes) continue;
        restore(document);
        // Taken over whole: the copy stays on disk as this editor's own until it is saved.
        copyMayExist_ = true;
        if (const TResult adopted = slot_->Adopt(copy); !adopted)
            emit WriteFailed(Described(adopted, u"復元用のコピーを引き継げません。"_s));
        return;
    }
}
