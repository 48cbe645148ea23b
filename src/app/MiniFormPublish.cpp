// TMiniForm: publishing the feed to the site (機能 > 公開先の設定..., 機能 > サイトに公開 and the
// toolbar's 公開), and the feed on disk kept in step with its table file. The settings belong to
// the table file, so publishing needs a saved document; what goes up is the feed of the document
// as it is on screen, written beside the table file first where the one there differs.

#include "app/MiniForm.h"

#include "app/L_Sizeing.h"
#include "app/PublishDialog.h"
#include "app/PublishRunner.h"
#include "app/PublishStore.h"
#include "app/Startup.h"
#include "dialogs/L_Dialog.h"
#include "document/FeedOnDisk.h"
#include "document/FeedWriter.h"
#include "document/SaveDocument.h"
#include "text/CodePage.h"
#include "text/TextFile.h"
#include "widgets/Cp932Text.h"

using namespace Qt::StringLiterals;

namespace {

// The address subscribers read the feed at (UTF-8), as the feed's channel states it.
std::string FeedWebAddress(const TFeedDocument& document, const TFeedFile& feed) {
    return Cp932ToUtf8(WebAddressIn(document.Channel.FeedAddress, FeedNameText(feed.Path)));
}

// A keyring call that failed is reported with what it meant to do.
std::function<void(TResult)> ReportKeyringFailure(const QString& message) {
    return [message](const TResult& result) {
        if (!result) ShowMsg(FromCp932(result.Describe(ToCp932(message))), mtError);
    };
}

} // namespace

void TMiniForm::Mn_PublishToClick() {
    if (fileName_.empty()) {
        ShowMsg(
            u"公開先はテーブルファイルごとに設定します。先にテーブルファイルを保存してください。"_s);
        return;
    }
    const std::optional<TPublishSettings> stored = LoadPublishSettings(fileName_, IniFileName);
    TPublishDialog dialog(stored.value_or(TPublishSettings{}), this);
    if (dialog.exec() != QDialog::Accepted) return;
    const TPublishSettings chosen = dialog.Settings();
    if (const auto failed = StorePublishSettings(fileName_, chosen, IniFileName)) {
        ShowMsg(*failed, mtError);
        return;
    }
    // The password of an account no table file logs in to any more leaves the keyring; a cron
    // job publishing another table file with it keeps it.
    if (stored)
        ReleaseKeyringPassword(
            *stored, IniFileName, this,
            ReportKeyringFailure(u"使われなくなったパスワードをキーリングから消せません。"_s));
    if (!dialog.Password().isEmpty())
        WriteKeyringPassword(
            chosen, dialog.Password(), this,
            ReportKeyringFailure(
                u"パスワードを保存できません。公開するときに入力してください。"_s));
}

void TMiniForm::Mn_PublishClick() {
    if (findChild<TPublishRunner*>()) return; // one publish at a time
    // Unsaved changes are saved first, so that the table file holds what goes up.
    if ((modified_ || fileName_.empty()) && !SaveDocument(false)) return;
    std::optional<TPublishSettings> settings = LoadPublishSettings(fileName_, IniFileName);
    if (!settings) {
        Mn_PublishToClick();
        settings = LoadPublishSettings(fileName_, IniFileName);
        if (!settings) return;
    }
    const TFeedDocument document = DocumentFromControls();
    const TFeedFile feed = BuildFeedFile(document, CurrentFeedTime(), VersionText);
    const std::string address = FeedWebAddress(document, feed);
    std::vector<TPublishedFile> withFeed;
    if (!PublishDespiteErrors(document) || !PublishToNewAddress(*settings, address) ||
        !FeedOnDiskInStep(document, feed) || !NewsPageInStep(document, feed, withFeed))
        return;

    auto* runner =
        new TPublishRunner(this, fileName_, IniFileName, *settings, feed.Path, std::move(withFeed));
    // Where the feed went, or that the user stopped, goes into the status bar; a failure into a
    // box, and the status bar no longer tells of an earlier success.
    connect(runner, &TPublishRunner::Finished, this,
            [this, table = fileName_, address](TPublishEnd end, const QString& text) {
                if (end == TPublishEnd::Published) RecordPublishedAddress(table, address);
                SetStatusText(1, end == TPublishEnd::Failed ? QString() : text);
                if (end == TPublishEnd::Failed) ShowMsg(text, mtError);
            });
    runner->Start();
}

bool TMiniForm::PublishDespiteErrors(const TFeedDocument& document) {
    const int errors = CountFindings(CheckFeed(document), TFindingSeverity::Error);
    if (errors == 0) return true;
    switch (AskQuestion(u"フィードにエラーが%1件あります。このまま公開しますか？"_s.arg(errors),
                        {mbList, mbPublish, mbCancel}, mbCancel)) {
    case mrYes:
        return true;
    case mrList:
        Mn_FeedCheckClick();
        break;
    default:
        break;
    }
    return false;
}

// Subscribers keep reading the address they subscribed to: a feed that moves (the table file
// saved under another name, another web folder or extension) leaves them behind.
bool TMiniForm::PublishToNewAddress(const TPublishSettings& settings, const std::string& address) {
    if (settings.PublishedAddress.empty() || settings.PublishedAddress == address) return true;
    return AskYesNo(
        u"フィードのアドレスが %1 から %2 に変わります。"
        u"購読者には新しいアドレスが届きません。\r\n\r\nこのまま公開しますか？"_s.arg(
            QString::fromStdString(settings.PublishedAddress), QString::fromStdString(address)),
        mtWarning, true);
}

void TMiniForm::RecordPublishedAddress(const std::string& table, const std::string& address) {
    std::optional<TPublishSettings> settings = LoadPublishSettings(table, IniFileName);
    if (!settings || settings->PublishedAddress == address) return;
    settings->PublishedAddress = address;
    if (const auto failed = StorePublishSettings(table, *settings, IniFileName))
        ShowMsg(*failed, mtError);
}

void TMiniForm::CarryPublishSettings(const std::string& fromTable) {
    if (fromTable.empty() || LoadPublishSettings(fileName_, IniFileName)) return;
    const std::optional<TPublishSettings> settings = LoadPublishSettings(fromTable, IniFileName);
    if (!settings) return;
    if (const auto failed = StorePublishSettings(fileName_, *settings, IniFileName))
        ShowMsg(*failed, mtError);
}

bool TMiniForm::FeedOnDiskInStep(const TFeedDocument& document, const TFeedFile& feed) {
    if (FeedFileInStep(document, feed)) return true;
    const TSaveResult written = WriteFeedFile(document, feed);
    if (written.Outcome != TSaveOutcome::Saved) {
        ShowMsg(written.Message);
        return false;
    }
    ClearStatusNotice(feedStatus_);
    return true;
}

void TMiniForm::ShowFeedStep(const TFeedDocument& document) {
    RemoveInterruptedSaves(document);
    const TFeedFile feed = BuildFeedFile(document, CurrentFeedTime(), VersionText);
    if (feed.Path.empty() || FeedFileInStep(document, feed)) return;
    const QString name = FromCp932(FeedNameText(feed.Path));
    feedStatus_ =
        FileExists(feed.Path)
            ? u"フィード %1 がテーブルファイルと合っていません。次の保存か公開で書き直します。"_s
                  .arg(name)
            : u"フィード %1 はまだありません。次の保存か公開で書き出します。"_s.arg(name);
    SetStatusText(1, feedStatus_);
}
