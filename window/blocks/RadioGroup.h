#pragma once
// A captioned group of radio buttons whose selected index stands for a value,
// like the port page's line settings and the "View" group.

#include <QButtonGroup>
#include <QGroupBox>
#include <QStringList>

class QRadioButton;

class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    // The buttons are named <name>_<index>; selected is the initial index.
    TRadioGroup(QWidget* parent, const QString& name, const QString& caption,
                const QStringList& items, int selected);

    int ItemIndex() const { return group_.checkedId(); }
    void SetItemIndex(int index);
    QRadioButton* Button(int index) const;

signals:
    // Another item was selected, by a click or by SetItemIndex.
    void ItemIndexChanged(int index);

private:
    QButtonGroup group_;
};
