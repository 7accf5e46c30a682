#pragma once
// ser2net, the common serial-to-network bridge, serving a serial device on
// 127.0.0.1 for the end-to-end tests: as plain TCP, or through its telnet
// accepter with the RFC 2217 com port control. None where ser2net is not
// installed.

#include "tests/receiver-sim/ChildProcess.h"

#include <memory>
#include <string>

class Ser2netBridge {
public:
    enum class Accepter { Tcp, Rfc2217 };
    // Null when ser2net is not installed. line: the device's settings until a
    // client sets them, such as "115200n81".
    static std::unique_ptr<Ser2netBridge> Start(const ScratchEnvironment& scratch,
                                                const std::string& device, Accepter accepter,
                                                const std::string& line = "115200n81");

    int port() const { return port_; }
    ChildProcess& process() { return process_; }
    // Waits until a plain connect gets in; false when it never does.
    bool Listening() const;

private:
    Ser2netBridge(const ScratchEnvironment& scratch, const std::string& program, int port,
                  const std::vector<std::string>& arguments);

    int port_;
    ChildProcess process_;
};
