#include "window/blocks/PacedRedraw.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace {
constexpr int kCostFactor = 10;
}

TPacedRedraw::TPacedRedraw(QWidget* page, std::function<void()> draw, int intervalMs)
    : QObject(page), page_(page), draw_(std::move(draw)), timer_(new QTimer(this)) {
    page_->installEventFilter(this);
    connect(timer_, &QTimer::timeout, this, &TPacedRedraw::Tick);
    timer_->start(intervalMs);
    sinceDrawn_.start();
}

void TPacedRedraw::Now() {
    QElapsedTimer cost;
    cost.start();
    changed_ = false;
    draw_();
    costMs_ = cost.elapsed();
    sinceDrawn_.restart();
}

void TPacedRedraw::Tick() {
    if (changed_ && page_->isVisible() && sinceDrawn_.elapsed() >= kCostFactor * costMs_)
        Now();
}

bool TPacedRedraw::eventFilter(QObject* watched, QEvent* event) {
    if (watched == page_ && event->type() == QEvent::Show && changed_)
        Now();
    return false;
}
