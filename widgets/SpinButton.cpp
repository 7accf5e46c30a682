#include "widgets/SpinButton.h"

#include "widgets/FlashTimer.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QStyleOptionButton>

namespace {
// The arrows' glyphs, compiled in: an XPM is C source. Made from the arrays,
// they need no image reader, whose first use looks for image format plugins.
#include "widgets/glyphs/SpinDown.xpm"
#include "widgets/glyphs/SpinUp.xpm"
} // namespace

TTimerSpeedBtn::TTimerSpeedBtn(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::NoFocus);
}

TTimerSpeedBtn::~TTimerSpeedBtn() {
    StopRepeat();
}

void TTimerSpeedBtn::SetInterval(int value) {
    if (value >= MinInterval)
        FInterval = value;
}

void TTimerSpeedBtn::SetGlyph(const QPixmap& value) {
    FGlyph = value;
    // As on a speed button, the colour of the bottom-left pixel is the
    // transparent background.
    if (!FGlyph.isNull() && !FGlyph.hasAlphaChannel()) {
        const QColor background = FGlyph.toImage().pixelColor(0, FGlyph.height() - 1);
        FGlyph.setMask(FGlyph.createMaskFromColor(background));
    }
    update();
}

void TTimerSpeedBtn::SetNumGlyphs(int value) {
    if (value < 1 || value == FNumGlyphs)
        return;
    FNumGlyphs = value;
    update();
}

QSize TTimerSpeedBtn::sizeHint() const {
    return {TSpinButton::MinWidth, 12};
}

bool TTimerSpeedBtn::event(QEvent* event) {
    if (event->type() == WM_FLASHTICK) {
        // A release that went elsewhere (a modal error box opened by a click)
        // ends the repeat; a click still running is not repeated inside itself.
        if (!(QGuiApplication::mouseButtons() & Qt::LeftButton))
            StopRepeat();
        else if (!FClicking && FlashNow() >= StartTime) {
            QScopedValueRollback clicking(FClicking, true);
            Click();
        }
        return true;
    }
    return QAbstractButton::event(event);
}

void TTimerSpeedBtn::mousePressEvent(QMouseEvent* event) {
    QAbstractButton::mousePressEvent(event);
    if (event->button() == Qt::LeftButton && FTimerEnabled && isDown()) {
        StartTime = FlashNow() + FStartDelay;
        RegisterFlashClient(this, FInterval);
    }
}

void TTimerSpeedBtn::mouseReleaseEvent(QMouseEvent* event) {
    QAbstractButton::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton)
        StopRepeat();
}

void TTimerSpeedBtn::changeEvent(QEvent* event) {
    QAbstractButton::changeEvent(event);
    // A disabled button never sees its release, so it lets go here.
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        StopRepeat();
}

void TTimerSpeedBtn::StopRepeat() {
    UnregisterFlashClient(this);
}

void TTimerSpeedBtn::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QStyleOptionButton option;
    option.initFrom(this);
    option.state |= isDown() ? QStyle::State_Sunken : QStyle::State_Raised;
    style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &option, &painter, this);
    if (FGlyph.isNull())
        return;

    const int imageWidth = FGlyph.width() / FNumGlyphs;
    const bool disabledImage = !isEnabled() && FNumGlyphs > 1;
    QPixmap image = FGlyph.copy(disabledImage ? imageWidth : 0, 0, imageWidth, FGlyph.height());
    if (!isEnabled() && !disabledImage)
        image = style()->generatedIconPixmap(QIcon::Disabled, image, &option);
    const int shift = isDown() ? 1 : 0;
    painter.drawPixmap((width() - imageWidth + 1) / 2 + shift,
                       (height() - image.height() + 1) / 2 + shift, image);
}

TSpinButton::TSpinButton(QWidget* parent) : QWidget(parent) {
    FUpButton = CreateButton();
    FDownButton = CreateButton();
    SetUpGlyph();
    SetDownGlyph();
    setFocusPolicy(Qt::NoFocus);
    setMinimumWidth(MinWidth);
    resize(MinWidth, 24);
}

TTimerSpeedBtn* TSpinButton::CreateButton() {
    auto* button = new TTimerSpeedBtn(this);
    button->show();
    connect(button, &QAbstractButton::clicked, this, [this, button] { BtnClick(button); });
    connect(button, &QAbstractButton::pressed, this, &TSpinButton::BtnMouseDown);
    return button;
}

void TSpinButton::SetInterval(int value) {
    FUpButton->SetInterval(value);
    FDownButton->SetInterval(value);
}

void TSpinButton::SetStartDelay(std::uint32_t value) {
    FUpButton->SetStartDelay(value);
    FDownButton->SetStartDelay(value);
}

void TSpinButton::SetUpGlyph(const QPixmap& value) {
    FUpButton->SetGlyph(value.isNull() ? QPixmap(SpinUp) : value);
    if (value.isNull())
        FUpButton->SetNumGlyphs(2);
}

void TSpinButton::SetDownGlyph(const QPixmap& value) {
    FDownButton->SetGlyph(value.isNull() ? QPixmap(SpinDown) : value);
    if (value.isNull())
        FDownButton->SetNumGlyphs(2);
}

void TSpinButton::AdjustSize(int& width, int& height) {
    width = std::max(width, MinWidth);
    const int upHeight = height / 2;
    FUpButton->setGeometry(0, 0, width, upHeight);
    FDownButton->setGeometry(0, upHeight, width, height - upHeight);
}

void TSpinButton::SetBounds(int left, int top, int width, int height) {
    AdjustSize(width, height);
    setGeometry(left, top, width, height);
}

void TSpinButton::resizeEvent(QResizeEvent*) {
    int w = width();
    int h = height();
    AdjustSize(w, h);
}

void TSpinButton::keyPressEvent(QKeyEvent* event) {
    TTimerSpeedBtn* button = event->key() == Qt::Key_Up     ? FUpButton
                             : event->key() == Qt::Key_Down ? FDownButton
                                                            : nullptr;
    if (!button) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (button->isEnabled())
        button->Click();
    event->accept();
}

void TSpinButton::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        FUpButton->setEnabled(isEnabled());
        FDownButton->setEnabled(isEnabled());
    }
}

void TSpinButton::BtnClick(TTimerSpeedBtn* button) {
    const TNotifyEvent& handler = button == FUpButton ? OnUpClick : OnDownClick;
    if (handler)
        handler(this);
}

void TSpinButton::BtnMouseDown() {
    if (FFocusControl && (FFocusControl->focusPolicy() & Qt::TabFocus) &&
        FFocusControl->isEnabled() && FFocusControl->isVisible() && !FFocusControl->hasFocus()) {
        FFocusControl->setFocus(Qt::MouseFocusReason);
        return;
    }
    if ((focusPolicy() & Qt::TabFocus) && !hasFocus() && isEnabled() && isVisible())
        setFocus(Qt::MouseFocusReason);
}
