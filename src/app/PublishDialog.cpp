#include "app/PublishDialog.h"

#include "dialogs/L_Dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

using namespace Qt::StringLiterals;

namespace {

QLineEdit* AddLine(QFormLayout* form, const QString& name, const QString& caption,
                   const std::string& utf8, const QString& hint) {
    auto* edit = new QLineEdit(QString::fromUtf8(utf8));
    edit->setObjectName(name);
    edit->setPlaceholderText(hint);
    form->addRow(caption, edit);
    return edit;
}

std::string Utf8(const QLineEdit* edit) {
    return edit->text().trimmed().toStdString();
}

} // namespace

TPublishDialog::TPublishDialog(const TPublishSettings& settings, QWidget* parent)
    : QDialog(parent), original_(settings) {
    setObjectName(u"PublishDialog"_s);
    setWindowTitle(u"公開先の設定"_s);
    auto* form = new QFormLayout(this);

    CB_Protocol = new QComboBox;
    CB_Protocol->setObjectName(u"CB_Protocol"_s);
    CB_Protocol->addItems({u"SFTP (SSH)"_s, u"FTPS (FTP over TLS)"_s, u"FTP (暗号化なし)"_s});
    CB_Protocol->setCurrentIndex(int(settings.Protocol));
    form->addRow(u"プロトコル(&P):"_s, CB_Protocol);
    ED_Host = AddLine(form, u"ED_Host"_s, u"サーバー(&S):"_s, settings.Host, u"example.jp"_s);
    SE_Port = new QSpinBox;
    SE_Port->setObjectName(u"SE_Port"_s);
    SE_Port->setRange(0, 65535);
    SE_Port->setSpecialValueText(u"既定"_s);
    SE_Port->setValue(settings.Port);
    form->addRow(u"ポート(&O):"_s, SE_Port);
    ED_User = AddLine(form, u"ED_User"_s, u"ユーザー名(&U):"_s, settings.User, {});
    ED_Password = AddLine(form, u"ED_Password"_s, u"パスワード(&A):"_s, {},
                          u"変更するときだけ入力 (キーリングに保存)"_s);
    ED_Password->setEchoMode(QLineEdit::Password);
    ED_Folder = AddLine(form, u"ED_Folder"_s, u"公開先のフォルダ(&F):"_s, settings.RemoteFolder,
                        u"public_html (ログイン先から) または /var/www/news"_s);

    RB_Password = new QRadioButton(u"パスワード(&W)"_s);
    RB_Password->setObjectName(u"RB_Password"_s);
    RB_Keys = new QRadioButton(u"SSH エージェントと ~/.ssh の鍵(&K)"_s);
    RB_Keys->setObjectName(u"RB_Keys"_s);
    (settings.Login == TSftpLogin::Keys ? RB_Keys : RB_Password)->setChecked(true);
    auto* login = new QHBoxLayout;
    login->addWidget(RB_Password);
    login->addWidget(RB_Keys);
    form->addRow(u"SFTP の認証:"_s, login);

    form->addRow(OkCancelButtons(this));

    connect(CB_Protocol, &QComboBox::currentIndexChanged, this, &TPublishDialog::LoginChanged);
    connect(RB_Keys, &QRadioButton::toggled, this, &TPublishDialog::LoginChanged);
    LoginChanged();
}

void TPublishDialog::LoginChanged() {
    const bool sftp = CB_Protocol->currentIndex() == int(TPublishProtocol::Sftp);
    RB_Password->setEnabled(sftp);
    RB_Keys->setEnabled(sftp);
    ED_Password->setEnabled(!sftp || !RB_Keys->isChecked());
}

QString TPublishDialog::Password() const {
    return ED_Password->isEnabled() ? ED_Password->text() : QString();
}

TPublishSettings TPublishDialog::Settings() const {
    TPublishSettings settings;
    settings.Protocol = TPublishProtocol(CB_Protocol->currentIndex());
    settings.Host = Utf8(ED_Host);
    settings.Port = SE_Port->value();
    settings.User = Utf8(ED_User);
    settings.RemoteFolder = Utf8(ED_Folder);
    settings.Login = RB_Keys->isChecked() ? TSftpLogin::Keys : TSftpLogin::Password;
    settings.PublishedAddress = original_.PublishedAddress;
    // An earlier consent was given for one server and protocol, not for another.
    if (settings.Protocol == original_.Protocol && settings.Host == original_.Host &&
        EffectivePort(settings) == EffectivePort(original_)) {
        settings.PlainFtpAccepted = original_.PlainFtpAccepted;
        settings.TrustedCertificate = original_.TrustedCertificate;
    }
    return settings;
}
