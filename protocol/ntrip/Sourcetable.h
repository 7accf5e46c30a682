#pragma once
// A caster's sourcetable: one record a line, fields split by ";" (a field in
// double quotes may hold one). STR records describe the mountpoints' streams
// and are kept field by field; CAS (other casters) and NET (networks)
// records are kept as their lines; other lines are skipped.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ntrip {

struct StreamRecord {
    std::string mountpoint;
    std::string identifier;    // most often the nearest town
    std::string format;        // "RTCM 3.2"
    std::string formatDetails; // message types with their periods: "1005(10),1077(1)"
    std::string carrier;       // "0" none, "1" L1, "2" L1 and L2, as sent
    std::string navSystems;    // "GPS+GLO+GAL"
    std::string network;
    std::string country; // ISO 3166, three letters
    std::optional<double> latitudeDeg;
    std::optional<double> longitudeDeg;
    bool wantsNmea = false;       // the client must send its position as GGA
    bool networkSolution = false; // made from a network of stations, not one
    std::string generator;
    std::string compression;
    std::string authentication; // "N", "B", "D"
    bool fee = false;
    std::string bitrate;
    std::string misc;
};

struct Sourcetable {
    std::vector<StreamRecord> streams; // in the caster's order
    std::vector<std::string> casters;  // CAS lines
    std::vector<std::string> networks; // NET lines
};

Sourcetable ParseSourcetable(std::string_view text);

// "none", "L1", "L1+L2", or the field as sent.
std::string CarrierText(std::string_view carrier);

// The great-circle distance between two points on a sphere of the earth's
// mean radius, in kilometres.
double DistanceKm(double latitudeDeg1, double longitudeDeg1, double latitudeDeg2,
                  double longitudeDeg2);

} // namespace ntrip
