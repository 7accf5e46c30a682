#include "tools/receiver-sim/ReceiverIdentity.h"

namespace {
constexpr std::string_view kM8Extensions[] = {"FWVER=SPG 3.01", "PROTVER=18.00", "MOD=NEO-M8N",
                                              "GPS;GLO;GAL;BDS", "SBAS;IMES;QZSS"};
constexpr std::string_view kF9Extensions[] = {"ROM BASE 0x118B2060", "FWVER=HPG 1.32",
                                              "PROTVER=27.31",       "MOD=ZED-F9P",
                                              "GPS;GLO;GAL;BDS",     "SBAS;QZSS"};
constexpr std::string_view kM10Extensions[] = {"FWVER=SPG 5.10", "PROTVER=34.10", "MOD=MAX-M10S",
                                               "GPS;GLO;GAL;BDS", "SBAS;QZSS"};

const ReceiverIdentity kM8{"ROM CORE 3.01 (107888)", "00080000", "UBX-M8030", kM8Extensions};
// The HPG firmware runs from flash above the ROM base it names.
const ReceiverIdentity kF9{"EXT CORE 1.00 (0fa0ae)", "00190000", "UBX 9", kF9Extensions};
const ReceiverIdentity kM10{"ROM SPG 5.10 (7b202e)", "000A0000", "UBX 10", kM10Extensions};
} // namespace

const ReceiverIdentity& IdentityOf(int generation) {
    if (generation >= 10)
        return kM10;
    return generation == 9 ? kF9 : kM8;
}
