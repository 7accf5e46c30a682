#include "protocol/history/TrackExport.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <sys/stat.h>
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

// A new file in the target's folder, named after it, readable as the target
// is (0644 less the umask for a new one): its file descriptor and name, or
// -1 with errno set.
std::pair<int, std::string> CreateBeside(const std::string& target) {
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = target + ".part-" + std::to_string(::getpid()) + "-" +
                           std::to_string(counter.fetch_add(1));
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0 && exists && ::fchmod(fd, existing.st_mode & 07777) != 0) {
            const int error = errno;
            ::close(fd);
            ::unlink(name.c_str());
            errno = error;
            return {-1, {}};
        }
        if (fd >= 0 || errno != EEXIST)
            return {fd, std::move(name)};
    }
    return {-1, {}};
}

// Writes the text to the file, on the disk, and closes it: 0, or why not.
int WriteWhole(int fd, std::string_view text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : EIO;
            ::close(fd);
            return error;
        }
        done += static_cast<std::size_t>(n);
    }
    // On the disk before it takes the old file's place: a crash then leaves
    // the old track or the new one, never an empty file.
    if (::fsync(fd) != 0) {
        const int error = errno;
        ::close(fd);
        return error;
    }
    return ::close(fd) == 0 ? 0 : errno;
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
    // A track written over a link replaces the file it points to.
    struct stat link {};
    std::string written = path;
    if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        std::error_code broken;
        written = std::filesystem::canonical(path, broken).string();
        if (broken)
            Fail(path, broken.value());
    }
    const auto [fd, temporary] = CreateBeside(written);
    if (fd < 0)
        Fail(path, errno);
    const int error = WriteWhole(fd, text);
    if (error != 0 || ::rename(temporary.c_str(), written.c_str()) != 0) {
        const int reason = error != 0 ? error : errno;
        ::unlink(temporary.c_str()); // no half track left behind
        Fail(path, reason);
    }
}

} // namespace protocol
