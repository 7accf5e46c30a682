#pragma once
// Virtual serial ports: a program that plays a device on a pseudo-terminal
// (the receiver simulator, a test fixture) announces it as a symlink named by
// its COM name in a per-user directory; the port list treats a live link as a
// present port and opening the COM name opens the link's target.

#include <optional>
#include <string>
#include <vector>

// "$XDG_RUNTIME_DIR/zepo-monitor/ports", or "/tmp/zepo-monitor-<uid>/ports"
// when XDG_RUNTIME_DIR is unset. Read afresh on every call.
std::string VirtualPortDirectory();

// Creates (or replaces) the link <dir>/<comName> -> devicePath, making the
// directory first. Throws std::runtime_error with the OS error text on failure.
void AnnounceVirtualPort(const std::string& comName, const std::string& devicePath);

// Removes the link of comName if it exists; never throws.
void WithdrawVirtualPort(const std::string& comName);

struct VirtualPort {
    std::string comName;    // "COM13"
    std::string devicePath; // the link's target, "/dev/pts/5"
};

// The announced ports whose target still exists; stale links are skipped.
std::vector<VirtualPort> ListVirtualPorts();

// The device path announced for comName, if that announcement is live.
std::optional<std::string> FindVirtualPort(const std::string& comName);
