#include "app/NewsPageDialog.h"

#include "app/FilePaths.h"
#include "dialogs/L_Dialog.h"
#include "widgets/Cp932Text.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

TNewsPageDialog::TNewsPageDialog(const TNewsPageSettings& settings, QWidget* parent)
    : QDialog(parent) {
    setObjectName(u"NewsPageDialog"_s);
    setWindowTitle(u"お知らせページの設定"_s);
    auto* form = new QFormLayout(this);

    enabled_ = new QCheckBox(u"お知らせページも作る(&M)"_s);
    enabled_->setObjectName(u"CB_NewsPage"_s);
    enabled_->setChecked(settings.Enabled);
    form->addRow(enabled_);
    auto* about =
        new QLabel(u"保存のたびに、フィードと同じ項目からお知らせのページ (HTML) を"
                   u"フィードと同じフォルダに書き出し、サイトに公開するときはフィードと"
                   u"一緒にアップロードします。一覧だけのファイル (-list) も書き出します。"_s);
    about->setWordWrap(true);
    form->addRow(about);

    pageName_ = new QLineEdit(ShownPath(settings.PageName));
    pageName_->setObjectName(u"ED_NewsPageName"_s);
    pageName_->setPlaceholderText(QString::fromUtf8(DefaultNewsPageName));
    form->addRow(u"ファイル名(&N):"_s, pageName_);

    template_ = new QLineEdit(ShownPath(settings.Template));
    template_->setObjectName(u"ED_NewsTemplate"_s);
    template_->setPlaceholderText(u"空欄: 組み込みのデザイン"_s);
    template_->setClearButtonEnabled(true);
    chooseTemplate_ = new QPushButton(u"参照(&R)..."_s);
    chooseTemplate_->setObjectName(u"SB_NewsTemplate"_s);
    auto* templateRow = new QHBoxLayout;
    templateRow->addWidget(template_, 1);
    templateRow->addWidget(chooseTemplate_);
    form->addRow(u"テンプレート(&T):"_s, templateRow);

    form->addRow(OkCancelButtons(this));
    // Room for a path and the explanation in a few lines, at any font size.
    setMinimumWidth(fontMetrics().averageCharWidth() * 64);

    connect(chooseTemplate_, &QPushButton::clicked, this, &TNewsPageDialog::ChooseTemplate);
    connect(enabled_, &QCheckBox::toggled, this, &TNewsPageDialog::EnabledChanged);
    EnabledChanged();
}

TNewsPageSettings TNewsPageDialog::Settings() const {
    TNewsPageSettings settings;
    settings.Enabled = enabled_->isChecked();
    const QString name = pageName_->text().trimmed();
    settings.PageName = name.isEmpty() ? DefaultNewsPageName : FileSystemPath(name);
    settings.Template = FileSystemPath(template_->text().trimmed());
    return settings;
}

void TNewsPageDialog::accept() {
    if (const TResult named = CheckNewsPageName(Settings().PageName); !named) {
        ShowMsg(FromCp932(named.Reason()));
        pageName_->setFocus();
        return;
    }
    QDialog::accept();
}

void TNewsPageDialog::ChooseTemplate() {
    const QString chosen = QFileDialog::getOpenFileName(
        this, u"テンプレートを選択"_s, QFileInfo(template_->text()).path(),
        u"Mustache テンプレート (*.mustache *.html *.htm);;すべてのファイル (*)"_s);
    if (!chosen.isEmpty()) template_->setText(chosen);
}

void TNewsPageDialog::EnabledChanged() {
    const bool enabled = enabled_->isChecked();
    pageName_->setEnabled(enabled);
    template_->setEnabled(enabled);
    chooseTemplate_->setEnabled(enabled);
}
