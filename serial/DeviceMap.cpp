#include "serial/DeviceMap.h"

#include "serial/HardwarePorts.h"
#include "serial/NetworkSource.h"
#include "serial/PortNames.h"
#include "serial/VirtualPorts.h"

#include <algorithm>
#include <map>

namespace {
// COM number → device path, virtual ports before hardware of the same number,
// plus the announced names that are not COM names.
struct PresentPorts {
    std::map<int, std::string> byNumber;
    std::vector<std::string> otherNames;
};

PresentPorts ScanPresentPorts() {
    PresentPorts present;
    for (const VirtualPort& port : ListVirtualPorts()) {
        const TCommPort id = StringToCommPort(port.comName);
        if (id == spCustom)
            present.otherNames.push_back(port.comName);
        else if (id != spNone)
            present.byNumber[id] = port.devicePath;
    }
    present.byNumber.merge(HardwarePorts(HardwareTree{}, ComNumberMapFile()));
    std::sort(present.otherNames.begin(), present.otherNames.end());
    return present;
}
} // namespace

std::vector<std::string> PresentPortNames() {
    const PresentPorts present = ScanPresentPorts();
    std::vector<std::string> names;
    for (const auto& [number, path] : present.byNumber)
        names.push_back(CommPortToString(static_cast<TCommPort>(number)));
    names.insert(names.end(), present.otherNames.begin(), present.otherNames.end());
    return names;
}

std::string DevicePathOfPort(const std::string& portName) {
    const std::string name = TrimPortName(portName);
    const TCommPort id = StringToCommPort(name);
    if (id == spNone)
        return {};
    if (id == spCustom)
        return name[0] == '/' || IsNetworkSourceName(name) ? name : "/dev/" + name;
    if (auto announced = FindVirtualPort(name))
        return *announced;
    const std::map<int, std::string> hardware = HardwarePorts(HardwareTree{}, ComNumberMapFile());
    const auto found = hardware.find(id);
    return found != hardware.end() ? found->second : std::string();
}

TCommPortSet GetExistingCommPorts() {
    TCommPortSet ports;
    for (const std::string& name : PresentPortNames())
        ports.set(StringToCommPort(name));
    return ports;
}

void GetExistingCommPortNames(std::vector<std::string>& Strings) {
    Strings = PresentPortNames();
}
