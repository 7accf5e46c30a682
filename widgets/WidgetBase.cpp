#include "widgets/WidgetBase.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <bit>

void TNotifyPersistent::Change() {
    ChangeObject(this);
}

void TNotifyPersistent::ChangeObject(QObject* sender) {
    if (OnChange)
        OnChange(sender);
}

// ---------------------------------------------------------------- the lamp

void DrawShape(QPainter& canvas, const QRect& rect, TLEDShape shape, const QColor& fill,
               const QColor& outline, const QColor& highlight) {
    // Corners as the lamp's geometry names them: right and bottom exclusive.
    const int l = rect.left();
    const int t = rect.top();
    const int r = l + rect.width();
    const int b = t + rect.height();
    const int hw = (r - l) / 2;
    const int hh = (b - t) / 2;

    canvas.save();
    canvas.setPen(QPen(outline, 1));
    canvas.setBrush(fill);
    const auto polygon = [&canvas](std::initializer_list<QPoint> points) {
        canvas.drawPolygon(points.begin(), static_cast<int>(points.size()));
    };
    switch (shape) {
    case sRound: {
        canvas.setRenderHint(QPainter::Antialiasing);
        canvas.drawEllipse(QRectF(l + 0.5, t + 0.5, r - l - 1, b - t - 1));
        const int inset = (r - l) / 5;
        canvas.setPen(QPen(highlight, std::max(1, (r - l) / 8)));
        canvas.setBrush(Qt::NoBrush);
        // Upper-left quarter, counter-clockwise from straight up to the left.
        canvas.drawArc(
            QRectF(l + inset + 0.5, t + inset + 0.5, r - l - 2 * inset - 1, b - t - 2 * inset - 1),
            90 * 16, 90 * 16);
        break;
    }
    case sArrowLeft:
        polygon({{l, t + hh}, {r - 1, t}, {r - 1, b - 1}});
        break;
    case sArrowRight:
        polygon({{l, t}, {r - 1, t + hh}, {l, b - 1}});
        break;
    case sArrowUp:
        polygon({{l + hw, t}, {r - 1, b - 1}, {l, b - 1}});
        break;
    case sArrowDown:
        polygon({{l, t}, {r - 1, t}, {l + hw, b - 1}});
        break;
    case sRectangle:
        // A rounded rectangle with 1 x 1 corners is a plain rectangle.
        canvas.drawRect(l, t, r - l - 1, b - t - 1);
        break;
    case sDiamondLeft:
        polygon({{l, t}, {l + hw, t}, {r, b}, {l + hw, b}});
        break;
    case sDiamondRight:
        polygon({{l + hw, t}, {r, t}, {l + hw, b}, {l, b}});
        break;
    }
    canvas.restore();
}

template <typename T> void TLED::Store(T& field, T value) {
    if (field == value)
        return;
    field = value;
    Change();
}

void TLED::SetShape(TLEDShape value) {
    Store(FShape, value);
}
void TLED::SetColorOn(TColor value) {
    Store(FColorOn, value);
}
void TLED::SetColorOff(TColor value) {
    Store(FColorOff, value);
}

void TLED::SetWidth(int value) {
    if (value >= MinSize && value <= MaxSize)
        Store(FWidth, value);
}

void TLED::SetHeight(int value) {
    if (value >= MinSize && value <= MaxSize)
        Store(FHeight, value);
}

void TLED::Draw(QPainter& canvas, bool on, const QPalette& palette) const {
    DrawShape(canvas, Rect, FShape, ToQColor(on ? FColorOn : FColorOff, palette),
              ToQColor(clBtnShadow, palette), ToQColor(clBtnHighlight, palette));
}

// ---------------------------------------------------------- on/off control

namespace {

// Set while a status word spreads through a group, so that the members it
// reaches do not spread it again.
bool groupPropagating = false;

std::uint32_t Bit(int number) {
    return std::uint32_t{1} << number;
}

} // namespace

TOnOffControl::TOnOffControl(QWidget* parent) : QWidget(parent) {}

TOnOffControl::~TOnOffControl() {
    UnregisterFlashClient(this);
}

void TOnOffControl::SetChecked(bool value) {
    if (value == FChecked)
        return;
    FChecked = value;
    FollowFlashState();
    const std::uint32_t status = static_cast<std::uint32_t>(FStatusInt);
    if (value)
        SetStatusInt(static_cast<std::int32_t>(FMode == mRadioButton ? Bit(FStatusBit)
                                                                     : status | Bit(FStatusBit)));
    else if (FMode != mRadioButton)
        SetStatusInt(static_cast<std::int32_t>(status & ~Bit(FStatusBit)));
    NotifyStatusChanged();
}

void TOnOffControl::SetFlashing(bool value) {
    if (value == FFlashing)
        return;
    FFlashing = value;
    FollowFlashState();
    NotifyStatusChanged();
}

void TOnOffControl::SetFrequency(TFlashFreq value) {
    FFrequency = value;
    if (FChecked && FFlashing)
        StartFlash();
}

void TOnOffControl::SetStatusInt(std::int32_t value) {
    if (value == FStatusInt)
        return;
    FStatusInt = value;
    const std::uint32_t status = static_cast<std::uint32_t>(value);
    SetChecked((status & Bit(FStatusBit)) != 0);
    FFirstCheckedBit = status == 0 ? 32 : std::countr_zero(status);
    StatusIntChanged();
    if (OnStatusIntChanged)
        OnStatusIntChanged(this);
    PropagateToGroup();
}

void TOnOffControl::SetStatusBit(int value) {
    if (value == FStatusBit || value < 0 || value > 31)
        return;
    FStatusBit = value;
    SetChecked((static_cast<std::uint32_t>(FStatusInt) & Bit(value)) != 0);
}

void TOnOffControl::SetGroupIndex(int value) {
    if (value == FGroupIndex || value < 0)
        return;
    FGroupIndex = value;
    AdoptGroupStatus();
    GroupIndexChanged();
}

void TOnOffControl::SetMode(TMode value) {
    FMode = value;
    if (value == mButton)
        SetStatusInt(0);
    else if (value == mRadioButton)
        SetStatusInt(1);
}

void TOnOffControl::StartFlash() {
    RegisterFlashClient(this, FlashCode(FFrequency));
}

void TOnOffControl::FollowFlashState() {
    if (FChecked && FFlashing)
        StartFlash();
    else
        UnregisterFlashClient(this);
}

void TOnOffControl::NotifyStatusChanged() {
    StatusChanged();
    if (OnStatusChanged)
        OnStatusChanged(this);
}

// The members of a group are the on/off controls of the same window, in the
// window's order, this control included.
QList<TOnOffControl*> TOnOffControl::GroupMembers() const {
    QList<TOnOffControl*> members;
    QWidget* owner = window();
    if (owner == this) {
        members.append(const_cast<TOnOffControl*>(this));
        return members;
    }
    for (TOnOffControl* control : owner->findChildren<TOnOffControl*>()) {
        if (control->FGroupIndex == FGroupIndex)
            members.append(control);
    }
    return members;
}

void TOnOffControl::PropagateToGroup() {
    if (FGroupIndex == 0 || groupPropagating)
        return;
    groupPropagating = true;
    for (TOnOffControl* member : GroupMembers())
        member->SetStatusInt(FStatusInt);
    groupPropagating = false;
}

void TOnOffControl::AdoptGroupStatus() {
    if (FGroupIndex == 0)
        return;
    const QList<TOnOffControl*> members = GroupMembers();
    if (!members.isEmpty())
        SetStatusInt(members.first()->FStatusInt);
}

void TOnOffControl::ParamChange(QObject*) {}
void TOnOffControl::StatusChanged() {}
void TOnOffControl::GroupIndexChanged() {}
void TOnOffControl::StatusIntChanged() {}
void TOnOffControl::Flash(bool) {}

bool TOnOffControl::event(QEvent* event) {
    if (event->type() == WM_FLASHTICK) {
        Flash(static_cast<TFlashTickEvent*>(event)->Param() != 0);
        return true;
    }
    return QWidget::event(event);
}

void TOnOffControl::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        FMouseIsDown = true;
        switch (FMode) {
        case mButton:
            SetChecked(true);
            break;
        case mSwitch:
            SetChecked(!FChecked);
            break;
        case mRadioButton:
            SetStatusInt(static_cast<std::int32_t>(Bit(FStatusBit)));
            break;
        case mIndicator:
            break;
        }
    }
    if (OnMouseDown)
        OnMouseDown(this, event);
}

void TOnOffControl::mouseReleaseEvent(QMouseEvent* event) {
    const bool left = event->button() == Qt::LeftButton;
    if (left && rect().contains(event->position().toPoint()) && OnClick)
        OnClick(this);
    if (OnMouseUp)
        OnMouseUp(this, event);
    if (!left)
        return;
    FMouseIsDown = false;
    if (FMode == mIndicator)
        return;
    if (FMode == mButton)
        SetChecked(false);
    StatusChanged();
}
