// TMiniForm: the site's news page made beside the feed (機能 > お知らせページの設定...). Its
// settings belong to the table file and are kept in the settings file like the publish settings,
// so the dialog needs a saved document; every save then writes the page, and a publish writes it
// again from the document on screen and sends it up with the feed.

#include "app/MiniForm.h"

#include "app/L_Sizeing.h"
#include "app/NewsPageDialog.h"
#include "dialogs/L_Dialog.h"
#include "document/Messages.h"
#include "document/NewsPageSettings.h"
#include "document/SaveDocument.h"
#include "publish/Publisher.h"
#include "widgets/Cp932Text.h"

using namespace Qt::StringLiterals;

void TMiniForm::Mn_NewsPageClick() {
    if (fileName_.empty()) {
        ShowMsg(u"お知らせページはテーブルファイルごとに設定します。"
                u"先にテーブルファイルを保存してください。"_s);
        return;
    }
    TNewsPageDialog dialog(NewsPageSettingsOf(fileName_), this);
    if (dialog.exec() == QDialog::Accepted) StoreNewsPageSettings(fileName_, dialog.Settings());
}

TNewsPageSettings TMiniForm::NewsPageSettingsOf(const std::string& table) const {
    TIniFile ini(IniFileName);
    if (!ini.Load()) return {};
    return ReadNewsPageSettings(ini, table);
}

void TMiniForm::StoreNewsPageSettings(const std::string& table, const TNewsPageSettings& settings) {
    TIniFile ini(IniFileName);
    TResult result = ini.Load();
    if (result) {
        WriteNewsPageSettings(ini, table, settings);
        result = ini.Save();
    }
    if (!result)
        ShowMsg(FromCp932(result.Describe(ToCp932(u"お知らせページの設定を保存できません。"_s) +
                                          "\r\n" + ini.Path())),
                mtError);
}

void TMiniForm::CarryNewsPageSettings(const std::string& fromTable, const std::string& toTable) {
    if (fromTable.empty() || fromTable == toTable ||
        NewsPageSettingsOf(toTable) != TNewsPageSettings{})
        return;
    const TNewsPageSettings settings = NewsPageSettingsOf(fromTable);
    if (settings != TNewsPageSettings{}) StoreNewsPageSettings(toTable, settings);
}

bool TMiniForm::NewsPageInStep(const TFeedDocument& document, const TFeedFile& feed,
                               std::vector<TPublishedFile>& withFeed) {
    const TNewsPageSettings settings = NewsPageSettingsOf(fileName_);
    if (!settings.Enabled) return true;
    const TNewsPageFiles page = BuildNewsPageFiles(document, feed.Path, settings);
    const TResult written =
        page.Result ? WriteNewsPageFiles(document, feed.Path, page) : page.Result;
    if (!written) {
        ShowMsg(FromCp932(written.Describe(MsgNewsPageFailed())));
        return false;
    }
    for (const TPageFile& file : page.Files)
        withFeed.push_back({file.Path, file.What});
    return true;
}
