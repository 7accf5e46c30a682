#include "widgets/SatelliteMarks.h"

#include <QPainter>
#include <QPolygonF>
#include <array>
#include <cmath>
#include <numbers>

namespace {
const std::array<TConstellationLook, kConstellationCount> kLooks{{
    {"GPS", QColor(0x1f, 0x6f, 0xd0), TMarkSymbol::Circle},
    {"GLONASS", QColor(0xd0, 0x30, 0x30), TMarkSymbol::Square},
    {"Galileo", QColor(0x20, 0x9a, 0x40), TMarkSymbol::Diamond},
    {"BeiDou", QColor(0xe0, 0x8a, 0x00), TMarkSymbol::TriangleUp},
    {"QZSS", QColor(0x90, 0x40, 0xc0), TMarkSymbol::TriangleDown},
    {"SBAS", QColor(0x00, 0xa0, 0xa8), TMarkSymbol::Hexagon},
    {"Other", QColor(0x70, 0x70, 0x70), TMarkSymbol::Cross},
}};

QPolygonF RegularPolygon(const QPointF& centre, double radius, int corners, double startDegrees) {
    QPolygonF polygon;
    for (int corner = 0; corner < corners; ++corner) {
        const double angle = (startDegrees + 360.0 * corner / corners) * std::numbers::pi / 180;
        polygon << centre + QPointF(radius * std::cos(angle), radius * std::sin(angle));
    }
    return polygon;
}
} // namespace

const TConstellationLook& LookOf(TConstellation constellation) {
    const auto index = static_cast<std::size_t>(constellation);
    return kLooks[index < kLooks.size() ? index : kLooks.size() - 1];
}

void DrawMarkSymbol(QPainter& painter, TConstellation constellation, const QPointF& centre,
                    double size, bool used, const QColor& colour) {
    const TConstellationLook& look = LookOf(constellation);
    const QColor drawn = colour.isValid() ? colour : look.Colour;
    const double r = size / 2;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(drawn, 2));
    painter.setBrush(used ? QBrush(drawn) : Qt::NoBrush);
    switch (look.Symbol) {
    case TMarkSymbol::Circle:
        painter.drawEllipse(centre, r, r);
        break;
    case TMarkSymbol::Square:
        painter.drawRect(QRectF(centre.x() - r, centre.y() - r, size, size));
        break;
    case TMarkSymbol::Diamond:
        painter.drawPolygon(RegularPolygon(centre, r * 1.25, 4, -90));
        break;
    case TMarkSymbol::TriangleUp:
        painter.drawPolygon(RegularPolygon(centre, r * 1.3, 3, -90));
        break;
    case TMarkSymbol::TriangleDown:
        painter.drawPolygon(RegularPolygon(centre, r * 1.3, 3, 90));
        break;
    case TMarkSymbol::Hexagon:
        painter.drawPolygon(RegularPolygon(centre, r * 1.1, 6, 0));
        break;
    case TMarkSymbol::Cross:
        painter.drawLine(centre + QPointF(-r, -r), centre + QPointF(r, r));
        painter.drawLine(centre + QPointF(-r, r), centre + QPointF(r, -r));
        break;
    }
    painter.restore();
}
