#pragma once

// TRadioGroup: a group box of radio buttons laid out in columns, one of which is selected. The
// selection is an item index; Click reports every change of it, whether the user clicked a button
// or the program set the index.

#include <QGroupBox>

class QButtonGroup;
class QGridLayout;

class TRadioGroup : public QGroupBox {
    Q_OBJECT

public:
    explicit TRadioGroup(QWidget* parent = nullptr);

    // Replaces the buttons with one per item; nothing is selected afterwards.
    void SetItems(const QStringList& items);
    int Count() const;

    int Columns() const { return columns_; }
    void SetColumns(int columns);

    // The selected item, -1 when none is. An index outside the items selects none.
    int ItemIndex() const;
    void SetItemIndex(int index);

signals:
    void Click();

private:
    void Arrange();

    QButtonGroup* buttons_;
    QGridLayout* grid_;
    int columns_ = 1;
};
