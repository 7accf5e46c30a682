#pragma once
// The receiver's NMEA output, formatted as a u-blox receiver formats it: the
// standard GP sentences of each navigation epoch, the TXT banner it prints
// when the line comes up, and its PUBX 00, 03 and 04 answers to polls.
// Every function returns complete sentences, checksum and CR LF included.

#include "tools/receiver-sim/NavigationModel.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

// The standard messages in the order a receiver sends them within an epoch.
inline constexpr std::array<std::string_view, 7> kStandardMessages = {"RMC", "VTG", "GGA", "GSA",
                                                                      "GSV", "GLL", "ZDA"};

// The sentences of one standard message (several for GSV), or none for an
// identifier this receiver does not output.
std::vector<std::string> StandardMessage(std::string_view id, const NavigationSolution& solution);

std::vector<std::string> BannerSentences();

std::string Pubx00Position(const NavigationSolution& solution);
std::string Pubx03SatelliteStatus(const NavigationSolution& solution);
std::string Pubx04TimeOfDay(const NavigationSolution& solution);
