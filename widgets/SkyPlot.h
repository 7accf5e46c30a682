#pragma once
// The sky as the receiver's antenna sees it: the horizon is the outer circle,
// the zenith its centre, north up and east right. Each satellite sits at its
// azimuth and elevation in its constellation's symbol, filled when used in the
// fix, labelled with its number where the label finds room beside its mark
// (labels never overlap). A satellite whose report is stale is drawn grey; one
// below the horizon is left out.

#include "widgets/SatelliteMarks.h"

#include <QWidget>
#include <optional>

class TSkyPlot : public QWidget {
    Q_OBJECT
public:
    explicit TSkyPlot(QWidget* parent = nullptr);

    const TSatelliteMarks& Satellites() const { return satellites_; }
    void SetSatellites(const TSatelliteMarks& satellites);

    // Where a satellite at azimuth and elevation (degrees) is drawn.
    QPointF PositionOf(double azimuth, double elevation) const;
    // Where each satellite's number is written, in the order of
    // Satellites(); empty for one below the horizon or without room.
    std::vector<std::optional<QRectF>> LabelRects() const;

    static constexpr double kMarkSize = 11; // pixels across

    QSize sizeHint() const override { return {320, 320}; }
    QSize minimumSizeHint() const override { return {160, 160}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPointF Centre() const;
    double HorizonRadius() const;
    void DrawGrid(QPainter& painter) const;
    void DrawLegend(QPainter& painter) const;
    QRectF LegendRect() const;
    std::vector<QRectF> CompassRects() const;

    TSatelliteMarks satellites_;
};
