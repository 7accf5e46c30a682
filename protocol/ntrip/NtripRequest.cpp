#include "protocol/ntrip/NtripRequest.h"

#include <cstdint>

namespace ntrip {
namespace {
bool SafeInPath(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_' || c == '.' || c == '~';
}

// A mountpoint as a path: characters outside the safe set go as %XX.
std::string PathOf(std::string_view mountpoint) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string path = "/";
    for (const char c : mountpoint) {
        const auto byte = static_cast<unsigned char>(c);
        if (SafeInPath(byte)) {
            path += c;
            continue;
        }
        path += '%';
        path += kHex[byte >> 4];
        path += kHex[byte & 0x0F];
    }
    return path;
}

std::string HostHeader(const Caster& caster) {
    const bool ipv6 = caster.host.find(':') != std::string::npos;
    return (ipv6 ? "[" + caster.host + "]" : caster.host) + ":" + std::to_string(caster.port);
}

std::string WithoutLineEnd(std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);
    return std::string(line);
}
} // namespace

std::string Base64(std::string_view bytes) {
    static constexpr char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const std::uint32_t v = static_cast<unsigned char>(bytes[i]) << 16 |
                                static_cast<unsigned char>(bytes[i + 1]) << 8 |
                                static_cast<unsigned char>(bytes[i + 2]);
        for (const int shift : {18, 12, 6, 0})
            out += kDigits[(v >> shift) & 0x3F];
    }
    const std::size_t left = bytes.size() - i;
    if (left > 0) {
        std::uint32_t v = static_cast<unsigned char>(bytes[i]) << 16;
        if (left == 2)
            v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        out += kDigits[(v >> 18) & 0x3F];
        out += kDigits[(v >> 12) & 0x3F];
        out += left == 2 ? kDigits[(v >> 6) & 0x3F] : '=';
        out += '=';
    }
    return out;
}

std::string BuildRequest(const Caster& caster, std::string_view mountpoint,
                         std::string_view productVersion, std::string_view gga) {
    const bool v2 = caster.version == Version::V2;
    std::string request = "GET " + PathOf(mountpoint) + (v2 ? " HTTP/1.1\r\n" : " HTTP/1.0\r\n");
    if (v2) {
        request += "Host: " + HostHeader(caster) + "\r\n";
        request += "Ntrip-Version: Ntrip/2.0\r\n";
    }
    request += "User-Agent: NTRIP ZEPOMonitor/" + std::string(productVersion) + "\r\n";
    if (!caster.user.empty())
        request += "Authorization: Basic " + Base64(caster.user + ":" + caster.password) + "\r\n";
    if (v2 && !gga.empty())
        request += "Ntrip-GGA: " + WithoutLineEnd(gga) + "\r\n";
    request += v2 ? "Connection: close\r\n\r\n" : "\r\n";
    return request;
}

} // namespace ntrip
