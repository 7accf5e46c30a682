#include "serial/NetworkSource.h"

#include <algorithm>
#include <arpa/inet.h>
#include <array>

namespace {
constexpr std::string_view kTcp = "tcp://";
constexpr std::string_view kTcpListen = "tcp-listen://";
constexpr std::string_view kUdp = "udp://";
constexpr std::string_view kRfc2217 = "rfc2217://";

bool StartsWith(const std::string& text, std::string_view prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool IsPortNumber(const std::string& port) {
    if (port.empty() || port.size() > 5 || port[0] == '0' ||
        !std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    return std::stoi(port) <= 65535;
}

bool IsNumericAddress(const std::string& host) {
    std::array<unsigned char, 16> address{};
    return inet_pton(AF_INET, host.c_str(), address.data()) == 1 ||
           inet_pton(AF_INET6, host.c_str(), address.data()) == 1;
}

// Splits "HOST:PORT", "[V6]:PORT" or ":PORT"; false when no port follows.
bool SplitHostPort(const std::string& text, std::string& host, std::string& port) {
    std::size_t colon = std::string::npos;
    if (!text.empty() && text[0] == '[') {
        const std::size_t close = text.find(']');
        if (close == std::string::npos || close + 1 >= text.size() || text[close + 1] != ':')
            return false;
        host = text.substr(1, close - 1);
        colon = close + 1;
    } else {
        colon = text.rfind(':');
        if (colon == std::string::npos || text.find(':') != colon)
            return false;
        host = text.substr(0, colon);
    }
    port = text.substr(colon + 1);
    return true;
}

// Checks one "HOST:PORT" part; returns the cause of a fault, empty when sound.
std::string CheckAddress(const std::string& text, std::string& host, std::string& port,
                         bool hostNeeded, bool hostNumeric) {
    if (!SplitHostPort(text, host, port))
        return "expected " + std::string(hostNeeded ? "HOST:PORT" : ":PORT") + " after the scheme";
    if (!IsPortNumber(port))
        return "the port must be a number from 1 to 65535";
    if (hostNeeded && host.empty())
        return "the host is missing";
    if (hostNumeric && !host.empty() && !IsNumericAddress(host))
        return "the local address must be given as numbers, such as 127.0.0.1";
    return {};
}
} // namespace

bool IsNetworkSourceName(const std::string& name) {
    return StartsWith(name, kTcp) || StartsWith(name, kTcpListen) || StartsWith(name, kUdp) ||
           StartsWith(name, kRfc2217);
}

bool CarriesLineSettings(const std::string& name) {
    return StartsWith(name, kRfc2217);
}

std::optional<NetworkSource> ParseNetworkSource(const std::string& name, std::string& error) {
    NetworkSource source;
    std::string fault;
    if (StartsWith(name, kTcpListen)) {
        source.kind = NetworkSource::Kind::TcpServer;
        fault = CheckAddress(name.substr(kTcpListen.size()), source.host, source.port, false, true);
    } else if (StartsWith(name, kTcp)) {
        const std::string rest = name.substr(kTcp.size());
        // No host: the receiver connects in.
        if (!rest.empty() && rest[0] == ':')
            source.kind = NetworkSource::Kind::TcpServer;
        fault = CheckAddress(rest, source.host, source.port,
                             source.kind == NetworkSource::Kind::TcpClient, false);
    } else if (StartsWith(name, kRfc2217)) {
        source.kind = NetworkSource::Kind::Rfc2217;
        fault = CheckAddress(name.substr(kRfc2217.size()), source.host, source.port, true, false);
    } else if (StartsWith(name, kUdp)) {
        source.kind = NetworkSource::Kind::Udp;
        const std::string rest = name.substr(kUdp.size());
        const std::size_t at = rest.find('@');
        fault = CheckAddress(rest.substr(0, at), source.host, source.port, false, true);
        if (fault.empty() && at != std::string::npos) {
            fault =
                CheckAddress(rest.substr(at + 1), source.peerHost, source.peerPort, true, false);
            if (!fault.empty())
                fault = "after @: " + fault;
        }
    } else {
        fault = "not a network source (tcp://HOST:PORT, tcp-listen://:PORT, udp://:PORT or "
                "rfc2217://HOST:PORT)";
    }
    if (fault.empty())
        return source;
    error = name + ": " + fault;
    return std::nullopt;
}
