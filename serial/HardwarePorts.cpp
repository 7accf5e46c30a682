#include "serial/HardwarePorts.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;

namespace {
constexpr int kLastComNumber = 254;

std::string ReadFirstLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

std::set<std::string> ConsoleNames(const HardwareTree& tree) {
    std::istringstream words(ReadFirstLine(fs::path(tree.sysClassTty) / "console" / "active"));
    return {std::istream_iterator<std::string>(words), std::istream_iterator<std::string>()};
}

// n for "ttyS<n>", -1 for any other name.
int LegacyIndex(const std::string& name) {
    if (name.size() < 5 || name.compare(0, 4, "ttyS") != 0 ||
        !std::all_of(name.begin() + 4, name.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return -1;
    return std::atoi(name.c_str() + 4);
}

// The stable /dev/serial/by-id name of a device, else its kernel name.
std::string StableKey(const HardwareTree& tree, const std::string& name) {
    std::error_code error;
    const fs::path device = fs::path(tree.devDir) / name;
    for (const auto& entry : fs::directory_iterator(tree.serialById, error)) {
        std::error_code linkError;
        const fs::path target = fs::read_symlink(entry.path(), linkError);
        if (linkError)
            continue;
        const fs::path resolved =
            target.is_absolute() ? target : entry.path().parent_path() / target;
        if (resolved.lexically_normal().filename() == device.filename())
            return entry.path().filename().string();
    }
    return name;
}

QJsonObject LoadMap(const std::string& mapFile) {
    QFile file(QFile::decodeName(mapFile.c_str()));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

void SaveMap(const std::string& mapFile, const QJsonObject& map) {
    std::error_code ignored;
    fs::create_directories(fs::path(mapFile).parent_path(), ignored);
    QSaveFile file(QFile::decodeName(mapFile.c_str()));
    if (file.open(QIODevice::WriteOnly)) {
        file.write(QJsonDocument(map).toJson());
        file.commit();
    }
}

int LowestFreeNumber(const QJsonObject& map, const std::map<int, std::string>& taken) {
    std::set<int> used;
    for (auto it = map.begin(); it != map.end(); ++it)
        used.insert(it.value().toInt());
    for (int number = 1; number <= kLastComNumber; ++number)
        if (!used.count(number) && !taken.count(number))
            return number;
    return 0;
}
} // namespace

std::string ComNumberMapFile() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    const std::string base = config != nullptr && config[0] != '\0' ? config
                             : home != nullptr                      ? std::string(home) + "/.config"
                                                                    : std::string("/tmp");
    return base + "/zepo-monitor/com-ports.json";
}

std::map<int, std::string> HardwarePorts(const HardwareTree& tree, const std::string& mapFile) {
    std::map<int, std::string> ports;
    std::vector<std::string> others;
    const std::set<std::string> consoles = ConsoleNames(tree);
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(tree.sysClassTty, error))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        const fs::path sys = fs::path(tree.sysClassTty) / name;
        std::error_code ignored;
        if (!fs::exists(sys / "device", ignored) || consoles.count(name))
            continue;
        const int legacy = LegacyIndex(name);
        if (legacy < 0) {
            others.push_back(name);
        } else if (ReadFirstLine(sys / "type") != "0" && legacy < kLastComNumber) {
            ports[legacy + 1] = (fs::path(tree.devDir) / name).string();
        }
    }
    if (others.empty())
        return ports;

    QJsonObject map = LoadMap(mapFile);
    bool changed = false;
    for (const std::string& name : others) {
        const QString key = QString::fromStdString(StableKey(tree, name));
        int number = map.value(key).toInt();
        // A number that a port present holds now (a UART that has appeared
        // since) is given up for a free one, or this device would vanish.
        if (number < 1 || number > kLastComNumber || ports.count(number)) {
            number = LowestFreeNumber(map, ports);
            if (number == 0)
                continue;
            map.insert(key, number);
            changed = true;
        }
        ports.emplace(number, (fs::path(tree.devDir) / name).string());
    }
    if (changed)
        SaveMap(mapFile, map);
    return ports;
}
