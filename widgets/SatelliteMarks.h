#pragma once
// Satellites as the sky plot and the signal chart draw them: plain values
// handed over by the window, and one look per constellation (name, colour,
// symbol) shared by both pictures so a satellite reads the same in each.

#include <QColor>
#include <QString>
#include <vector>

enum class TConstellation { Gps, Glonass, Galileo, BeiDou, Qzss, Sbas, Other };

// The band of one signal of a satellite; Any for a satellite drawn as one
// (its strongest signal).
enum class TSignalBand { Any, L1, L2, L5, E6 };

inline constexpr int kConstellationCount = 7;

struct TSatelliteMark {
    TConstellation Constellation = TConstellation::Other;
    int Number = 0;       // as the receiver numbers it within its constellation
    double Azimuth = 0;   // degrees clockwise from north
    double Elevation = 0; // degrees above the horizon; negative: not placed
    double Cn0 = 0;       // dBHz; 0: not tracked
    bool Used = false;    // used in the fix
    bool Stale = false;   // not reported for a while: drawn grey
    TSignalBand Band = TSignalBand::Any;
};

using TSatelliteMarks = std::vector<TSatelliteMark>;

enum class TMarkSymbol { Circle, Square, Diamond, TriangleUp, TriangleDown, Hexagon, Cross };

struct TConstellationLook {
    QString Name;
    QColor Colour;
    TMarkSymbol Symbol;
};

const TConstellationLook& LookOf(TConstellation constellation);

class QPainter;
class QPointF;

// Draws the constellation's symbol centred on centre, size pixels across;
// filled in its colour (or in colour where given: a stale mark's grey) when
// used, its outline only otherwise.
void DrawMarkSymbol(QPainter& painter, TConstellation constellation, const QPointF& centre,
                    double size, bool used, const QColor& colour = QColor());
