#pragma once
// The GGA sentence a client sends a caster so that it can pick or compute
// the corrections for where the rover is (network casters need it).

#include <optional>
#include <string>

namespace ntrip {

struct GgaFix {
    double latitudeDeg = 0;
    double longitudeDeg = 0;
    double heightMslM = 0;
    std::optional<double> geoidSeparationM; // ellipsoid above mean sea level
    int quality = 1;                        // 1 GPS, 2 DGPS, 4 RTK fixed, 5 RTK float
    int satellites = 12;
    double hdop = 1.0;
};

// "$GPGGA,hhmmss.ss,ddmm.mmmmm,N,dddmm.mmmmm,E,q,nn,h.h,alt,M,sep,M,,*CS" CR LF
// at the UTC time of day given in seconds.
std::string BuildGga(const GgaFix& fix, double utcSecondsOfDay);

} // namespace ntrip
