#include "app/FeedCheckList.h"

#include "widgets/Cp932Text.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

enum TListColumn { lcSeverity, lcPlace, lcField, lcMessage, ListColumns };

QTableWidgetItem* ReadOnlyItem(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    item->setToolTip(text);
    return item;
}

} // namespace

TFeedCheckList::TFeedCheckList(QWidget* parent) : QDialog(parent) {
    setObjectName(u"FeedCheckList"_s);
    setWindowTitle(u"フィードの検査"_s);
    resize(760, 360);

    Summary = new QLabel(this);
    Summary->setObjectName(u"Summary"_s);

    List = new QTableWidget(0, ListColumns, this);
    List->setObjectName(u"List"_s);
    List->setHorizontalHeaderLabels({u"種類"_s, u"行"_s, u"項目"_s, u"内容"_s});
    List->setSelectionBehavior(QAbstractItemView::SelectRows);
    List->setSelectionMode(QAbstractItemView::SingleSelection);
    List->setEditTriggers(QAbstractItemView::NoEditTriggers);
    List->verticalHeader()->hide();
    List->horizontalHeader()->setStretchLastSection(true);
    // Messages wrap within the width the window leaves them (see resizeEvent).
    List->setWordWrap(true);
    connect(List->horizontalHeader(), &QHeaderView::sectionResized, List,
            &QTableWidget::resizeRowsToContents);
    connect(List, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { Choose(row); });
    connect(List, &QTableWidget::cellActivated, this, [this](int row, int) { Choose(row); });

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* close = buttons->addButton(u"閉じる"_s, QDialogButtonBox::RejectRole);
    close->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Summary);
    layout->addWidget(List);
    layout->addWidget(buttons);
}

void TFeedCheckList::SetFindings(const std::vector<TFeedFinding>& findings) {
    findings_ = findings;
    Summary->setText(u"エラー %1件、警告 %2件。行をダブルクリックするとその場所へ移動します。"_s
                         .arg(CountFindings(findings, TFindingSeverity::Error))
                         .arg(CountFindings(findings, TFindingSeverity::Warning)));
    List->setRowCount(static_cast<int>(findings.size()));
    for (int row = 0; row < List->rowCount(); ++row) {
        const TFeedFinding& finding = findings[static_cast<size_t>(row)];
        List->setItem(row, lcSeverity, ReadOnlyItem(FromCp932(SeverityName(finding.Severity))));
        List->setItem(row, lcPlace, ReadOnlyItem(FromCp932(FindingPlace(finding))));
        List->setItem(row, lcField, ReadOnlyItem(FromCp932(FindingFieldName(finding))));
        List->setItem(row, lcMessage, ReadOnlyItem(FromCp932(finding.Message)));
    }
    // The message fills what is left.
    for (const int column : {lcSeverity, lcPlace, lcField})
        List->resizeColumnToContents(column);
    List->resizeRowsToContents();
    if (List->rowCount() > 0) List->selectRow(0);
}

// Each row is as high as its message at the width the window now gives it; rows measured before
// the window had its size would keep the height of a message wrapped at a default width.
void TFeedCheckList::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    QTimer::singleShot(0, List, &QTableWidget::resizeRowsToContents);
}

void TFeedCheckList::Choose(int index) {
    if (index < 0 || index >= static_cast<int>(findings_.size())) return;
    accept();
    emit FindingChosen(index);
}
