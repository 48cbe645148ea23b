// TMiniForm's document commands (new, open, save, the save folder) and the commands that hand
// work to programs outside the editor (browser preview, feed validation, readme, maker's pages).

#include "app/MiniForm.h"

#include "app/AppUtils.h"
#include "app/FileDialog.h"
#include "app/FilePaths.h"
#include "app/ReadmeWindow.h"
#include "app/Startup.h"
#include "app/UserPlaces.h"
#include "dialogs/L_Dialog.h"
#include "document/FeedWriter.h"
#include "document/FileNames.h"
#include "document/MakerPages.h"
#include "document/Messages.h"
#include "document/NewsPageSettings.h"
#include "document/Preview.h"
#include "document/SaveDocument.h"
#include "text/CodePage.h"
#include "text/Platform.h"
#include "text/S_string.h"
#include "widgets/Cp932Text.h"
#include "widgets/L_CCmbo.h"
#include "widgets/SHBFFEX.h"

#include <QApplication>
#include <QPointer>
#include <QTabWidget>
#include <QUndoStack>

#include <optional>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// The busy cursor while a program or page is handed over, the default one again afterwards.
class TBusyCursor {
public:
    TBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};

void OpenPage(const char* address) {
    const TBusyCursor busy;
    OpenWithShell(QString::fromLatin1(address));
}

// The program's folder as document text, for the save folder and the preview's style sheet.
std::string ProgramFolderText() {
    return ToCp932(ShownPath(ProgramFolder()));
}

// Shows `dialog` with `current` proposed when there is one. The chosen table file; nothing when
// the user cancels.
std::optional<std::string> ChooseTableFile(TFileDialog& dialog, QWidget* parent,
                                           const std::string& current) {
    if (!current.empty()) dialog.FileName = ShownPath(current);
    if (!dialog.Execute(parent)) return std::nullopt;
    return FileSystemPath(dialog.FileName);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// New, open, save

void TMiniForm::N2Click() {
    XStringGrid->EndCellEdit(false);
    if (!ChangesMayGo()) return;
    LeaveRowMode(0);
    ResetDocument(false);
    // A new document starts at its first entry, not where the old one was left.
    XStringGrid->FocusCell(0, 1, true);
    XStringGrid->scrollToTop();
}

void TMiniForm::R1Click() {
    XStringGrid->EndCellEdit(false);
    if (!ChangesMayGo()) return;
    const std::optional<std::string> path = ChooseTableFile(*OpenDialog, this, fileName_);
    if (!path) return;
    LeaveRowMode(0);
    LoadTableFile(*path);
}

void TMiniForm::Save2Click() {
    SaveDocument(false);
}

void TMiniForm::Save1Click() {
    SaveDocument(true);
}

bool TMiniForm::SaveDocument(bool saveAs) {
    std::string target = fileName_;
    if (saveAs || fileName_.empty()) {
        const std::optional<std::string> chosen = ChooseTableFile(*SaveDialog, this, fileName_);
        if (!chosen) return false;
        target = *chosen;
    }
    // A name the code page would change is refused before anything is written, with the character
    // itself, which the code page cannot show.
    if (const std::string refusal = FileNameRefusalShown(target); !refusal.empty()) {
        ShowMsg(FromCp932(MsgTableSaveFailed()) + u"\r\n"_s + QString::fromUtf8(refusal));
        return false;
    }
    if (KeepChangedTableFile(target)) return false;
    CommitEdits();
    CarryNewsPageSettings(fileName_, target);
    TFeedDocument document = DocumentFromControls();
    const TSaveResult result = SaveDocumentFiles(document, target, CurrentFeedTime(), VersionText,
                                                 NewsPageSettingsOf(target));
    // The save decides both: the table file names the document once it is written, and only a
    // complete save clears the modified flag.
    const std::string before = std::exchange(fileName_, document.FileName);
    if (fileName_ != before) CarryPublishSettings(before);
    SetModified(document.Modified);
    if (!modified_) UndoStack->setClean();
    if (result.Outcome != TSaveOutcome::TableFailed) {
        RecordTableFileState();
        RememberFile();
        ShowCheckStatus(document);
    }
    const bool saved = result.Outcome == TSaveOutcome::Saved;
    if (saved) ClearStatusNotice(feedStatus_);
    if (result.CheckErrors == 0)
        ShowMsg(result.Message);
    else if (ShowMsgOfferingList(result.Message))
        Mn_FeedCheckClick();
    // The caption names the file the next 上書き保存 writes to, also when the feed was not written.
    UpdateCaption();
    RefreshConfirmationPage();
    return saved;
}

bool TMiniForm::ChangesMayGo() {
    if (!modified_) return true;
    switch (AskSaveChanges(DocumentName(fileName_))) {
    case TSaveAnswer::Save:
        return SaveDocument(false);
    case TSaveAnswer::Discard:
        return true;
    case TSaveAnswer::Cancel:
        break;
    }
    return false;
}

// Another editor may have saved the same table file since this window read or wrote it; writing
// over it unasked would undo that save.
bool TMiniForm::KeepChangedTableFile(const std::string& target) const {
    if (target != fileName_ || !tableFileState_) return false;
    if (!ChangedOnDisk(*tableFileState_, ReadDiskState(fileName_))) return false;
    return !AskYesNo(u"ファイルが他のプログラムで変更されています。上書きしますか？"_s);
}

void TMiniForm::RecordTableFileState() {
    tableFileState_ = ReadDiskState(fileName_);
}

void TMiniForm::SB_SansyoClick() {
    const std::string saveFolder = Edit_RssSave->TextCp932();
    SHBrowseForFolderEx->SelectFolderName = saveFolder.empty()
                                                ? ToCp932(ShownPath(UserPlaces().DialogFolder))
                                                : DelPathDelim(saveFolder);
    if (!SHBrowseForFolderEx->Execute(this)) return;
    Edit_RssSave->SetTextCp932(SHBrowseForFolderEx->Folder());
    // Choosing the same folder again changes no text but counts as an edit all the same.
    SetModified(true);
}

// ---------------------------------------------------------------------------------------------
// Preview and outside programs

// The browser checks the feed's syntax on a test copy in the user's own runtime or temporary
// folder. The copy differs from the saved feed only where a browser needs it: the extension .xml
// and a style sheet it can reach.
void TMiniForm::InternetExplorer1Click() {
    LeaveRowMode(0);
    const TFeedDocument document = DocumentFromControls();
    const TPreviewPlan plan = PlanPreview(document, ProgramFolderText());
    if (!plan.Notice.empty() && !AskYesNo(PreviewQuestion(plan.Notice), mtConfirmation, false))
        return;
    std::vector<std::string> lines;
    BuildFeed(lines, document,
              {FeedFileName(document), plan.StyleSheetOverride, CurrentFeedTime(), VersionText});
    // Turning to the page shows the saved feed's text; the test copy's replaces it.
    PageControl->setCurrentIndex(pgConfirm);
    ShowFeedText(lines);

    const std::string copyPath = PreviewCopyFolder() + "/" + PreviewCopyName(document.FileName);
    if (const TResult written = WritePreviewCopy(copyPath, Cp932ToUtf8(JoinLines(lines)));
        !written) {
        ShowMsg(written.Describe(MsgFeedCreateFailed()));
        return;
    }
    ExecProgram(u"iexplore.exe"_s, ShownPath(copyPath));
}

void TMiniForm::Mn_feedAnalyzerClick() {
    const TBusyCursor busy;
    const TFeedDocument document = DocumentFromControls();
    OpenWithShell(QString::fromStdString(
        ValidationAddress(document.Channel.FeedAddress, FeedFileName(document))));
}

void TMiniForm::M1Click() {
    OpenPage(ManualAddress);
}

// A desktop without a program for text files (a fresh system) gets the editor's own window.
void TMiniForm::ReadmeR1Click() {
    const TBusyCursor busy;
    const std::string readme = ProgramFolder() + "orvanix.txt";
    OpenWithDesktop(ShownPath(readme), [form = QPointer<TMiniForm>(this), readme] {
        if (form) ShowReadmeWindow(form, readme);
    });
}

void TMiniForm::N9Click() {
    OpenPage(FullEditionAddress);
}

void TMiniForm::ImageClick() {
    OpenPage(HomePageAddress);
}
