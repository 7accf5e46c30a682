#pragma once
// Hardware serial ports present, numbered as COM ports: ttyS<n> is COM<n+1>;
// every other device gets the lowest free COM number the first time it is
// seen and keeps it, through a small map file, across runs and replugging.

#include <map>
#include <string>

// Where the machine describes its devices; tests point it at a scratch tree.
struct HardwareTree {
    std::string sysClassTty = "/sys/class/tty";
    std::string serialById = "/dev/serial/by-id";
    std::string devDir = "/dev";
};

// "$XDG_CONFIG_HOME/zepo-monitor/com-ports.json" (default ~/.config).
std::string ComNumberMapFile();

// COM number → device path of each hardware port present. Skips entries
// without a device, the system console and ttyS slots without a UART. Reads
// and, when a device is new, rewrites mapFile; never throws.
std::map<int, std::string> HardwarePorts(const HardwareTree& tree, const std::string& mapFile);
