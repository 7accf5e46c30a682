#include "protocol/history/TrackExport.h"
#include "protocol/history/TrackText.h"

#include <algorithm>

namespace protocol {
namespace {

constexpr std::size_t kBytesPerPoint = 48;

// "lon,lat[,height]": heights above sea level when every fix has one.
void AppendCoordinates(std::string& out, const FixRecord& fix, bool heights) {
    AppendFixed(out, fix.Longitude, 8);
    out.push_back(',');
    AppendFixed(out, fix.Latitude, 8);
    if (heights) {
        out.push_back(',');
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
    AppendCoordinates(out, fix, heights);
    out.append("</coordinates></Point></Placemark>\n");
}

} // namespace

std::string KmlOf(PositionHistory::Range fixes) {
    const bool heights = std::all_of(
        fixes.begin(), fixes.end(), [](const FixRecord& fix) { return fix.HeightMsl.has_value(); });
    std::string out;
    out.reserve(fixes.size() * kBytesPerPoint + 1024);
    out.append("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n"
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
            AppendCoordinates(out, fix, heights);
            out.push_back('\n');
        }
        out.append("    </coordinates></LineString></Placemark>\n");
        AppendPlacemark(out, "End", fixes.back(), heights);
    }
    out.append("  </Document>\n</kml>\n");
    return out;
}

} // namespace protocol
