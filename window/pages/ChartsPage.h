#pragma once
// The "Charts" page: the receiver over the last 5, 15 or 60 minutes of its
// own UTC time, so a replay charts the drive's hours as they were recorded,
// however fast it runs. C/N0 of the satellites picked in the list and the
// mean of the strongest four; satellites used and in view; HDOP and PDOP;
// height above mean sea level; speed; the horizontal accuracy the receiver
// estimates. Fix values come from the fixes, C/N0 and satellites in view
// from the signal history, both kept by the window whether or not the page
// is built. The page redraws on a timer, never per fix (PacedRedraw.h).

#include "protocol/history/PositionHistory.h"
#include "protocol/history/SignalHistory.h"

#include <QWidget>
#include <map>
#include <vector>

class QComboBox;
class QListWidget;
class QListWidgetItem;
class TPacedRedraw;
class TTimeChart;

class TChartsPage : public QWidget {
    Q_OBJECT
public:
    enum Span { sp5Minutes, sp15Minutes, sp60Minutes };
    static constexpr int kRedrawMs = 200;
    static constexpr std::size_t kStrongest = 4;

    TChartsPage(QWidget* parent, const protocol::PositionHistory& fixes,
                const protocol::SignalHistory& signalHistory);

    // The fixes or signals changed: a later tick redraws.
    void DataChanged();
    // Draws the charts now.
    void Redraw();

private:
    void LayOut();
    TTimeChart* AddChart(const char* name, const QString& title, bool fromZero);
    void Draw();
    void ListSatellites(const std::vector<protocol::SatelliteId>& satellites);
    void PickChanged(QListWidgetItem* item);

    const protocol::PositionHistory& fixes_;
    const protocol::SignalHistory& signals_;
    std::vector<protocol::SatelliteId> listed_;
    std::map<protocol::SatelliteId, int> picked_; // with the index of its colour
    TPacedRedraw* redraw_;

    QComboBox* cbChartsSpan; // a Span
    QListWidget* lstChartsSatellites;
    std::vector<TTimeChart*> charts_;
};
