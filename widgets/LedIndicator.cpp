#include "widgets/LedIndicator.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

TLedIndicator::TLedIndicator(QWidget* parent) : TOnOffControl(parent), FLED(new TLED(this)) {
    FLED->OnChange = [this](QObject* sender) { ParamChange(sender); };
    resize(73, 33);
}

TLedIndicator::~TLedIndicator() {
    UnregisterFlashClient(this);
}

void TLedIndicator::SetLED_Position(TLEDPos value) {
    if (value == FLED_Position)
        return;
    FLED_Position = value;
    ParamChange(this);
}

void TLedIndicator::SetSpacing(int value) {
    if (value == FSpacing)
        return;
    FSpacing = value;
    ParamChange(this);
}

void TLedIndicator::SetCaption(const QString& value) {
    if (value == FCaption)
        return;
    FCaption = value;
    ParamChange(this);
}

QSize TLedIndicator::sizeHint() const {
    return minimumSizeHint().expandedTo(QSize(73, 33));
}

// Lamp, spacing and caption side by side or one above the other.
QSize TLedIndicator::minimumSizeHint() const {
    const auto [w, h] = LampSize();
    const QFontMetrics metrics(font());
    const QStringList lines = FCaption.split(QLatin1Char('|'));
    int textWidth = 0;
    for (const QString& line : lines)
        textWidth = std::max(textWidth, metrics.horizontalAdvance(line));
    const int textHeight = static_cast<int>(lines.size()) * metrics.height();
    if (FLED_Position == lpLeft || FLED_Position == lpRight)
        return {w + FSpacing + textWidth, std::max(h, textHeight)};
    return {std::max(w, textWidth), h + FSpacing + textHeight};
}

void TLedIndicator::ParamChange(QObject*) {
    updateGeometry();
    update();
}

void TLedIndicator::StatusChanged() {
    ShowLamp(Checked());
}

void TLedIndicator::Flash(bool status) {
    ShowLamp(status);
}

// Switching and flashing repaint the lamp alone, where the last full paint
// put it. Before the first paint that area is empty and the paint to come
// shows the state.
void TLedIndicator::ShowLamp(bool on) {
    FLampShown = on;
    if (isVisible())
        update(LampArea());
}

// A round lamp is always a circle as wide as the larger of the two sizes.
std::pair<int, int> TLedIndicator::LampSize() const {
    if (FLED->Shape() == sRound) {
        const int side = std::max(FLED->Width(), FLED->Height());
        return {side, side};
    }
    return {FLED->Width(), FLED->Height()};
}

// The diamonds reach one pixel past the lamp's right and bottom edge.
QRect TLedIndicator::LampArea() const {
    return FLED->Rect.adjusted(0, 0, 1, 1);
}

void TLedIndicator::paintEvent(QPaintEvent* event) {
    const auto [w, h] = LampSize();
    const int cx = width() / 2;
    const int cy = height() / 2;
    QRect lamp(0, 0, w, h);
    QPoint captionAt;
    int anchor = 0;
    switch (FLED_Position) {
    case lpLeft:
        lamp.moveTop(cy - h / 2);
        captionAt = {w + FSpacing, cy};
        anchor = 3;
        break;
    case lpRight:
        lamp.moveTopLeft({width() - w, cy - h / 2});
        captionAt = {lamp.left() - FSpacing, cy};
        anchor = 5;
        break;
    case lpTop:
        lamp.moveLeft(cx - w / 2);
        captionAt = {cx, h + FSpacing};
        anchor = 1;
        break;
    case lpBottom:
        lamp.moveTopLeft({cx - w / 2, height() - h});
        captionAt = {cx, lamp.top() - FSpacing};
        anchor = 7;
        break;
    }
    FLED->Rect = lamp;

    QPainter canvas(this);
    if (!LampArea().contains(event->rect())) {
        canvas.setPen(palette().color(foregroundRole()));
        DrawTextLines(canvas, captionAt.x(), captionAt.y(), anchor, FCaption);
    }
    FLED->Draw(canvas, FLampShown, palette());
}

void DrawTextLines(QPainter& canvas, int x, int y, int anchor, const QString& text) {
    const int step = QFontMetrics(canvas.font()).height();
    const int block = static_cast<int>(text.count(QLatin1Char('|'))) * step;
    if (anchor >= 3 && anchor <= 5)
        y -= block / 2;
    else if (anchor >= 6 && anchor <= 8)
        y -= block;
    for (const QString& line : text.split(QLatin1Char('|'))) {
        DrawAnchoredText(canvas, x, y, anchor, line);
        y += step;
    }
}

void DrawAnchoredText(QPainter& canvas, int x, int y, int anchor, const QString& line) {
    const QFontMetrics metrics(canvas.font());
    const int tw = metrics.horizontalAdvance(line);
    const int th = metrics.height();
    if (anchor < 0 || anchor > 8)
        anchor = 0;
    const int left = x - (anchor % 3) * tw / 2;
    const int top = y - (anchor / 3) * th / 2;
    canvas.drawText(QPoint(left, top + metrics.ascent()), line);
}
