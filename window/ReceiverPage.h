#pragma once
// The "Receiver" page: the receiver at a glance. The fix panel (time,
// position, heights, fix, satellites, DOPs, speed, accuracies, age) beside the
// sky plot and the signal chart of the satellites in view. Values not
// refreshed for three seconds are greyed out as stale.

#include "widgets/ValuePanel.h"
#include "window/PositionText.h"

#include <QWidget>

class QCheckBox;
class TSignalChart;
class TSkyPlot;

class TReceiverPage : public QWidget {
    Q_OBJECT
public:
    explicit TReceiverPage(QWidget* parent,
                           TValuePanel::Clock clock = &std::chrono::steady_clock::now);

    TValuePanel& FixPanel() { return *pnlFix; }
    TSkyPlot& SkyPlot() { return *pbSky; }
    TSignalChart& SignalChart() { return *pbSignals; }

private:
    void LayOut(TValuePanel::Clock clock);
    TAngleStyle AngleStyle() const;

    TValuePanel* pnlFix;
    QCheckBox* cbFixDms;
    TSkyPlot* pbSky;
    TSignalChart* pbSignals;
};
