#pragma once
// A level with its recent past: a bar filled to the latest value of a fixed
// scale, the value's text on it, and beneath it a line of the last
// kHistory values, oldest on the left. The bar is green, orange from the
// warning level on and red from the alarm level on; a stale level is grey.

#include <QString>
#include <QWidget>
#include <deque>

class TTrendGauge : public QWidget {
    Q_OBJECT
public:
    static constexpr std::size_t kHistory = 60;

    // Values from 0 to fullScale; warning and alarm levels on that scale.
    TTrendGauge(QWidget* parent, double fullScale, double warning, double alarm);

    // The latest value and its text ("180 of 255").
    void Add(double value, const QString& text);
    void SetStale(bool stale);
    bool IsStale() const { return stale_; }
    const std::deque<double>& History() const { return history_; }
    const QString& Text() const { return text_; }

    QSize sizeHint() const override { return {220, 52}; }
    QSize minimumSizeHint() const override { return {120, 44}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor LevelColour(double value) const;

    double fullScale_, warning_, alarm_;
    std::deque<double> history_;
    QString text_;
    bool stale_ = false;
};
