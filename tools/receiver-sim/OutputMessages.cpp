#include "tools/receiver-sim/OutputMessages.h"

#include "tools/receiver-sim/UbxEcefOutput.h"
#include "tools/receiver-sim/UbxOutput.h"
#include "tools/receiver-sim/UbxTimeOutput.h"

#include <algorithm>

std::optional<size_t> FindOutputMessage(std::string_view name) {
    const auto found = std::ranges::find(kOutputMessages, name, &OutputMessage::name);
    if (found == std::end(kOutputMessages))
        return std::nullopt;
    return static_cast<size_t>(found - std::begin(kOutputMessages));
}

std::optional<size_t> FindOutputMessage(std::uint8_t ubxClass, std::uint8_t id) {
    const auto found = std::ranges::find_if(kOutputMessages, [&](const OutputMessage& m) {
        return m.ubxClass == ubxClass && m.id == id;
    });
    if (found == std::end(kOutputMessages))
        return std::nullopt;
    return static_cast<size_t>(found - std::begin(kOutputMessages));
}

std::vector<std::string> BuildOutputMessage(const OutputMessage& message,
                                            const NavigationSolution& s, NmeaDialect dialect) {
    using UbxBuilder = std::string (*)(const NavigationSolution&);
    static constexpr std::pair<std::string_view, UbxBuilder> kBuilders[] = {
        {"NAV-POSECEF", NavPosecefFrame}, {"NAV-POSLLH", NavPosllhFrame},
        {"NAV-PVT", NavPvtFrame},         {"NAV-STATUS", NavStatusFrame},
        {"NAV-SOL", NavSolFrame},         {"NAV-VELECEF", NavVelecefFrame},
        {"NAV-DOP", NavDopFrame},         {"NAV-TIMEGPS", NavTimegpsFrame},
        {"NAV-TIMEUTC", NavTimeutcFrame}, {"NAV-CLOCK", NavClockFrame},
        {"NAV-TIMELS", NavTimelsFrame},   {"NAV-SVINFO", NavSvinfoFrame},
        {"NAV-SAT", NavSatFrame},         {"NAV-EOE", NavEoeFrame},
        {"PUBX,00", Pubx00Position},      {"PUBX,03", Pubx03SatelliteStatus},
        {"PUBX,04", Pubx04TimeOfDay}};
    if (message.ubxClass == kNmeaStandardClass)
        return StandardMessage(message.name, s, dialect);
    for (const auto& [name, build] : kBuilders)
        if (name == message.name)
            return {build(s)};
    return {};
}
