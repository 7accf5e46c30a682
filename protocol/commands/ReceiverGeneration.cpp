#include "protocol/commands/ReceiverGeneration.h"

#include <cctype>
#include <cstdlib>
#include <string_view>

namespace ubx {
namespace {

constexpr double kFirstDatabaseProtocol = 27.0;

std::string_view ExtensionValue(const TMonVer& version, std::string_view name) {
    for (const std::string& extension : version.extensions)
        if (std::string_view(extension).starts_with(name))
            return std::string_view(extension).substr(name.size());
    return {};
}

// The digits after the series letter of a module name: "NEO-M8N" 8,
// "ZED-F9P" 9, "MAX-M10S" 10, "ZED-X20P" 20.
int GenerationOfModule(std::string_view module) {
    const std::size_t dash = module.find('-');
    if (dash == std::string_view::npos || dash + 2 >= module.size() ||
        !std::isalpha(static_cast<unsigned char>(module[dash + 1])))
        return 0;
    int generation = 0;
    for (std::size_t at = dash + 2;
         at < module.size() && std::isdigit(static_cast<unsigned char>(module[at])); ++at)
        generation = generation * 10 + (module[at] - '0');
    return generation;
}

// The protocol versions each generation introduced.
int GenerationOfProtocol(double protocol) {
    if (protocol >= 50)
        return 20;
    if (protocol >= 34)
        return 10;
    if (protocol >= kFirstDatabaseProtocol)
        return 9;
    if (protocol >= 15)
        return 8;
    return protocol > 0 ? 7 : 0;
}

} // namespace

std::string TReceiverGeneration::Text() const {
    std::string text = generation > 0 ? "Generation " + std::to_string(generation) + " receiver"
                                      : std::string("Receiver of unknown generation");
    if (!protocolVersion.empty())
        text += ", protocol " + protocolVersion;
    return text + (configurationDatabase ? ": configured through the configuration database"
                                         : ": configured through the legacy CFG messages");
}

TReceiverGeneration ReceiverGenerationOf(const TMonVer& version) {
    TReceiverGeneration result;
    // Older firmware writes "PROTVER 14.00" with a blank instead of '='.
    std::string_view protocol = ExtensionValue(version, "PROTVER=");
    if (protocol.empty())
        protocol = ExtensionValue(version, "PROTVER ");
    result.protocolVersion = std::string(protocol);
    const double protocolNumber = std::strtod(result.protocolVersion.c_str(), nullptr);
    result.generation = GenerationOfModule(ExtensionValue(version, "MOD="));
    if (result.generation == 0)
        result.generation = GenerationOfProtocol(protocolNumber);
    result.configurationDatabase = protocolNumber >= kFirstDatabaseProtocol;
    return result;
}

} // namespace ubx
