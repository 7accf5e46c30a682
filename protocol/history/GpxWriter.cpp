#include "protocol/history/TrackExport.h"
#include "protocol/history/TrackText.h"

#include <array>
#include <charconv>

namespace protocol {
namespace {

// Fixes further apart than this start a new segment: reception was lost.
constexpr double kSegmentGapSeconds = 5;
constexpr std::size_t kBytesPerPoint = 260;

const char* GpxFix(FixKind kind) {
    switch (kind) {
    case FixKind::Fix2D:
        return "2d";
    case FixKind::Fix3D:
        return "3d";
    case FixKind::Dgnss:
    case FixKind::RtkFloat:
    case FixKind::RtkFixed:
        return "dgps";
    case FixKind::NoFix:
    case FixKind::DeadReckoning: // no satellite fix
        break;
    }
    return "none";
}

template <std::size_t N>
char* PutElement(char* at, const char (&name)[N], double value, int decimals) {
    *at++ = '<';
    at = Put(at, name);
    *at++ = '>';
    at = PutFixed(at, value, decimals);
    at = Put(at, "</");
    at = Put(at, name);
    *at++ = '>';
    return at;
}

// Seven numbers, a time and the tags around them.
constexpr std::size_t kMaxPointChars = 7 * kMaxFixedChars + kUtcChars + 300;

void AppendPoint(std::string& out, const FixRecord& fix) {
    std::array<char, kMaxPointChars> text; // written before read
    char* at = Put(text.data(), "      <trkpt lat=\"");
    at = PutFixed(at, fix.Latitude, 8);
    at = Put(at, "\" lon=\"");
    at = PutFixed(at, fix.Longitude, 8);
    at = Put(at, "\">");
    if (fix.HeightMsl)
        at = PutElement(at, "ele", *fix.HeightMsl, 3);
    if (fix.DateKnown) {
        at = Put(at, "<time>");
        at = PutUtc(at, fix.UtcSeconds);
        at = Put(at, "</time>");
    }
    // The geoid's height above the ellipsoid, as GGA sends it.
    if (fix.HeightMsl && fix.HeightEllipsoid)
        at = PutElement(at, "geoidheight", *fix.HeightEllipsoid - *fix.HeightMsl, 3);
    at = Put(at, "<fix>");
    at = Put(at, GpxFix(fix.Kind));
    at = Put(at, "</fix>");
    if (fix.SatellitesUsed >= 0) {
        at = Put(at, "<sat>");
        at = std::to_chars(at, at + 16, fix.SatellitesUsed).ptr;
        at = Put(at, "</sat>");
    }
    if (fix.Hdop)
        at = PutElement(at, "hdop", *fix.Hdop, 2);
    if (fix.Vdop)
        at = PutElement(at, "vdop", *fix.Vdop, 2);
    if (fix.Pdop)
        at = PutElement(at, "pdop", *fix.Pdop, 2);
    at = Put(at, "</trkpt>\n");
    out.append(text.data(), at);
}

} // namespace

std::string GpxOf(PositionHistory::Range fixes) {
    std::string out;
    out.reserve(fixes.size() * kBytesPerPoint + 512);
    out.append("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<gpx version=\"1.1\" creator=\"ZEPO Monitor\" "
               "xmlns=\"http://www.topografix.com/GPX/1/1\">\n"
               "  <trk>\n"
               "    <name>ZEPO Monitor track</name>\n");
    const FixRecord* previous = nullptr;
    for (const FixRecord& fix : fixes) {
        const bool apart = previous && (fix.UtcSeconds < previous->UtcSeconds ||
                                        fix.UtcSeconds - previous->UtcSeconds > kSegmentGapSeconds);
        if (apart)
            out.append("    </trkseg>\n");
        if (!previous || apart)
            out.append("    <trkseg>\n");
        AppendPoint(out, fix);
        previous = &fix;
    }
    if (previous)
        out.append("    </trkseg>\n");
    out.append("  </trk>\n</gpx>\n");
    return out;
}

} // namespace protocol
