#include "serial/VirtualPorts.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

std::string VirtualPortDirectory() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] != '\0')
        return std::string(runtime) + "/zepo-monitor/ports";
    return "/tmp/zepo-monitor-" + std::to_string(getuid()) + "/ports";
}

void AnnounceVirtualPort(const std::string& comName, const std::string& devicePath) {
    const fs::path dir = VirtualPortDirectory();
    std::error_code error;
    fs::create_directories(dir, error);
    if (error)
        throw std::runtime_error("Cannot create " + dir.string() + ": " + error.message());
    const fs::path link = dir / comName;
    fs::remove(link, error);
    fs::create_symlink(devicePath, link, error);
    if (error)
        throw std::runtime_error("Cannot announce " + comName + " as " + link.string() + ": " +
                                 error.message());
}

void WithdrawVirtualPort(const std::string& comName) {
    std::error_code ignored;
    fs::remove(fs::path(VirtualPortDirectory()) / comName, ignored);
}

std::vector<VirtualPort> ListVirtualPorts() {
    std::vector<VirtualPort> ports;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(VirtualPortDirectory(), error)) {
        std::error_code linkError;
        if (!entry.is_symlink(linkError))
            continue;
        const fs::path target = fs::read_symlink(entry.path(), linkError);
        if (linkError || !fs::exists(entry.path(), linkError))
            continue; // stale: the device behind the link is gone
        ports.push_back({entry.path().filename().string(), target.string()});
    }
    return ports;
}

std::optional<std::string> FindVirtualPort(const std::string& comName) {
    if (comName.empty() || comName.find('/') != std::string::npos)
        return std::nullopt;
    const fs::path link = fs::path(VirtualPortDirectory()) / comName;
    std::error_code error;
    const fs::path target = fs::read_symlink(link, error);
    if (error || !fs::exists(link, error))
        return std::nullopt;
    return target.string();
}
