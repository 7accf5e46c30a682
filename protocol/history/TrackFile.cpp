#include "protocol/history/TrackExport.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace protocol {
namespace {

bool EndsWithNoCase(std::string_view text, std::string_view end) {
    return text.size() >= end.size() &&
           std::equal(end.begin(), end.end(), text.end() - static_cast<std::ptrdiff_t>(end.size()),
                      [](char a, char b) {
                          return std::tolower(static_cast<unsigned char>(a)) ==
                                 std::tolower(static_cast<unsigned char>(b));
                      });
}

[[noreturn]] void Fail(const std::string& path, int error) {
    throw std::runtime_error("Cannot write track to " + path + ": " + std::strerror(error));
}

} // namespace

std::optional<TrackFormat> TrackFormatOf(std::string_view path) {
    if (EndsWithNoCase(path, ".gpx"))
        return TrackFormat::Gpx;
    if (EndsWithNoCase(path, ".kml"))
        return TrackFormat::Kml;
    return std::nullopt;
}

void WriteTrackFile(const std::string& path, PositionHistory::Range fixes) {
    const std::optional<TrackFormat> format = TrackFormatOf(path);
    if (!format)
        throw std::runtime_error("Cannot write track to " + path +
                                 ": the file name must end in .gpx or .kml");
    const std::string text = *format == TrackFormat::Gpx ? GpxOf(fixes) : KmlOf(fixes);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        Fail(path, errno);
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : EIO;
            ::close(fd);
            ::unlink(path.c_str()); // no half track left behind
            Fail(path, error);
        }
        written += static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(path.c_str());
        Fail(path, error);
    }
}

} // namespace protocol
