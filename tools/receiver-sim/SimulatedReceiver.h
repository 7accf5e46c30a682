#pragma once
// The simulated receiver without its line: what it sends each navigation
// epoch, and how it answers the commands it takes in.
//
// Answers: "$PUBX,00", "$PUBX,03" and "$PUBX,04" polls with a PUBX 00, 03 or
// 04 sentence; "$PUBX,40,<msg>,<rddc>,<rus1>,<rus2>,<rusb>,<rspi>[,0]" sets
// how often <msg> goes out (every rus1-th epoch, 0 = never; the simulated
// line is serial port 1) and is not answered; a UBX CFG-ANT poll with a
// CFG-ANT frame and ACK-ACK; a CFG-ANT set by storing flags and pins and
// ACK-ACK; any other intact UBX frame with ACK-NAK. Sentences with a wrong or
// missing checksum, unknown sentences and broken frames get no answer.

#include "tools/receiver-sim/CommandScanner.h"
#include "tools/receiver-sim/NavigationModel.h"
#include "tools/receiver-sim/OutputMessages.h"
#include "tools/receiver-sim/UbxOutput.h"

#include <array>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

struct ReceiverSettings {
    std::time_t startUtc = 0;
    unsigned seed = 1;
    bool interleaveUbx = false;     // the UBX navigation messages within each epoch
    bool positionEachEpoch = false; // a PUBX 00 sentence closing each epoch
    bool multiGnss = false;         // GPS, SBAS, Galileo, BeiDou, QZSS and GLONASS in NMEA 4.11
};

class SimulatedReceiver {
public:
    explicit SimulatedReceiver(const ReceiverSettings& settings);

    // The messages of the next navigation epoch in output order, each one
    // complete sentence or frame. The first call gives the starting epoch.
    std::vector<std::string> NextEpoch();

    // The TXT sentences a receiver prints as its line comes up.
    std::vector<std::string> Banner() const;

    // Takes bytes from the line; returns the answers to every command these
    // bytes complete, in order, each one complete sentence or frame.
    std::vector<std::string> Receive(std::string_view bytes);

    // Every how many epochs the message ("GGA", "NAV-PVT") goes out (0 =
    // never), or -1 for a message this receiver does not send.
    int MessageRate(std::string_view name) const;
    const AntennaSettings& Antenna() const { return antenna_; }
    const NavigationSolution& LastEpoch() const { return model_.Current(); }

private:
    void TakeSentence(std::string_view line);
    void TakeFrame(const UbxMessage& message);
    void SetRate(const std::vector<std::string_view>& fields);

    ReceiverSettings settings_;
    NavigationModel model_;
    CommandScanner scanner_;
    NmeaDialect dialect_;
    std::array<int, kOutputMessageCount> rates_{};
    AntennaSettings antenna_;
    long epochs_ = 0;
    std::vector<std::string> answers_;
};
