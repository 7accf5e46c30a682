#pragma once
// The receiver's view of the world, one navigation epoch per second: a
// position moving round a circle at a steady speed, and a dozen satellites
// crossing the sky, each rising, culminating and setting, with signal levels
// that follow elevation and flicker by a dB or two. A satellite that sets is
// replaced by a newly risen one, so the set of satellites changes over time.

#include <ctime>
#include <random>
#include <vector>

struct SatelliteView {
    int prn = 0;
    int elevation = 0; // degrees above the horizon
    int azimuth = 0;   // degrees from true north
    int cno = 0;       // carrier to noise density, dBHz
    int lockTime = 0;  // seconds of continuous lock, up to 64
    bool used = false; // part of the navigation solution
};

struct NavigationSolution {
    std::time_t utc = 0;        // the epoch's whole UTC second
    double latitude = 0;        // degrees, north positive
    double longitude = 0;       // degrees, east positive
    double altitudeMsl = 0;     // metres above mean sea level
    double geoidSeparation = 0; // metres, geoid above ellipsoid
    double speed = 0;           // metres per second over ground
    double course = 0;          // degrees from true north
    double verticalSpeed = 0;   // metres per second, up positive
    double hdop = 0, vdop = 0, pdop = 0, tdop = 0;
    double horizontalAccuracy = 0, verticalAccuracy = 0; // metres
    std::vector<SatelliteView> satellites;

    int usedCount() const;
    double altitudeEllipsoid() const { return altitudeMsl + geoidSeparation; }
};

class NavigationModel {
public:
    static constexpr int kSatellitesInView = 12;

    NavigationModel(std::time_t startUtc, unsigned seed);

    // The solution of the current epoch.
    const NavigationSolution& Current() const { return current_; }
    // Moves on by one second and returns the new epoch's solution.
    const NavigationSolution& Advance();

private:
    struct Pass {
        int prn = 0;
        double riseAzimuth = 0;
        double sweep = 0; // degrees of azimuth covered over the pass
        double peakElevation = 0;
        double duration = 0; // seconds above the horizon
        double elapsed = 0;  // seconds since rising
        int lockTime = 0;
    };

    Pass NewPass(); // a satellite rising now
    int UnusedPrn();
    void Compute();

    std::mt19937 random_;
    std::time_t startUtc_;
    long seconds_ = 0;
    std::vector<Pass> passes_;
    NavigationSolution current_;
};
