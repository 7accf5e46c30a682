#pragma once
// The sky as the receiver's antenna sees it: the horizon is the outer circle,
// the zenith its centre, north up and east right. Each satellite sits at its
// azimuth and elevation in its constellation's symbol, filled when used in the
// fix, labelled with its number. A satellite below the horizon is left out.

#include "widgets/SatelliteMarks.h"

#include <QWidget>

class TSkyPlot : public QWidget {
    Q_OBJECT
public:
    explicit TSkyPlot(QWidget* parent = nullptr);

    const TSatelliteMarks& Satellites() const { return satellites_; }
    void SetSatellites(const TSatelliteMarks& satellites);

    // Where a satellite at azimuth and elevation (degrees) is drawn.
    QPointF PositionOf(double azimuth, double elevation) const;

    QSize sizeHint() const override { return {320, 320}; }
    QSize minimumSizeHint() const override { return {160, 160}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPointF Centre() const;
    double HorizonRadius() const;
    void DrawGrid(QPainter& painter) const;
    void DrawLegend(QPainter& painter) const;

    TSatelliteMarks satellites_;
};
