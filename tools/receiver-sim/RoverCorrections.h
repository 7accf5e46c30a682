#pragma once
// What a rover makes of the RTCM corrections it takes in. There is no
// carrier solution until corrections come from a base whose position is
// known (RTCM 1005 or 1006) together with its observations (MSM); from
// then on the solution floats, it is fixed once they have come without a
// break for fixAfter, and it is lost again once none has come for timeout.
// Times are the receiver's own, in milliseconds.

#include "tools/receiver-sim/NavigationModel.h"
#include "tools/receiver-sim/UbxEcefOutput.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>

struct RoverTiming {
    std::chrono::milliseconds fixAfter{10000};
    std::chrono::milliseconds timeout{30000};
};

// The rover's state at one moment.
struct RoverState {
    CarrierSolution carrier = CarrierSolution::None;
    std::optional<double> ageS; // since the last observations
    int station = 0;
    std::optional<NedVector> baseline; // the rover from the base
};

class RoverCorrections {
public:
    explicit RoverCorrections(RoverTiming timing) : timing_(timing) {}

    // A message of the given type from station, taken in at nowMs; base is
    // the station's position where the message gives it (1005, 1006).
    void Take(int messageType, int station, const std::optional<EcefVector>& base,
              std::int64_t nowMs);
    // Whether the rover uses messages of the type: the base position, the
    // observations and GLONASS's code-phase biases.
    static bool Uses(int messageType);

    RoverState StateAt(std::int64_t nowMs, const EcefVector& rover) const;

private:
    RoverTiming timing_;
    std::optional<EcefVector> base_;
    int station_ = 0;
    std::optional<std::int64_t> runFromMs_; // corrections without a break since
    std::optional<std::int64_t> lastMs_;    // the latest observations
};

// The point's offset from origin, north, east and down at origin.
NedVector NedFrom(const EcefVector& origin, const EcefVector& point);
