#include "widgets/ValuePanel.h"

#include <QFormLayout>
#include <QLabel>

TValuePanel::TValuePanel(QWidget* parent, Clock clock)
    : QWidget(parent), clock_(std::move(clock)), layout_(new QFormLayout(this)) {
    layout_->setContentsMargins(4, 4, 4, 4);
    layout_->setVerticalSpacing(2);
    layout_->setLabelAlignment(Qt::AlignRight);
}

void TValuePanel::AddRow(const QString& name, const QString& caption) {
    auto* label = new QLabel(this);
    label->setObjectName(name);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setEnabled(false); // nothing received yet
    layout_->addRow(caption, label);
    rows_[name] = {label, {}};
}

void TValuePanel::SetValue(const QString& name, const QString& text) {
    TRow& row = rows_.at(name);
    row.SetAt = clock_();
    row.Label->setEnabled(true);
    if (row.Label->text() != text)
        row.Label->setText(text);
}

void TValuePanel::Rewrite(const QString& name, const QString& text) {
    rows_.at(name).Label->setText(text);
}

void TValuePanel::MarkStale() {
    const auto now = clock_();
    for (auto& [name, row] : rows_)
        if (row.Label->isEnabled() && now - row.SetAt > kStaleAfter)
            row.Label->setEnabled(false);
}

void TValuePanel::Expire(const QString& name) {
    rows_.at(name).Label->setEnabled(false);
}

QString TValuePanel::Value(const QString& name) const {
    return rows_.at(name).Label->text();
}

bool TValuePanel::IsStale(const QString& name) const {
    return !rows_.at(name).Label->isEnabled();
}
