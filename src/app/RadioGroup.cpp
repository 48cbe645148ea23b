#include "app/RadioGroup.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

#include <algorithm>

TRadioGroup::TRadioGroup(QWidget* parent)
    : QGroupBox(parent), buttons_(new QButtonGroup(this)), grid_(new QGridLayout(this)) {
    grid_->setContentsMargins(6, 0, 6, 0);
    grid_->setVerticalSpacing(0);
    connect(buttons_, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked) emit Click();
    });
}

void TRadioGroup::SetItems(const QStringList& items) {
    for (QAbstractButton* button : buttons_->buttons()) {
        buttons_->removeButton(button);
        delete button;
    }
    for (int index = 0; index < items.size(); ++index)
        buttons_->addButton(new QRadioButton(items[index], this), index);
    Arrange();
}

int TRadioGroup::Count() const {
    return static_cast<int>(buttons_->buttons().size());
}

void TRadioGroup::SetColumns(int columns) {
    columns_ = std::max(columns, 1);
    Arrange();
}

int TRadioGroup::ItemIndex() const {
    return buttons_->checkedId();
}

void TRadioGroup::SetItemIndex(int index) {
    if (QAbstractButton* button = buttons_->button(index)) {
        button->setChecked(true);
        return;
    }
    // An exclusive group never unchecks its last checked button by itself.
    if (QAbstractButton* checked = buttons_->checkedButton()) {
        buttons_->setExclusive(false);
        checked->setChecked(false);
        buttons_->setExclusive(true);
        emit Click();
    }
}

void TRadioGroup::Arrange() {
    for (QAbstractButton* button : buttons_->buttons())
        grid_->removeWidget(button);
    for (QAbstractButton* button : buttons_->buttons()) {
        const int index = buttons_->id(button);
        grid_->addWidget(button, index / columns_, index % columns_);
    }
}
