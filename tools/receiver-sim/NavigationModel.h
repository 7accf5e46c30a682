#pragma once
// The receiver's view of the world, one navigation epoch per measurement
// period: a position moving round a circle at a steady speed (or standing at
// its centre, as a base station's antenna does), and the
// satellites of one or several constellations crossing the sky, each rising,
// culminating and setting, with signal levels that follow elevation and
// flicker by a dB or two. A satellite that sets is replaced by a newly risen
// one of its constellation, so the set of satellites changes over time; SBAS
// satellites are geostationary and stay where they are.
//
// After a restart the receiver has no fix for a while: a cold start first
// searches an empty sky, then tracks satellites without using them.

#include <chrono>
#include <cstdint>
#include <ctime>
#include <optional>
#include <random>
#include <vector>

// The constellations, numbered as UBX numbers them (gnssId).
enum class Gnss : std::uint8_t {
    Gps = 0,
    Sbas = 1,
    Galileo = 2,
    BeiDou = 3,
    Qzss = 5,
    Glonass = 6
};

struct SatelliteView {
    Gnss system = Gnss::Gps;
    // The satellite's number within its constellation as UBX numbers it
    // (svId): GPS 1-32, SBAS 120-158, Galileo 1-36, BeiDou 1-37, QZSS 1-10,
    // GLONASS slot 1-32.
    int prn = 0;
    int elevation = 0; // degrees above the horizon
    int azimuth = 0;   // degrees from true north
    int cno = 0;       // carrier to noise density, dBHz
    int lockTime = 0;  // seconds of continuous lock, up to 64
    bool used = false; // part of the navigation solution

    // The number in u-blox's single numbering across constellations, as
    // NAV-SVINFO and PUBX,03 give it: GPS 1-32, SBAS 120-158, Galileo
    // 211-246, BeiDou 159-163 and 33-64, QZSS 193-202, GLONASS 65-96.
    int UbloxNumber() const;
};

// The carrier-phase (RTK) solution: none, ambiguities floating, or fixed.
enum class CarrierSolution { None, Float, Fixed };

// Metres north, east and down.
struct NedVector {
    double north = 0, east = 0, down = 0;
};

struct NavigationSolution {
    std::time_t utc = 0;                             // the epoch's whole UTC second
    int millisecond = 0;                             // and the milliseconds into it
    bool fix = true;                                 // a 3D fix; false while the receiver has none
    CarrierSolution carrier = CarrierSolution::None; // none without a fix
    // Where corrections come in: seconds since the last one, the station
    // they come from and, once its position is known, the rover's position
    // from it.
    std::optional<double> correctionAgeS;
    int referenceStation = 0;
    std::optional<NedVector> baseline;
    double latitude = 0;        // degrees, north positive
    double longitude = 0;       // degrees, east positive
    double altitudeMsl = 0;     // metres above mean sea level
    double geoidSeparation = 0; // metres, geoid above ellipsoid
    double speed = 0;           // metres per second over ground
    double course = 0;          // degrees from true north
    double verticalSpeed = 0;   // metres per second, up positive
    double hdop = 0, vdop = 0, pdop = 0, tdop = 0;
    double horizontalAccuracy = 0, verticalAccuracy = 0; // metres
    std::uint32_t millisSinceStart = 0;                  // since the last (re)start
    std::uint32_t timeToFirstFixMs = 0;                  // 0 until the fix is found
    // Sorted by constellation, then number.
    std::vector<SatelliteView> satellites;

    int usedCount() const;
    double altitudeEllipsoid() const { return altitudeMsl + geoidSeparation; }
    // Corrections are applied to the fix.
    bool differential() const { return carrier != CarrierSolution::None; }
};

// How much the receiver forgets when restarted: nothing (hot), its
// ephemerides (warm), or everything, almanac and position included (cold).
enum class StartKind { Hot, Warm, Cold };

class NavigationModel {
public:
    // GPS alone: a dozen GPS satellites in view.
    static constexpr int kSatellitesInView = 12;

    // cnoLossDb lowers every signal, as a jammer in L1 does.
    NavigationModel(std::time_t startUtc, unsigned seed, bool multiGnss = false, bool rtk = false,
                    int cnoLossDb = 0, bool stationary = false);

    // The solution of the current epoch.
    const NavigationSolution& Current() const { return current_; }
    // Moves on by one measurement period and returns the new epoch's solution.
    const NavigationSolution& Advance(std::chrono::milliseconds period = std::chrono::seconds(1));
    // Starts the receiver again; the sky moves on, the fix is lost for a while.
    void Restart(StartKind kind);
    // What corrections make of the current epoch: the carrier solution
    // (none while there is no fix), their age, station and the baseline.
    // The fixed solution the model was made with (rtk) stays regardless.
    void Correct(CarrierSolution carrier, std::optional<double> ageS, int station,
                 std::optional<NedVector> baseline);

private:
    struct Pass {
        Gnss system = Gnss::Gps;
        int prn = 0;
        double riseAzimuth = 0;
        double sweep = 0; // degrees of azimuth covered over the pass
        double peakElevation = 0;
        double duration = 0; // seconds above the horizon
        double elapsed = 0;  // seconds since rising
        double lockTime = 0;
    };
    struct Constellation {
        Gnss system;
        int firstPrn, lastPrn;
        int inView;
    };

    Pass NewPass(const Constellation& constellation); // a satellite rising now
    int UnusedPrn(const Constellation& constellation);
    void Compute();

    std::mt19937 random_;
    std::time_t startUtc_;
    bool rtk_;
    int cnoLossDb_;
    bool stationary_;
    std::int64_t elapsedMs_ = 0;
    std::int64_t restartedAtMs_ = 0;
    std::int64_t searchUntilMs_ = 0; // a cold start sees no satellite before this
    std::int64_t fixFromMs_ = 0;     // no fix before this
    std::uint32_t timeToFirstFixMs_ = 0;
    std::vector<Constellation> constellations_;
    std::vector<Pass> passes_;
    NavigationSolution current_;
};
