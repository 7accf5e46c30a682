#pragma once
// Values over time: one line per series across a span of time, the value
// axis scaled to the values in the span at round steps, UTC times of day
// beneath at round steps, and the title and the series' names above. A line
// breaks where a series has no value (NaN) or where its points lie more than
// kGapSeconds apart. Thousands of points draw at the cost of the chart's
// width: points that fall on one column of pixels are drawn as its range.

#include <QColor>
#include <QPointF>
#include <QString>
#include <QWidget>
#include <optional>
#include <vector>

struct TTimeSeries {
    QString Name;
    QColor Colour;
    // x: UTC seconds since 1970, y: the value; oldest first.
    std::vector<QPointF> Points;
};

class TTimeChart : public QWidget {
    Q_OBJECT
public:
    static constexpr double kGapSeconds = 10;

    explicit TTimeChart(QWidget* parent = nullptr);

    // What the chart shows, with its unit: "Height MSL (m)".
    void SetTitle(const QString& title);
    QString Title() const { return title_; }
    // A value the value axis always reaches, as 0 for counts.
    void SetBaseline(std::optional<double> baseline);
    // The series and the span shown, from start to end in UTC seconds.
    void SetSeries(std::vector<TTimeSeries> series, double start, double end);
    const std::vector<TTimeSeries>& Series() const { return series_; }
    double Start() const { return start_; }
    double End() const { return end_; }

    // The value axis: its lowest and highest value and its step.
    double Bottom() const { return bottom_; }
    double Top() const { return top_; }
    double ValueStep() const { return valueStep_; }
    // The seconds between two times written beneath.
    double TimeStep() const;

    QRectF PlotArea() const;
    // Where a value at a time is drawn.
    QPointF PixelOf(double seconds, double value) const;

    QSize sizeHint() const override { return {480, 180}; }
    QSize minimumSizeHint() const override { return {200, 100}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Rescale();
    QString ValueText(double value) const;
    double ScaleWidth() const;
    void DrawAxes(QPainter& painter) const;
    void DrawSeries(QPainter& painter, const TTimeSeries& series) const;
    void DrawHeading(QPainter& painter) const;

    QString title_;
    std::optional<double> baseline_;
    std::vector<TTimeSeries> series_;
    double start_ = 0, end_ = 60;
    double bottom_ = 0, top_ = 1, valueStep_ = 0.25;
    bool empty_ = true; // no value in the span
};
