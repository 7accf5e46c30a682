#pragma once
// Redraws a page that shows data piling up (fixes, signals) on a timer
// rather than per change: a tick redraws when the data changed and the page
// is visible, and waits at least ten times as long as the last redraw took,
// so even a day of data never holds up the window. A page shown again is
// redrawn at once if its data changed while it was hidden.

#include <QElapsedTimer>
#include <QObject>
#include <functional>

class QTimer;
class QWidget;

class TPacedRedraw : public QObject {
    Q_OBJECT
public:
    TPacedRedraw(QWidget* page, std::function<void()> draw, int intervalMs);

    // The data changed: a later tick redraws.
    void Changed() { changed_ = true; }
    // Redraws at once.
    void Now();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Tick();

    QWidget* page_;
    std::function<void()> draw_;
    QTimer* timer_;
    QElapsedTimer sinceDrawn_;
    qint64 costMs_ = 0;
    bool changed_ = true;
};
