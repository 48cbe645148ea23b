#pragma once

// TPublishDialog: 機能 > 公開先の設定... Where the feed of a table file is published: protocol,
// server, port, user name, the remote folder and, for SFTP, how to log in. The host, user and
// folder are held as UTF-8, the bytes the server sees.
//
// What the user accepted earlier (a self-signed certificate, plain FTP) belongs to one server and
// protocol: it is kept only while both stay as they were. The password is never shown: a new one
// typed in replaces the one in the keyring, and an empty field keeps that.

#include "publish/PublishSettings.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;

class TPublishDialog : public QDialog {
    Q_OBJECT

public:
    TPublishDialog(const TPublishSettings& settings, QWidget* parent);

    // The settings as the fields now give them.
    TPublishSettings Settings() const;
    // The password typed in; empty when the kept one stays.
    QString Password() const;

    QComboBox* CB_Protocol;    // SFTP, FTPS, FTP (TPublishProtocol order)
    QLineEdit* ED_Host;        // server name or address
    QSpinBox* SE_Port;         // 0: the protocol's own port
    QLineEdit* ED_User;        // user name
    QLineEdit* ED_Password;    // a new password for the keyring (not for SFTP with the keys)
    QLineEdit* ED_Folder;      // the feed's folder on the server
    QRadioButton* RB_Password; // SFTP: log in with the password
    QRadioButton* RB_Keys;     // SFTP: log in with the SSH agent and ~/.ssh keys

private:
    void LoginChanged();

    TPublishSettings original_;
};
