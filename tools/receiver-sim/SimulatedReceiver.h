#pragma once
// The simulated receiver without its line: what it sends each navigation
// epoch, and how it answers the commands it takes in.
//
// NMEA: "$PUBX,00", "$PUBX,03" and "$PUBX,04" polls are answered with a PUBX
// 00, 03 or 04 sentence; "$PUBX,40,<msg>,<rddc>,<rus1>,<rus2>,<rusb>,<rspi>[,0]"
// sets how often the standard message <msg> goes out on each port (every
// n-th epoch, 0 = never) and is not answered. Sentences with a wrong or
// missing checksum, unknown sentences and broken frames get no answer.
//
// UBX, as a u-blox receiver answers: a CFG poll with the CFG message and
// ACK-ACK, a CFG set with ACK-ACK once taken or ACK-NAK when refused (CFG-PRT,
// CFG-MSG, CFG-RATE, CFG-ANT, CFG-CFG); CFG-RST restarts the receiver without
// an answer; MON-VER and the navigation messages are answered with the
// message alone; anything else is left unanswered. CFG-MSG answers a poll of
// a message it does not send with rates of 0. The port settings of the line
// (UART1) decide which protocols it takes and sends and the rate it talks at.
//
// The receiver generation decides its identity (ReceiverIdentity.h) and its
// configuration interface: 9 and 10 add the configuration database and
// CFG-VALGET, CFG-VALSET and CFG-VALDEL, 10 refuses the legacy CFG messages
// (ConfigCommands.h). Their factory settings leave ZDA off. It also decides
// the messages sent (OutputMessages.h): NAV-SIG from 9, MON-HW up to 9.
//
// As a rover it takes RTCM 3 corrections (RoverCorrections.h): its fix turns
// RTK float, then fixed, in GGA, RMC, NAV-PVT and NAV-SOL; NAV-RELPOSNED
// gives its baseline to the base of 1005, and RXM-RTCM, where turned on,
// reports each RTCM message taken in, a damaged one as failing its CRC.
//
// As a base station (base in its settings) it stands still, and its time
// mode is survey-in: it surveys its position in (SurveyIn.h, NAV-SVIN) and
// once the survey is valid sends RTCM 3 (RtcmOutput.h) on a line whose output
// protocols include RTCM 3. Each message goes out at the rate CFG-MSG (class
// F5) or the CFG-MSGOUT keys give it, from 1 in every epoch. The CFG-TMODE
// keys (generation 9 on) turn survey-in on and off and set its duration and
// accuracy; a change, or a reset, starts the survey afresh.
//
// The health messages (MON-SPAN, MON-RF, MON-HW, MON-COMMS, MON-SYS,
// NAV-SIG) report the RF conditions of the settings and the receiver's own
// activity: MON-COMMS weighs the messages enabled against the line's rate.

#include "tools/receiver-sim/CommandScanner.h"
#include "tools/receiver-sim/ConfigCommands.h"
#include "tools/receiver-sim/NavigationModel.h"
#include "tools/receiver-sim/OutputMessages.h"
#include "tools/receiver-sim/ReceiverActivity.h"
#include "tools/receiver-sim/RfConditions.h"
#include "tools/receiver-sim/RoverCorrections.h"
#include "tools/receiver-sim/SurveyIn.h"
#include "tools/receiver-sim/UbxOutput.h"

#include <chrono>
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
    std::uint32_t lineBaud = 9600;  // UART1's rate as the receiver starts
    std::chrono::milliseconds measurementPeriod{1000};
    bool rtk = false;          // an RTK fixed solution whenever there is a fix
    int generation = 8;        // 8, 9 or 10
    RfConditions rf{};         // a jammer, an antenna fault
    bool base = false;         // a base station: survey-in, then RTCM 3
    SurveyInSettings survey{}; // its survey-in as the receiver starts
    RoverTiming rover{};       // how soon corrections fix the solution, how long it outlasts them
};

class SimulatedReceiver {
public:
    explicit SimulatedReceiver(const ReceiverSettings& settings);

    // The messages of the next navigation epoch in output order, each one
    // complete sentence or frame. The first call gives the starting epoch;
    // each later one moves the receiver on by the epoch period.
    std::vector<std::string> NextEpoch();

    // The TXT sentences a receiver prints as its line comes up.
    std::vector<std::string> Banner() const;

    // Takes bytes from the line; returns the answers to every command these
    // bytes complete, in order, each one complete sentence or frame.
    std::vector<std::string> Receive(std::string_view bytes);

    // Every how many epochs the message ("GGA", "NAV-PVT") goes out on the
    // line (0 = never), or -1 for a message this receiver does not send.
    int MessageRate(std::string_view name) const;
    const AntennaSettings& Antenna() const { return configuration_.InForce().antenna; }
    const NavigationSolution& LastEpoch() const { return model_.Current(); }
    const SurveyIn& Survey() const { return survey_; }
    // The rate the line talks at and the time between epochs, as configured now.
    std::uint32_t LineBaud() const { return configuration_.InForce().Line().baudRate; }
    std::chrono::milliseconds EpochPeriod() const { return configuration_.InForce().EpochPeriod(); }

private:
    void TakeSentence(std::string_view line);
    void TakeFrame(const UbxMessage& message);
    void TakeRtcm(std::string_view frame, bool intact);
    void SetRate(const std::vector<std::string_view>& fields);
    void TakeReset(const std::string& payload);
    // Queues an answer if the line's output protocols let it out.
    void Answer(std::string message);
    bool Sends(std::string_view message) const;
    bool Offers(size_t message) const {
        return kOutputMessages[message].SentBy(settings_.generation);
    }
    // The sentences or frames of kOutputMessages[message] now; those of
    // BuildFromState tell only the receiver's state, not its activity.
    std::vector<std::string> Build(size_t message);
    std::vector<std::string> BuildFromState(size_t message) const;
    std::vector<std::string> BuildRtcm3(size_t message) const;
    // Whether an MSM after kOutputMessages[message] goes out this epoch.
    bool MoreMsmFollow(size_t message) const;
    bool Due(size_t message) const;
    // The bytes per second the messages enabled on the line ask of it.
    LineDemand Demand() const;
    int MessagesEnabled() const;

    ReceiverSettings settings_;
    NavigationModel model_;
    CommandScanner scanner_;
    NmeaDialect dialect_;
    ConfigCommands configuration_;
    bool navigating_ = true; // false while GNSS is stopped
    long epochs_ = 0;
    std::int64_t nowMs_ = 0; // the receiver's time since the simulation began
    RoverCorrections rover_;
    std::vector<std::string> answers_;
    ReceiverActivity activity_;
    SurveyIn survey_;
    std::optional<SurveyInSettings> surveying_; // under which the survey runs; none when off
};
