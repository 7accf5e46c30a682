#include "protocol/UbxVocabulary.h"

#include <array>
#include <cstdio>

namespace {

struct TUbxClass {
    std::uint8_t Byte;
    std::string_view Name;
};

constexpr std::array<TUbxClass, 15> kClassNames = {{
    {0x01, "NAV"},
    {0x02, "RXM"},
    {0x04, "INF"},
    {0x05, "ACK"},
    {0x06, "CFG"},
    {0x09, "UPD"},
    {0x0A, "MON"},
    {0x0B, "AID"},
    {0x0D, "TIM"},
    {0x10, "ESF"},
    {0x13, "MGA"},
    {0x21, "LOG"},
    {0x27, "SEC"},
    {0x28, "HNR"},
    {0xF0, "NMEA"},
}};

constexpr TUbxMessageType kMessages[] = {
    {0x01, 0x01, "NAV-POSECEF"},   {0x01, 0x02, "NAV-POSLLH"},    {0x01, 0x03, "NAV-STATUS"},
    {0x01, 0x04, "NAV-DOP"},       {0x01, 0x05, "NAV-ATT"},       {0x01, 0x06, "NAV-SOL"},
    {0x01, 0x07, "NAV-PVT"},       {0x01, 0x09, "NAV-ODO"},       {0x01, 0x10, "NAV-RESETODO"},
    {0x01, 0x11, "NAV-VELECEF"},   {0x01, 0x12, "NAV-VELNED"},    {0x01, 0x13, "NAV-HPPOSECEF"},
    {0x01, 0x14, "NAV-HPPOSLLH"},  {0x01, 0x20, "NAV-TIMEGPS"},   {0x01, 0x21, "NAV-TIMEUTC"},
    {0x01, 0x22, "NAV-CLOCK"},     {0x01, 0x23, "NAV-TIMEGLO"},   {0x01, 0x24, "NAV-TIMEBDS"},
    {0x01, 0x25, "NAV-TIMEGAL"},   {0x01, 0x26, "NAV-TIMELS"},    {0x01, 0x30, "NAV-SVINFO"},
    {0x01, 0x31, "NAV-DGPS"},      {0x01, 0x32, "NAV-SBAS"},      {0x01, 0x34, "NAV-ORB"},
    {0x01, 0x35, "NAV-SAT"},       {0x01, 0x39, "NAV-GEOFENCE"},  {0x01, 0x3B, "NAV-SVIN"},
    {0x01, 0x3C, "NAV-RELPOSNED"}, {0x01, 0x43, "NAV-SIG"},       {0x01, 0x60, "NAV-AOPSTATUS"},
    {0x01, 0x61, "NAV-EOE"},       {0x02, 0x10, "RXM-RAW"},       {0x02, 0x11, "RXM-SFRB"},
    {0x02, 0x13, "RXM-SFRBX"},     {0x02, 0x14, "RXM-MEASX"},     {0x02, 0x15, "RXM-RAWX"},
    {0x02, 0x20, "RXM-SVSI"},      {0x02, 0x30, "RXM-ALM"},       {0x02, 0x31, "RXM-EPH"},
    {0x02, 0x41, "RXM-PMREQ"},     {0x02, 0x59, "RXM-RLM"},       {0x04, 0x00, "INF-ERROR"},
    {0x04, 0x01, "INF-WARNING"},   {0x04, 0x02, "INF-NOTICE"},    {0x04, 0x03, "INF-TEST"},
    {0x04, 0x04, "INF-DEBUG"},     {0x05, 0x00, "ACK-NAK"},       {0x05, 0x01, "ACK-ACK"},
    {0x06, 0x00, "CFG-PRT"},       {0x06, 0x01, "CFG-MSG"},       {0x06, 0x02, "CFG-INF"},
    {0x06, 0x04, "CFG-RST"},       {0x06, 0x06, "CFG-DAT"},       {0x06, 0x07, "CFG-TP"},
    {0x06, 0x08, "CFG-RATE"},      {0x06, 0x09, "CFG-CFG"},       {0x06, 0x0E, "CFG-FXN"},
    {0x06, 0x11, "CFG-RXM"},       {0x06, 0x12, "CFG-EKF"},       {0x06, 0x13, "CFG-ANT"},
    {0x06, 0x16, "CFG-SBAS"},      {0x06, 0x17, "CFG-NMEA"},      {0x06, 0x1B, "CFG-USB"},
    {0x06, 0x1D, "CFG-TMODE"},     {0x06, 0x1E, "CFG-ODO"},       {0x06, 0x23, "CFG-NAVX5"},
    {0x06, 0x24, "CFG-NAV5"},      {0x06, 0x31, "CFG-TP5"},       {0x06, 0x34, "CFG-RINV"},
    {0x06, 0x39, "CFG-ITFM"},      {0x06, 0x3B, "CFG-PM2"},       {0x06, 0x3D, "CFG-TMODE2"},
    {0x06, 0x3E, "CFG-GNSS"},      {0x06, 0x47, "CFG-LOGFILTER"}, {0x06, 0x5C, "CFG-HNR"},
    {0x06, 0x71, "CFG-TMODE3"},    {0x06, 0x86, "CFG-PMS"},       {0x06, 0x8A, "CFG-VALSET"},
    {0x06, 0x8B, "CFG-VALGET"},    {0x06, 0x8C, "CFG-VALDEL"},    {0x0A, 0x02, "MON-IO"},
    {0x0A, 0x04, "MON-VER"},       {0x0A, 0x06, "MON-MSGPP"},     {0x0A, 0x07, "MON-RXBUF"},
    {0x0A, 0x08, "MON-TXBUF"},     {0x0A, 0x09, "MON-HW"},        {0x0A, 0x0B, "MON-HW2"},
    {0x0A, 0x21, "MON-RXR"},       {0x0A, 0x27, "MON-PATCH"},     {0x0A, 0x28, "MON-GNSS"},
    {0x0A, 0x31, "MON-SPAN"},      {0x0A, 0x36, "MON-COMMS"},     {0x0A, 0x38, "MON-RF"},
    {0x0A, 0x39, "MON-SYS"},       {0x0B, 0x00, "AID-REQ"},       {0x0B, 0x01, "AID-INI"},
    {0x0B, 0x02, "AID-HUI"},       {0x0B, 0x10, "AID-DATA"},      {0x0B, 0x30, "AID-ALM"},
    {0x0B, 0x31, "AID-EPH"},       {0x0B, 0x32, "AID-ALPSRV"},    {0x0B, 0x33, "AID-AOP"},
    {0x0B, 0x50, "AID-ALP"},       {0x0D, 0x01, "TIM-TP"},        {0x0D, 0x03, "TIM-TM2"},
    {0x0D, 0x04, "TIM-SVIN"},      {0x0D, 0x06, "TIM-VRFY"},      {0x02, 0x32, "RXM-RTCM"},
};

// The UBX page's lists, in the order shown. The CFG and AID captions use the
// page's own short names (0x31 shows as "TPS").
constexpr std::array<TUbxVocabularyItem, 8> kClasses = {{
    {"NAV", 0x01, "NAV 01  p.157"},
    {"RXM", 0x02, "RXM 02  p.173"},
    {"INF", 0x04, "INF 04  p.148"},
    {"ACK", 0x05, "ACK 05  p.94"},
    {"CFG", 0x06, "CFG 06  p.107"},
    {"MON", 0x0A, "MON 0A  p.151"},
    {"AID", 0x0B, "AID 0B  p.95"},
    {"TIM", 0x0D, "TIM 0D  p.175"},
}};

constexpr std::array<TUbxVocabularyItem, 17> kCfgIds = {{
    {"ANT", 0x13, "ANT   $13 p.107"},
    {"DAT", 0x06, "DAT   $06 p.110"},
    {"GNSS", 0x3E, "GNSS  $3E p.112"},
    {"INF", 0x02, "INF   $02 p.113"},
    {"ITFM", 0x39, "ITFM  $39 p.115"},
    {"MSG", 0x01, "MSG   $01 p.116"},
    {"NAV5", 0x24, "NAV5  $24 p.117"},
    {"NAVX5", 0x23, "NAVX5 $23 p.119"},
    {"NMEA", 0x17, "NMEA  $17 p.121"},
    {"PM2", 0x3B, "PM2   $3B p.127"},
    {"PRT", 0x00, "PRT   $00 p.129"},
    {"RATE", 0x08, "RATE  $08 p.138"},
    {"RINV", 0x34, "RINV  $34 p.139"},
    {"RXM", 0x11, "RXM   $11 p.141"},
    {"SBAS", 0x16, "SBAS  $16 p.142"},
    {"TPS", 0x31, "TPS   $31 p.144"},
    {"USB", 0x1B, "USB   $1B p.146"},
}};

constexpr std::array<TUbxVocabularyItem, 5> kAidIds = {{
    {"ALM", 0x30, "ALM   $30 p.95"},
    {"DATA", 0x10, "DATA  $10 p.101"},
    {"EPH", 0x31, "EPH   $31 p.101"},
    {"HUI", 0x02, "HUI   $02 p.103"},
    {"INI", 0x01, "INI   $01 p.104"},
}};

} // namespace

std::span<const TUbxMessageType> UbxMessageTypes() {
    return kMessages;
}

const TUbxMessageType* FindUbxMessageType(std::uint8_t ubxClass, std::uint8_t id) {
    for (const auto& type : kMessages)
        if (type.Class == ubxClass && type.Id == id)
            return &type;
    return nullptr;
}

const TUbxMessageType* FindUbxMessageType(std::string_view name) {
    for (const auto& type : kMessages)
        if (type.Name == name)
            return &type;
    return nullptr;
}

std::string_view UbxClassName(std::uint8_t ubxClass) {
    for (const auto& known : kClassNames)
        if (known.Byte == ubxClass)
            return known.Name;
    return {};
}

std::string UbxMessageName(std::uint8_t ubxClass, std::uint8_t id) {
    if (const TUbxMessageType* type = FindUbxMessageType(ubxClass, id))
        return std::string(type->Name);
    char text[16];
    const std::string_view className = UbxClassName(ubxClass);
    if (!className.empty()) {
        std::snprintf(text, sizeof text, " 0x%02X", id);
        return std::string(className) + text;
    }
    std::snprintf(text, sizeof text, "UBX 0x%02X-0x%02X", ubxClass, id);
    return text;
}

std::span<const TUbxVocabularyItem> UbxClasses() {
    return kClasses;
}

std::span<const TUbxVocabularyItem> UbxCfgIds() {
    return kCfgIds;
}

std::span<const TUbxVocabularyItem> UbxAidIds() {
    return kAidIds;
}

const TUbxVocabularyItem* FindUbxItem(std::span<const TUbxVocabularyItem> items,
                                      std::string_view text) {
    const auto start = text.find_first_not_of(' ');
    if (start == std::string_view::npos)
        return nullptr;
    text.remove_prefix(start);
    const std::string_view name = text.substr(0, text.find(' '));
    for (const auto& item : items)
        if (item.Name == name)
            return &item;
    return nullptr;
}
