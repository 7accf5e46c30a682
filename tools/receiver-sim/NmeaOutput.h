#pragma once
// The receiver's NMEA output, formatted as a u-blox receiver formats it: the
// standard sentences of each navigation epoch, the TXT banner it prints when
// the line comes up, and its PUBX 00, 03 and 04 answers to polls. Every
// function returns complete sentences, checksum and CR LF included.
//
// A GPS-only receiver speaks with the GP talker throughout. A multi-GNSS
// receiver speaks NMEA 4.11: GN for the combined solution (RMC, VTG, GGA,
// GLL, ZDA), one GNGSA per constellation ending in its system id, and GSV per
// constellation under its own talker (GP for GPS and SBAS, GL, GA, GB, GQ)
// ending in the signal id. GGA counts at most 12 satellites used, as the
// receiver's GGA does; GSA lists at most 12 per constellation.

#include "tools/receiver-sim/NavigationModel.h"
#include "tools/receiver-sim/ReceiverIdentity.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

enum class NmeaDialect { GpsOnly, MultiGnss };

// The standard messages in the order a receiver sends them within an epoch.
inline constexpr std::array<std::string_view, 7> kStandardMessages = {"RMC", "VTG", "GGA", "GSA",
                                                                      "GSV", "GLL", "ZDA"};

// The sentences of one standard message (several for GSA and GSV), or none
// for an identifier this receiver does not output.
std::vector<std::string> StandardMessage(std::string_view id, const NavigationSolution& solution,
                                         NmeaDialect dialect = NmeaDialect::GpsOnly);

// The satellite's number in NMEA 4.11: GPS 1-32, SBAS 33-64, GLONASS 65-96,
// and Galileo, BeiDou and QZSS by their own numbers under their own talker.
int NmeaSatelliteNumber(const SatelliteView& satellite);

std::vector<std::string> BannerSentences(const ReceiverIdentity& identity,
                                         NmeaDialect dialect = NmeaDialect::GpsOnly);

std::string Pubx00Position(const NavigationSolution& solution);
std::string Pubx03SatelliteStatus(const NavigationSolution& solution);
std::string Pubx04TimeOfDay(const NavigationSolution& solution);
