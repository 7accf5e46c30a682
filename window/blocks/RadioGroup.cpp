#include "window/blocks/RadioGroup.h"

#include <QRadioButton>
#include <QVBoxLayout>

TRadioGroup::TRadioGroup(QWidget* parent, const QString& name, const QString& caption,
                         const QStringList& items, int selected)
    : QGroupBox(caption, parent) {
    setObjectName(name);
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(2);
    for (int index = 0; index < items.size(); ++index) {
        auto* button = new QRadioButton(items[index], this);
        button->setObjectName(name + '_' + QString::number(index));
        group_.addButton(button, index);
        layout->addWidget(button);
    }
    layout->addStretch();
    SetItemIndex(selected);
    connect(&group_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            emit ItemIndexChanged(id);
    });
}

void TRadioGroup::SetItemIndex(int index) {
    if (QAbstractButton* button = group_.button(index))
        button->setChecked(true);
}

QRadioButton* TRadioGroup::Button(int index) const {
    return qobject_cast<QRadioButton*>(group_.button(index));
}
