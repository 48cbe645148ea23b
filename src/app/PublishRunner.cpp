#include "app/PublishRunner.h"

#include "app/PublishStore.h"
#include "dialogs/L_Dialog.h"
#include "publish/PublishKeyring.h"
#include "widgets/Cp932Text.h"

#include <QInputDialog>
#include <QLineEdit>
#include <QProgressDialog>
#include <QThread>

#include <chrono>
#include <future>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int ProgressSteps = 1000;

std::optional<QString> AskPassword(QWidget* parent, const QString& prompt) {
    bool ok = false;
    const QString password =
        QInputDialog::getText(parent, u"サイトに公開"_s, prompt, QLineEdit::Password, {}, &ok);
    if (!ok) return std::nullopt;
    return password;
}

TPasswordPrompter& PasswordPrompter() {
    static TPasswordPrompter prompter = &AskPassword;
    return prompter;
}

QString Utf8(const std::string& text) {
    return QString::fromUtf8(text);
}

bool AcceptHostKey(const std::string& host, const std::string& fingerprint) {
    return AskYesNo(
        u"サーバー %1 のホスト鍵はまだ確認されていません (~/.ssh/known_hosts にありません)。"
        u"\r\n\r\n%2\r\n\r\nサーバーの管理者が公表している指紋と同じときだけ接続してください。"
        u"この鍵を信頼して記録し、接続しますか？"_s.arg(Utf8(host), Utf8(fingerprint)),
        mtWarning, true);
}

bool AcceptCertificate(const TCertificateFacts& certificate) {
    return AskYesNo(u"サーバー %1 の証明書は信頼されていません。%2\r\n\r\nSHA-256 指紋: %3\r\n\r\n"
                    u"サーバーの管理者が公表している指紋と同じときだけ接続してください。"
                    u"この証明書を信頼して記録し、接続しますか？"_s.arg(
                        Utf8(certificate.Host), Utf8(CertificateDoubts(certificate)),
                        Utf8(certificate.Fingerprint)),
                    mtWarning, true);
}

bool AcceptPlainFtp() {
    return AskYesNo(u"FTP ではパスワードとフィードが暗号化されずに送られ、途中で盗み見られる"
                    u"恐れがあります。\r\n\r\nそれでも FTP で公開しますか？"_s,
                    mtWarning, true);
}

} // namespace

void SetPasswordPrompter(TPasswordPrompter prompter) {
    PasswordPrompter() = prompter ? std::move(prompter) : &AskPassword;
}

TPublishRunner::TPublishRunner(QWidget* window, const std::string& tablePath,
                               const std::string& iniPath, const TPublishSettings& settings,
                               const std::string& feedPath, std::vector<TPublishedFile> withFeed)
    : QObject(window), window_(window), tablePath_(tablePath), iniPath_(iniPath),
      feedPath_(feedPath), settings_(settings), withFeed_(std::move(withFeed)) {
    setObjectName(u"PublishRunner"_s);
}

TPublishRunner::~TPublishRunner() {
    cancelled_ = true;
    if (thread_) {
        thread_->wait();
        delete thread_;
    }
    delete progress_;
}

void TPublishRunner::Start() {
    if (!LogsInWithPassword(settings_)) return Transfer({}, false);
    ReadKeyringPassword(settings_, this, [this](const std::optional<QString>& kept) {
        if (kept) return Transfer(*kept, true);
        const std::optional<QString> typed = PasswordPrompter()(
            window_, u"%1 のパスワード:"_s.arg(Utf8(settings_.User + "@" + settings_.Host)));
        if (!typed) return Finish(TPublishEnd::Cancelled, {});
        Transfer(*typed, false);
    });
}

void TPublishRunner::Finish(TPublishEnd end, const QString& message) {
    emit Finished(end, message);
    deleteLater();
}

void TPublishRunner::Transfer(const QString& password, bool fromKeyring) {
    progress_ = new QProgressDialog(u"フィードをサイトに公開しています..."_s, u"キャンセル"_s, 0,
                                    ProgressSteps, window_);
    progress_->setObjectName(u"PublishProgress"_s);
    progress_->setWindowTitle(u"サイトに公開"_s);
    progress_->setWindowModality(Qt::WindowModal);
    progress_->setAutoClose(false);
    progress_->setAutoReset(false);
    progress_->setMinimumDuration(0);
    connect(progress_, &QProgressDialog::canceled, this, [this] { cancelled_ = true; });
    progress_->show();

    thread_ = QThread::create([this, password, fromKeyring, prompts = Prompts()] {
        TPublishOutcome outcome;
        try {
            outcome = PublishFeed(settings_, feedPath_, password.toStdString(), prompts, withFeed_);
        } catch (const std::exception& error) {
            outcome.Result = TResult::Because(error.what());
        }
        QMetaObject::invokeMethod(
            this, [this, outcome, password, fromKeyring] { Done(outcome, password, fromKeyring); },
            Qt::QueuedConnection);
    });
    thread_->start();
}

void TPublishRunner::Done(const TPublishOutcome& outcome, const QString& password,
                          bool fromKeyring) {
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    delete progress_;
    QString message = FromCp932(outcome.Result.Describe(MsgPublishFailed()));
    TPublishEnd end = cancelled_ ? TPublishEnd::Cancelled : TPublishEnd::Failed;
    if (cancelled_) message = FromCp932(outcome.Result.Reason());
    if (outcome.SettingsChanged) {
        if (const auto failed = StorePublishSettings(tablePath_, outcome.Settings, iniPath_))
            ShowMsg(*failed, mtError);
    }
    if (!outcome.Result) return Finish(end, message);
    message = u"公開しました: "_s + Utf8(outcome.Address);
    for (const std::string& address : outcome.WithFeedAddresses)
        message += u", "_s + Utf8(address);
    // A typed password goes into the keyring once it has worked, never before.
    if (fromKeyring || password.isEmpty()) return Finish(TPublishEnd::Published, message);
    WriteKeyringPassword(settings_, password, this, [this, message](const TResult& kept) {
        Finish(TPublishEnd::Published, kept ? message
                                            : message + u" (パスワードは保存していません: "_s +
                                                  FromCp932(kept.Reason()) + u')');
    });
}

bool TPublishRunner::AskOnGuiThread(std::function<bool()> question) {
    auto answer = std::make_shared<std::promise<bool>>();
    std::future<bool> answered = answer->get_future();
    QMetaObject::invokeMethod(
        this, [answer, question] { answer->set_value(question()); }, Qt::QueuedConnection);
    // A runner going away cancels; its queued question is then dropped unasked.
    while (answered.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready)
        if (cancelled_) return false;
    try {
        return answered.get();
    } catch (const std::future_error&) {
        return false;
    }
}

TPublishPrompts TPublishRunner::Prompts() {
    TPublishPrompts prompts;
    prompts.AcceptHostKey = [this](const std::string& host, const std::string& fingerprint) {
        return AskOnGuiThread([=] { return AcceptHostKey(host, fingerprint); });
    };
    prompts.AcceptCertificate = [this](const TCertificateFacts& certificate) {
        return AskOnGuiThread([=] { return AcceptCertificate(certificate); });
    };
    prompts.AcceptPlainFtp = [this] { return AskOnGuiThread(&AcceptPlainFtp); };
    prompts.Progress = [this](uint64_t sent, uint64_t total) {
        const int step = total > 0 ? int(sent * ProgressSteps / total) : 0;
        QMetaObject::invokeMethod(
            this,
            [this, step] {
                if (progress_) progress_->setValue(step);
            },
            Qt::QueuedConnection);
        return !cancelled_;
    };
    return prompts;
}
