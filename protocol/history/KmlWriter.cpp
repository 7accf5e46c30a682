#include "protocol/history/TrackExport.h"
#include "protocol/history/TrackText.h"

#include <algorithm>
#include <ranges>

namespace protocol {
namespace {

// The line's coordinates, and the timed track's time and coordinates.
constexpr std::size_t kBytesPerPoint = 48 + 100;

// "lon,lat[,height]" in a line, "lon lat[ height]" in a gx:Track: heights
// above sea level when every fix has one.
void AppendCoordinates(std::string& out, const FixRecord& fix, bool heights, char separator) {
    AppendFixed(out, fix.Longitude, 8);
    out.push_back(separator);
    AppendFixed(out, fix.Latitude, 8);
    if (heights) {
        out.push_back(separator);
        AppendFixed(out, *fix.HeightMsl, 3);
    }
}

const char* AltitudeMode(bool heights) {
    return heights ? "<altitudeMode>absolute</altitudeMode>" : "";
}

void AppendPlacemark(std::string& out, const char* name, const FixRecord& fix, bool heights) {
    out.append("    <Placemark><name>").append(name).append("</name>");
    if (fix.DateKnown) {
        out.append("<TimeStamp><when>");
        AppendUtc(out, fix.UtcSeconds);
        out.append("</when></TimeStamp>");
    }
    out.append("<Point>").append(AltitudeMode(heights)).append("<coordinates>");
    AppendCoordinates(out, fix, heights, ',');
    out.append("</coordinates></Point></Placemark>\n");
}

// A line carries no times: the dated fixes again as a gx:Track, a time to
// each point, which Google Earth plays back and gpsbabel reads as a timed
// track. Fixes without a date have no place in it.
void AppendTimedTrack(std::string& out, PositionHistory::Range fixes, bool heights) {
    const auto dated = [](const FixRecord& fix) { return fix.DateKnown; };
    if (std::count_if(fixes.begin(), fixes.end(), dated) < 2)
        return;
    out.append("    <Placemark><name>Timed track</name><styleUrl>#track</styleUrl><gx:Track>")
        .append(AltitudeMode(heights))
        .append("\n");
    for (const FixRecord& fix : fixes | std::views::filter(dated)) {
        out.append("<when>");
        AppendUtc(out, fix.UtcSeconds);
        out.append("</when>\n");
    }
    for (const FixRecord& fix : fixes | std::views::filter(dated)) {
        out.append("<gx:coord>");
        AppendCoordinates(out, fix, heights, ' ');
        out.append("</gx:coord>\n");
    }
    out.append("    </gx:Track></Placemark>\n");
}

} // namespace

std::string KmlOf(PositionHistory::Range fixes) {
    const bool heights = std::all_of(
        fixes.begin(), fixes.end(), [](const FixRecord& fix) { return fix.HeightMsl.has_value(); });
    std::string out;
    out.reserve(fixes.size() * kBytesPerPoint + 1024);
    out.append("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<kml xmlns=\"http://www.opengis.net/kml/2.2\" "
               "xmlns:gx=\"http://www.google.com/kml/ext/2.2\">\n"
               "  <Document>\n"
               "    <name>ZEPO Monitor track</name>\n"
               "    <Style id=\"track\"><LineStyle><color>ff0000ff</color><width>3</width>"
               "</LineStyle></Style>\n");
    if (!fixes.empty())
        AppendPlacemark(out, "Start", fixes.front(), heights);
    // A line needs two points at least.
    if (fixes.size() >= 2) {
        out.append("    <Placemark><name>Track</name><styleUrl>#track</styleUrl><LineString>")
            .append(AltitudeMode(heights))
            .append("<coordinates>\n");
        for (const FixRecord& fix : fixes) {
            AppendCoordinates(out, fix, heights, ',');
            out.push_back('\n');
        }
        out.append("    </coordinates></LineString></Placemark>\n");
        AppendPlacemark(out, "End", fixes.back(), heights);
    }
    AppendTimedTrack(out, fixes, heights);
    out.append("  </Document>\n</kml>\n");
    return out;
}

} // namespace protocol
