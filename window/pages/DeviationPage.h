#pragma once
// The "Deviation" page: how the receiver's fixes scatter round a reference.
// The plot shows the fixes of the chosen window (the last 1, 5, 15 or 60
// minutes of the fixes' own UTC time, or all of them) as metres east and
// north of the reference, coloured by fix kind; beside it the statistics of
// the same fixes: their count, CEP50, CEP95, 2DRMS, largest error, mean
// height and its standard deviation, and mean position. The reference is the
// mean of the shown fixes, a typed latitude, longitude and height, or the
// base station whose RTCM 1005/1006 the receiver sent last (its latitude and
// longitude: the station's height is above the ellipsoid, not sea level). Clear
// starts the page on the fixes that come next; the window's fixes stay.
//
// The page redraws on a timer, never per fix (PacedRedraw.h).

#include "protocol/decoding/Decoded.h"
#include "protocol/history/DeviationStatistics.h"
#include "protocol/history/PositionHistory.h"

#include <QWidget>
#include <optional>

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TDeviationPlot;
class TPacedRedraw;

class TDeviationPage : public QWidget {
    Q_OBJECT
public:
    enum Window { wLastMinute, wLast5Minutes, wLast15Minutes, wLast60Minutes, wEverything };
    enum ReferenceChoice { rcMean, rcTyped, rcBase };
    static constexpr int kRedrawMs = 200;

    TDeviationPage(QWidget* parent, const protocol::PositionHistory& fixes);

    // The fixes changed: a later tick redraws.
    void FixesChanged();
    // Draws the plot and the statistics of the window's fixes now.
    void Redraw();
    // The base station the receiver reported last; none while it reported none.
    void ShowBase(const std::optional<protocol::BaseStation>& base);
    // The statistics drawn last; nothing while no fix is shown.
    const std::optional<protocol::DeviationStatistics>& Statistics() const { return shown_; }

private:
    void LayOut();
    QWidget* MakeReferenceBox();
    QWidget* MakeStatisticsBox();
    void Clear();
    void UseMean();
    // The typed reference; throws std::runtime_error saying what is wrong.
    protocol::ReferencePoint TypedReference() const;
    // The chosen reference, none for the mean; throws std::runtime_error
    // saying what is missing.
    std::optional<protocol::ReferencePoint> ChosenReference() const;
    protocol::PositionHistory::Range Shown() const;
    void Draw();
    void ShowStatistics(const std::optional<protocol::DeviationStatistics>& statistics);

    const protocol::PositionHistory& fixes_;
    std::optional<double> clearedAt_; // the newest fix's time at Clear
    std::optional<protocol::DeviationStatistics> shown_;
    std::optional<protocol::ReferencePoint> base_;
    TPacedRedraw* redraw_;

    TDeviationPlot* pbDeviation;
    QComboBox* cbDeviationWindow; // a Window
    QButtonGroup* reference_;     // a ReferenceChoice
    QRadioButton* rbDeviationMean;
    QRadioButton* rbDeviationTyped;
    QRadioButton* rbDeviationBase;
    QLineEdit* edDeviationLatitude;
    QLineEdit* edDeviationLongitude;
    QLineEdit* edDeviationHeight;
    QPushButton* btnDeviationUseMean;
    QLabel* lbDeviationReferenceError;
    QPushButton* btnDeviationClear;
};
