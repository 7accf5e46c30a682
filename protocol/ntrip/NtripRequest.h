#pragma once
// The requests a client sends an NTRIP caster: a mountpoint's stream or the
// caster's sourcetable (no mountpoint), as NTRIP 1 (HTTP/1.0, answered with
// "ICY 200 OK") or NTRIP 2 (HTTP/1.1 with the Ntrip-Version and Host
// headers); Basic authorization when a user is named.

#include <string>
#include <string_view>

namespace ntrip {

enum class Version { V1, V2 };

struct Caster {
    std::string host;
    int port = 2101;
    std::string user;
    std::string password;
    Version version = Version::V1;
    bool tls = false; // NTRIP over TLS (HTTPS casters, ports 443 and 2102)
};

// The whole request, up to its blank line. productVersion goes into the
// User-Agent ("NTRIP ZEPOMonitor/1.0"); a GGA sentence (with its CR LF)
// rides along in an NTRIP 2 request's Ntrip-GGA header.
std::string BuildRequest(const Caster& caster, std::string_view mountpoint,
                         std::string_view productVersion, std::string_view gga = {});

std::string Base64(std::string_view bytes);

} // namespace ntrip
