// TMiniForm: publishing the feed to the site (機能 > 公開先の設定..., 機能 > サイトに公開 and the
// toolbar's 公開). The settings belong to the table file, so both need a saved document.

#include "app/MiniForm.h"

#include "app/L_Sizeing.h"
#include "app/PublishDialog.h"
#include "app/PublishRunner.h"
#include "app/PublishStore.h"
#include "dialogs/L_Dialog.h"
#include "document/FeedWriter.h"
#include "document/Messages.h"

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

// The feed a save of the document writes; empty while the document has no file.
std::string LocalFeed(const TChannelInfo& channel, const std::string& tableFile) {
    if (tableFile.empty()) return {};
    TFeedDocument document;
    document.Channel = channel;
    document.FileName = tableFile;
    return FeedFileName(document);
}

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace

void TMiniForm::Mn_PublishToClick() {
    if (FileName.empty()) {
        ShowMsg(
            u"公開先はテーブルファイルごとに設定します。先にテーブルファイルを保存してください。"_s);
        return;
    }
    const std::optional<TPublishSettings> stored = LoadPublishSettings(FileName, IniFileName);
    TPublishDialog dialog(stored.value_or(TPublishSettings{}), this);
    if (dialog.exec() != QDialog::Accepted) return;
    if (const auto failed = StorePublishSettings(FileName, dialog.Settings(), IniFileName)) {
        ShowMsg(*failed, mtError);
        return;
    }
    // A changed password is entered anew at the next publish.
    if (stored) ForgetKeyringPassword(*stored);
}

void TMiniForm::Mn_PublishClick() {
    if (findChild<TPublishRunner*>()) return; // one publish at a time
    // What is published is the feed of the saved document. A table file that came from elsewhere
    // has no feed beside it yet: saving writes one.
    const auto saved = [this] {
        return !Modified && IsRegularFile(LocalFeed(ChannelFromControls(), FileName));
    };
    if (!saved()) SaveDocument(false);
    if (!saved()) return;
    std::optional<TPublishSettings> settings = LoadPublishSettings(FileName, IniFileName);
    if (!settings) {
        Mn_PublishToClick();
        settings = LoadPublishSettings(FileName, IniFileName);
        if (!settings) return;
    }
    auto* runner = new TPublishRunner(this, FileName, IniFileName, *settings,
                                      LocalFeed(ChannelFromControls(), FileName));
    // Where the feed went, or that the user stopped, goes into the status bar; a failure into a
    // box, and the status bar no longer tells of an earlier success.
    connect(runner, &TPublishRunner::Finished, this, [this](TPublishEnd end, const QString& text) {
        SetStatusText(1, end == TPublishEnd::Failed ? QString() : text);
        if (end == TPublishEnd::Failed) ShowMsg(text, mtError);
    });
    runner->Start();
}
