#include "protocol/history/TrackExport.h"
#include "protocol/history/TrackText.h"

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

void AppendElement(std::string& out, const char* name, double value, int decimals) {
    out.append("<").append(name).append(">");
    AppendFixed(out, value, decimals);
    out.append("</").append(name).append(">");
}

void AppendPoint(std::string& out, const FixRecord& fix) {
    out.append("      <trkpt lat=\"");
    AppendFixed(out, fix.Latitude, 8);
    out.append("\" lon=\"");
    AppendFixed(out, fix.Longitude, 8);
    out.append("\">");
    if (fix.HeightMsl)
        AppendElement(out, "ele", *fix.HeightMsl, 3);
    if (fix.DateKnown) {
        out.append("<time>");
        AppendUtc(out, fix.UtcSeconds);
        out.append("</time>");
    }
    // The geoid's height above the ellipsoid, as GGA sends it.
    if (fix.HeightMsl && fix.HeightEllipsoid)
        AppendElement(out, "geoidheight", *fix.HeightEllipsoid - *fix.HeightMsl, 3);
    out.append("<fix>").append(GpxFix(fix.Kind)).append("</fix>");
    if (fix.SatellitesUsed >= 0)
        out.append("<sat>").append(std::to_string(fix.SatellitesUsed)).append("</sat>");
    if (fix.Hdop)
        AppendElement(out, "hdop", *fix.Hdop, 2);
    if (fix.Vdop)
        AppendElement(out, "vdop", *fix.Vdop, 2);
    if (fix.Pdop)
        AppendElement(out, "pdop", *fix.Pdop, 2);
    out.append("</trkpt>\n");
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
