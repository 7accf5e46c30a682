#pragma once
// Positions as metres east and north of a reference at the centre, north up
// and east right on equal axes: one dot per position in the colour of its
// fix kind, rings round the reference at round distances, a scale bar, and a
// legend of the kinds drawn with their counts. The scale follows the spread:
// the outer ring reaches just past the position farthest from the reference.
// The newest position is ringed, so the eye finds where the receiver is now.

#include <QColor>
#include <QString>
#include <QWidget>
#include <vector>

// A position to draw. Kind is one of TDeviationPlot's kinds.
struct TDeviationPoint {
    double East = 0;  // metres
    double North = 0; // metres
    int Kind = 0;
};

class TDeviationPlot : public QWidget {
    Q_OBJECT
public:
    // The kinds of fix, in the legend's order.
    enum Kind { NoFix, Fix2D, Fix3D, Dgnss, RtkFloat, RtkFixed, DeadReckoning, KindCount };
    static QString KindName(int kind);
    static QColor KindColour(int kind);

    explicit TDeviationPlot(QWidget* parent = nullptr);

    // The points oldest first; a kind out of range draws as NoFix.
    void SetPoints(std::vector<TDeviationPoint> points);
    const std::vector<TDeviationPoint>& Points() const { return points_; }

    // Where a point east and north of the reference (metres) is drawn.
    QPointF PixelOf(double east, double north) const;
    // Metres between two rings, and from the reference to the outer one.
    double RingStep() const { return ringStep_; }
    double Radius() const { return radius_; }
    // The scale bar: as long as RingStep().
    QRectF ScaleBarRect() const;

    // The dots' diameter in pixels.
    static constexpr double kDotSize = 5;

    QSize sizeHint() const override { return {420, 420}; }
    QSize minimumSizeHint() const override { return {200, 200}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPointF Centre() const;
    double RadiusPixels() const;
    void Rescale();
    void DrawGrid(QPainter& painter) const;
    void DrawPoints(QPainter& painter) const;
    void DrawLegend(QPainter& painter) const;
    void DrawScaleBar(QPainter& painter) const;

    std::vector<TDeviationPoint> points_;
    double ringStep_ = 1;
    double radius_ = 1;
};

// A distance as the plot writes it: "50 cm", "2 m", "1.5 km".
QString DistanceText(double metres);
