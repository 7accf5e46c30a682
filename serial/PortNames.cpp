#include "serial/PortNames.h"

#include <array>

namespace {
constexpr std::array<std::int32_t, brCustom> kRates = {
    75,   110,   134,   150,   300,   600,    1200,   1800,   2400,   4800,   7200,
    9600, 14400, 19200, 38400, 57600, 115200, 128000, 230400, 256000, 460800, 921600};

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}
} // namespace

std::string TrimPortName(const std::string& name) {
    std::size_t first = 0;
    std::size_t last = name.size();
    while (first < last && IsBlank(name[first]))
        ++first;
    while (last > first && IsBlank(name[last - 1]))
        --last;
    return name.substr(first, last - first);
}

TCommPort StringToCommPort(const std::string& Port) {
    const std::string name = TrimPortName(Port);
    if (name.empty())
        return spNone;
    // "COM" and 1 to 3 digits without a leading zero, 1 … 254.
    if (name.size() < 4 || name.size() > 6 || name.compare(0, 3, "COM") != 0 || name[3] == '0')
        return spCustom;
    int number = 0;
    for (std::size_t i = 3; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9')
            return spCustom;
        number = number * 10 + (name[i] - '0');
    }
    return number <= 254 ? static_cast<TCommPort>(number) : spCustom;
}

std::string CommPortToString(TCommPort Port, const std::string& customPortName) {
    if (Port == spNone)
        return {};
    if (Port == spCustom)
        return customPortName;
    return "COM" + std::to_string(static_cast<int>(Port));
}

std::int32_t BaudRateToInt(TBaudRate pBaudRate, std::int32_t customBaudRate) {
    return pBaudRate < brCustom ? kRates[pBaudRate] : customBaudRate;
}

TBaudRate IntToBaudRate(std::int32_t Value) {
    for (std::size_t i = 0; i < kRates.size(); ++i)
        if (kRates[i] == Value)
            return static_cast<TBaudRate>(i);
    return brCustom;
}
