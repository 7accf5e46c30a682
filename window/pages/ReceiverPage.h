#pragma once
// The "Receiver" page: the receiver at a glance. The fix panel (time,
// position, heights, fix, what it makes of corrections with the baseline to
// the reference station, the RTCM the receiver took in, satellites, DOPs,
// speed, accuracies, age) above a
// table of the satellites in view, beside their sky plot and signal chart
// (a stale satellite greyed in all three). Where the receiver reports its
// signals (NAV-SIG) the chart draws a bar per signal band of each
// satellite, as long as those reports come. Values not refreshed for three
// seconds are greyed out as stale, and those that depend on the fix as soon
// as the receiver reports none.

#include "protocol/state/ReceiverState.h"
#include "widgets/SatelliteMarks.h"
#include "widgets/ValuePanel.h"
#include "window/blocks/PositionText.h"
#include "window/parts/ReceiverFeed.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QTableView;
class TSatelliteTableModel;
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
    // Says above the page that the line cannot carry what the receiver is
    // asked to send; empty text hides it.
    void ShowLineWarning(const QString& text);

private:
    void LayOut(TValuePanel::Clock clock);
    TAngleStyle AngleStyle() const;
    void ShowPosition(const protocol::Position& position);
    void ShowFix(const protocol::ReceiverSnapshot& snapshot);
    void ShowCorrections(const protocol::ReceiverSnapshot& snapshot,
                         const TReceiverFeed::TFresh& fresh);
    bool SatellitesAged(const std::vector<protocol::TrackedSatellite>& satellites);
    void ShowSatellites(const std::vector<protocol::TrackedSatellite>& satellites);
    // Notes a signal report; true when the chart must be drawn again: new
    // signals, or those drawn went stale or away.
    bool SignalsChanged(const protocol::ReceiverSnapshot& snapshot,
                        const TReceiverFeed::TFresh& fresh);
    void ShowAge();
    void AngleStyleChanged();

    QLabel* lbLineWarning;
    TValuePanel* pnlFix;
    QCheckBox* cbFixDms;
    TSkyPlot* pbSky;
    TSignalChart* pbSignals;
    TSatelliteTableModel* satelliteRows_;
    QTableView* tvSatellites;
    std::optional<protocol::Position> position_; // the last shown
    std::optional<std::chrono::steady_clock::time_point> fixAt_;
    std::pair<std::size_t, std::size_t> drawnSatellites_; // how many, how many stale
    TSatelliteMarks satelliteMarks_;                      // as last drawn
    std::vector<protocol::SignalInView> signals_;         // the last reported
    std::optional<std::chrono::steady_clock::time_point> signalsAt_;
    std::pair<bool, bool> drawnSignals_; // drawn per signal, stale
};
