#include "window/blocks/Controls.h"

#include <QComboBox>
#include <QEvent>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>

QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}

namespace {
class ClearButtonOnShow : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            static_cast<QLineEdit*>(watched)->setClearButtonEnabled(true);
            watched->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }
};
} // namespace

void AddClearButtonWhenShown(QLineEdit* edit) {
    edit->installEventFilter(new ClearButtonOnShow(edit));
}

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& caption) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    return label;
}

QLabel* MakeAnswerLabel(QWidget* parent, const QString& name) {
    QLabel* label = MakeLabel(parent, name, "");
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QLineEdit* MakeLineEdit(QWidget* parent, const QString& name, const QString& text) {
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(name);
    return edit;
}

QComboBox* MakeDropDown(QWidget* parent, const QString& name, const QStringList& items,
                        const QString& text, bool fixedPitch) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    box->addItems(items);
    box->setCurrentIndex(-1);
    box->setEditText(text);
    box->setMinimumContentsLength(static_cast<int>(text.size()));
    if (fixedPitch)
        box->setFont(FixedPitchFont());
    return box;
}

QFont FixedPitchFont() {
    return QFontDatabase::systemFont(QFontDatabase::FixedFont);
}

void SetBackground(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QWidget* WithLabelUnder(QWidget* parent, QWidget* control, QLabel* label) {
    auto* column = new QWidget(parent);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    control->setParent(column);
    label->setParent(column);
    layout->addWidget(control);
    layout->addWidget(label);
    return column;
}

QTableView* MakeSortedTable(QWidget* parent, const QString& name, QAbstractItemModel* rows,
                            int sortRole, int sortColumn) {
    auto* sorted = new QSortFilterProxyModel(parent);
    sorted->setSourceModel(rows);
    sorted->setSortRole(sortRole);
    auto* table = new QTableView(parent);
    table->setObjectName(name);
    table->setModel(sorted);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 4);
    table->setSortingEnabled(true);
    table->sortByColumn(sortColumn, Qt::AscendingOrder);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    return table;
}

QLabel* MakeWarningLabel(QWidget* parent, const QString& name) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setWordWrap(true);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    policy.setHeightForWidth(true);
    label->setSizePolicy(policy);
    label->setStyleSheet("QLabel { color: #a00000; font-weight: bold; }");
    label->hide();
    return label;
}
