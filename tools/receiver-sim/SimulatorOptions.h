#pragma once
// The simulator's command line.

#include "tools/receiver-sim/RfConditions.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// The line as a TCP connection instead of a pseudo-terminal: listening on
// 127.0.0.1:port when host is empty (--tcp), else connecting to host:port
// (--tcp-connect).
struct TcpLine {
    std::string host;
    std::string port;
};

struct SimulatorOptions {
    std::string port = "COM13";
    std::optional<TcpLine> tcp;
    long baud = 9600;
    bool ubx = false;
    bool gnss = false;            // several constellations instead of GPS alone
    bool rtk = false;             // an RTK fixed solution whenever there is a fix
    long rtkFixAfterS = 10;       // seconds of corrections before RTK fixed
    long rtkTimeoutS = 30;        // seconds without corrections before RTK is lost
    std::optional<long> rate;     // bytes per second of continuous mixed traffic
    int generation = 8;           // the receiver generation: 8, 9 or 10
    RfConditions rf;              // a jammer, an antenna fault
    bool base = false;            // a base station sending RTCM 3 after its survey-in
    long surveySeconds = 60;      // the shortest survey-in
    double surveyAccuracyM = 2.0; // the survey-in's mean position at least this accurate
    bool help = false;
    bool version = false;

    // Bytes per second the line carries: the rate when given, else the baud
    // rate at ten bits per byte (start, eight data bits, stop).
    double BytesPerSecond() const;
};

class EUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads the arguments after the program name, as "--name value" or
// "--name=value". Throws EUsageError with a message for the user.
SimulatorOptions ParseSimulatorOptions(const std::vector<std::string>& arguments);

extern const char* const kSimulatorUsage;
