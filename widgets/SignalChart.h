#pragma once
// Signal strength of each satellite as a bar of its C/N0 (0 to 60 dBHz, higher
// values drawn at the top), grouped by constellation with the group's name
// beneath and each satellite's number under its bar (where it finds room
// beside its neighbours' numbers). A bar used in the fix is filled in the
// constellation's colour; one not used is a pale outline. A satellite whose
// report is stale is drawn grey. Marks of one satellite's signals in several
// bands stand side by side in its place, L1 first, each further band a
// darker shade, named in a legend.

#include "widgets/SatelliteMarks.h"

#include <QWidget>

class TSignalChart : public QWidget {
    Q_OBJECT
public:
    explicit TSignalChart(QWidget* parent = nullptr);

    // The satellites in drawing order: by constellation, then by number and band.
    const TSatelliteMarks& Satellites() const { return satellites_; }
    void SetSatellites(const TSatelliteMarks& satellites);

    // The bar of a satellite (its first band's), or of one of its signals;
    // empty when the chart does not show it.
    QRectF BarOf(TConstellation constellation, int number) const;
    QRectF BarOf(TConstellation constellation, int number, TSignalBand band) const;

    QSize sizeHint() const override { return {480, 200}; }
    QSize minimumSizeHint() const override { return {200, 120}; }

    static constexpr double kFullScale = 60; // dBHz at the top of the chart

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // A satellite's place: its first mark and how many there are.
    struct TSlot {
        std::size_t First = 0, Count = 1;
    };
    QRectF PlotArea() const;
    double SlotWidth() const;
    double SlotLeft(std::size_t slot) const;
    QRectF BarAt(std::size_t slot, std::size_t mark) const;
    void DrawScale(QPainter& painter) const;
    void DrawLegend(QPainter& painter) const;

    TSatelliteMarks satellites_;
    std::vector<TSlot> slots_;
};
