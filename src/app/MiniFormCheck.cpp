// TMiniForm's feed check: the list of findings, going to a finding's field or cell, and the
// count of errors the status bar shows after a save.

#include "app/MiniForm.h"

#include "app/FeedCheckList.h"
#include "dialogs/L_Dialog.h"
#include "widgets/Cp932Text.h"
#include "widgets/L_CCmbo.h"

#include <QTabWidget>

using namespace Qt::StringLiterals;

void TMiniForm::CreateFeedCheck() {
    FeedCheckList = new TFeedCheckList(this);
    connect(FeedCheckList, &TFeedCheckList::FindingChosen, this, [this](int index) {
        GoToFinding(FeedCheckList->Findings().at(static_cast<size_t>(index)));
    });

    // Any change to the document makes the count of the last save's check out of date.
    connect(this, &TMiniForm::DocumentChanged, this, &TMiniForm::ClearCheckStatus);
}

void TMiniForm::Mn_FeedCheckClick() {
    LeaveRowMode(0);
    const std::vector<TFeedFinding> findings = CheckFeed(DocumentFromControls());
    if (findings.empty()) {
        ShowMsg(u"問題は見つかりませんでした。"_s);
        return;
    }
    FeedCheckList->SetFindings(findings);
    FeedCheckList->open();
}

void TMiniForm::GoToFinding(const TFeedFinding& finding) {
    if (finding.Row > 0) {
        PageControl->setCurrentIndex(pgItems);
        XStringGrid->FocusCell(finding.Column, finding.Row, true);
        XStringGrid->setFocus(Qt::OtherFocusReason);
        return;
    }
    PageControl->setCurrentIndex(pgChannel);
    TPaintEdit* edit = ChannelEdit(finding.Field);
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
}

void TMiniForm::ShowCheckStatus(const TFeedDocument& document) {
    ClearCheckStatus();
    const int errors = CountFindings(CheckFeed(document), TFindingSeverity::Error);
    if (errors == 0) return;
    checkStatus_ = u"検査: エラー %1件"_s.arg(errors);
    SetStatusText(1, checkStatus_);
}

void TMiniForm::ClearCheckStatus() {
    ClearStatusNotice(checkStatus_);
}

// The panel may meanwhile say something else, which stays.
void TMiniForm::ClearStatusNotice(QString& notice) {
    if (!notice.isEmpty() && StatusText(1) == notice) SetStatusText(1, {});
    notice.clear();
}
