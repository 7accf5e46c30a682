#pragma once
// The "Receiver" page: the receiver at a glance. The fix panel (time,
// position, heights, fix, satellites, DOPs, speed, accuracies, age) beside the
// sky plot and the signal chart of the satellites in view. Values not
// refreshed for three seconds are greyed out as stale.

#include "protocol/state/ReceiverState.h"
#include "widgets/ValuePanel.h"
#include "window/blocks/PositionText.h"
#include "window/parts/ReceiverFeed.h"

#include <QWidget>

class QCheckBox;
class TSignalChart;
class TSkyPlot;

class TReceiverPage : public QWidget {
    Q_OBJECT
public:
    explicit TReceiverPage(QWidget* parent,
                           TValuePanel::Clock clock = &std::chrono::steady_clock::now);

    // Shows the refreshed values of snapshot; the others keep what they show
    // and go stale in time.
    void Show(const protocol::ReceiverSnapshot& snapshot, const TReceiverFeed::TFresh& fresh);

private:
    void LayOut(TValuePanel::Clock clock);
    TAngleStyle AngleStyle() const;
    void ShowPosition(const protocol::Position& position);
    void ShowFix(const protocol::ReceiverSnapshot& snapshot);
    void ShowSatellites(const std::vector<protocol::SatelliteInView>& satellites);
    void ShowAge();
    void AngleStyleChanged();

    TValuePanel* pnlFix;
    QCheckBox* cbFixDms;
    TSkyPlot* pbSky;
    TSignalChart* pbSignals;
    std::optional<protocol::Position> position_; // the last shown
    std::optional<std::chrono::steady_clock::time_point> fixAt_;
};
