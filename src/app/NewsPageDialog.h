#pragma once

// TNewsPageDialog: 機能 > お知らせページの設定... Whether the saves of a table file also write a
// news page beside the feed, under which file name, and from the built-in design or the user's
// own Mustache template. The settings belong to the table file (document/NewsPageSettings.h).
// The controls are found by their object names: CB_NewsPage, ED_NewsPageName, ED_NewsTemplate,
// SB_NewsTemplate (参照...). OK keeps the dialog open, saying why, while the file name is one the
// page cannot take.

#include "document/NewsPageSettings.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

class TNewsPageDialog : public QDialog {
    Q_OBJECT

public:
    TNewsPageDialog(const TNewsPageSettings& settings, QWidget* parent);

    // The settings as the fields now give them.
    TNewsPageSettings Settings() const;

    void accept() override;

private:
    void ChooseTemplate();
    void EnabledChanged();

    QCheckBox* enabled_;
    QLineEdit* pageName_;
    QLineEdit* template_;
    QPushButton* chooseTemplate_;
};
