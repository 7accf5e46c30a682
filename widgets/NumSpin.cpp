#include "widgets/NumSpin.h"

#include <QApplication>
#include <QFontMetrics>
#include <QStyle>

TNumSpin::TNumSpin(QWidget* parent) : TNumEdit(parent) {
    FButton = new TSpinButton(this);
    FButton->SetBounds(width() - 11, 0, 16, height() - 4);
    FButton->setCursor(Qt::ArrowCursor);
    FButton->show();
    FButton->SetFocusControl(this);
    FButton->OnUpClick = [this](QObject*) { Guarded([this] { UpClick(this); }); };
    FButton->OnDownClick = [this](QObject*) { Guarded([this] { DownClick(this); }); };
    SetEditRect();
}

TNumSpin::~TNumSpin() {
    // The buttons go first, each leaving the flash service.
    delete FButton;
    FButton = nullptr;
}

int TNumSpin::GetMinHeight() const {
    constexpr int BorderHeight = 1;
    const int systemHeight = QFontMetrics(QApplication::font()).height();
    const int fontHeight = fontMetrics().height();
    return fontHeight + std::min(systemHeight, fontHeight) / 4 + 4 * BorderHeight + 2;
}

QSize TNumSpin::sizeHint() const {
    const QSize hint = TNumEdit::sizeHint();
    return {hint.width(), std::max(hint.height(), GetMinHeight())};
}

QSize TNumSpin::minimumSizeHint() const {
    const QSize hint = TNumEdit::minimumSizeHint();
    return {hint.width(), std::max(hint.height(), GetMinHeight())};
}

void TNumSpin::resizeEvent(QResizeEvent* event) {
    TNumEdit::resizeEvent(event);
    if (!FButton)
        return;
    if (height() < GetMinHeight())
        resize(width(), GetMinHeight()); // a layout may still hold it lower
    // Inside the edit's frame, flush with its right edge.
    const int frame =
        hasFrame() ? style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this) : 0;
    const int buttonWidth = FButton->width();
    FButton->SetBounds(width() - frame - buttonWidth, frame, buttonWidth - 1, height() - 2 * frame);
    SetEditRect();
}

void TNumSpin::SetEditRect() {
    setTextMargins(0, 0, FButton->width() + 2, 0);
}

void TNumSpin::EnableButtons() {
    const bool enabled = FButton->isEnabled() && State() == esNormal;
    FButton->UpButton()->setEnabled(enabled && !LimitUp());
    FButton->DownButton()->setEnabled(enabled && !LimitLo());
}

void TNumSpin::SetState(TNumEditState state) {
    if (!FButton || state == State())
        return;
    TNumEdit::SetState(state);
    EnableButtons();
}

void TNumSpin::LimitChanged() {
    if (FButton) {
        FButton->UpButton()->setEnabled(!LimitUp());
        FButton->DownButton()->setEnabled(!LimitLo());
    }
    TNumEdit::LimitChanged();
}

void TNumSpin::focusOutEvent(QFocusEvent* event) {
    TNumEdit::focusOutEvent(event);
    FButton->update();
}

void TNumSpin::changeEvent(QEvent* event) {
    TNumEdit::changeEvent(event);
    if (event->type() == QEvent::EnabledChange && FButton)
        EnableButtons();
}
