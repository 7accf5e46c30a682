#pragma once
// A radio spectrum as a line of levels (dB) over frequency (MHz), with
// vertical markers at named frequencies (the GNSS bands) and, while the mouse
// is over the plot, a cursor line with the frequency and level under it. The
// level scale follows the levels shown in steps of 10 dB. A stale spectrum
// is drawn grey.

#include <QPointF>
#include <QString>
#include <QWidget>
#include <optional>
#include <vector>

struct TFrequencyMarker {
    QString Name; // "L1"
    double MHz = 0;
};

class TSpectrumChart : public QWidget {
    Q_OBJECT
public:
    explicit TSpectrumChart(QWidget* parent = nullptr);

    // Points as (MHz, dB), in rising frequency.
    void SetSpectrum(const QString& title, std::vector<QPointF> points);
    // Markers named in the order given where names would crowd.
    void SetMarkers(std::vector<TFrequencyMarker> markers);
    void SetStale(bool stale);
    bool IsStale() const { return stale_; }

    // The x pixel of a frequency, and the frequency at an x pixel; the
    // frequency range is that of the points.
    double XOf(double MHz) const;
    double MHzAt(double x) const;
    // "1575.42 MHz, 41.5 dB" under the cursor; empty while it is not over the plot.
    QString CursorText() const;

    QSize sizeHint() const override { return {480, 220}; }
    QSize minimumSizeHint() const override { return {240, 140}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QRectF PlotArea() const;
    double YOf(double db) const;
    // The level of the point nearest to a frequency.
    std::optional<double> LevelAt(double MHz) const;
    void DrawGrid(QPainter& painter, const QRectF& plot) const;
    void DrawMarkers(QPainter& painter, const QRectF& plot) const;
    void DrawCursor(QPainter& painter, const QRectF& plot) const;

    QString title_;
    std::vector<QPointF> points_;
    std::vector<TFrequencyMarker> markers_;
    double lowDb_ = 0, highDb_ = 60; // the scale
    bool stale_ = false;
    std::optional<double> cursorX_;
};
