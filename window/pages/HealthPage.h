#pragma once
// The "Health" page: what troubles a receiver outside its solution. The
// antenna's status and power, jamming state, noise and the receiver's own
// load (MON-RF or MON-HW, MON-SYS) in a column of values; the jamming
// indicator and gain control of each RF block and the receiver's CPU load as
// gauges with their last minute; the spectrum of each RF block (MON-SPAN)
// with the GNSS bands marked; each port's transmit and receive load
// (MON-COMMS); the signals tracked (NAV-SIG) in a sortable table. Plain
// warnings above say what to do about a shorted or open antenna, a jammer, a
// transmit buffer running full or growing overruns. Two buttons turn these
// messages on once a second, or off, on the port the window talks to, in
// the receiver's language (the configuration database or CFG-MSG), each
// command's answer shown beside them. Reports not refreshed for three
// seconds are greyed out as stale.

#include "protocol/commands/ReceiverGeneration.h"
#include "protocol/state/ReceiverState.h"
#include "widgets/ValuePanel.h"
#include "window/blocks/HealthTexts.h"
#include "window/parts/ReceiverFeed.h"

#include <QWidget>
#include <array>
#include <chrono>
#include <map>
#include <optional>
#include <vector>

class QGridLayout;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;
class QVBoxLayout;
class TReceiverIdentity;
class TSignalTableModel;
class TSpectrumChart;
class TTrendGauge;
class TUbxCommander;

class THealthPage : public QWidget {
    Q_OBJECT
public:
    THealthPage(QWidget* parent, TUbxCommander& commander, TReceiverIdentity& identity,
                TValuePanel::Clock clock = &std::chrono::steady_clock::now);

    // Shows the refreshed reports of snapshot; the others go stale in time.
    void Show(const protocol::ReceiverSnapshot& snapshot, const TReceiverFeed::TFresh& fresh);

    // The messages the buttons turn on and off.
    static constexpr std::array<const char*, 6> kHealthMessages = {
        "MON-SPAN", "MON-RF", "MON-HW", "MON-COMMS", "MON-SYS", "NAV-SIG"};

private:
    // The gauges of one RF block.
    struct TBlockGauges {
        QLabel* Name;
        TTrendGauge* Jamming;
        TTrendGauge* Agc;
    };
    // The load bars of one port.
    struct TPortBars {
        QLabel* Name;
        QProgressBar* Tx;
        QProgressBar* Rx;
        QLabel* Details;
    };
    enum TReport { Spectra, RfBlocks, Comms, System, Signals, ReportCount };

    void LayOut(TValuePanel::Clock clock);
    QWidget* MakeButtons();
    void ShowRfBlocks(const std::vector<protocol::RfBlockStatus>& blocks);
    void ShowSpectra(const std::vector<protocol::RfSpectrum>& spectra);
    void ShowComms(const protocol::CommsReport& comms);
    void ShowSystem(const protocol::SystemLoad& load);
    void ShowSignals(const std::vector<protocol::SignalInView>& signalsInView);
    void ShowWarnings(const protocol::ReceiverHealth& health, const TReceiverFeed::TFresh& fresh);
    void MarkStale();
    bool IsStale(TReport report) const;
    TBlockGauges& GaugesOf(std::size_t block);
    TPortBars& BarsOf(int portId);
    // Turns the health messages on, once a second, or off on this port.
    void SendRates(bool on);
    // Each message every rate-th solution (0: never), in the receiver's language.
    void SendRatesAs(const ubx::TReceiverGeneration& receiver, std::uint8_t rate);
    void ShowAnswers();

    TUbxCommander& commander_;
    TReceiverIdentity& identity_;
    QLabel* lbHealthWarning;
    TValuePanel* pnlHealth;
    QGridLayout* gaugeGrid_;
    TTrendGauge* ggCpu;
    QGridLayout* portGrid_;
    QVBoxLayout* spectrumColumn_;
    TSignalTableModel* signalRows_;
    QTableView* tvSignals;
    QPushButton* btnHealthOn;
    QPushButton* btnHealthOff;
    QLabel* lblHealthAnswer;

    std::vector<TBlockGauges> blockGauges_;
    std::map<int, TPortBars> portBars_; // by port id
    std::vector<TSpectrumChart*> spectra_;
    std::map<int, double> centersMHz_; // each RF block's spectrum centre
    std::uint64_t rfBlockReports_ = 0; // as last shown
    std::array<std::optional<std::chrono::steady_clock::time_point>, ReportCount> reportedAt_;
    THealthWarnings warnings_;
    // Each message's answer in short ("ACK-ACK") and whole, as last heard.
    std::array<std::pair<QString, QString>, kHealthMessages.size()> answers_;
};
