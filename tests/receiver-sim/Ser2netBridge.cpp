#include "tests/receiver-sim/Ser2netBridge.h"

#include "tests/support/LoopbackSocket.h"

#include <chrono>
#include <thread>

std::unique_ptr<Ser2netBridge> Ser2netBridge::Start(const ScratchEnvironment& scratch,
                                                    const std::string& device, Accepter accepter,
                                                    const std::string& line) {
    const auto program = FindProgram("ser2net");
    if (!program)
        return nullptr;
    const int port = UnusedPort();
    const std::string kind = accepter == Accepter::Rfc2217 ? "telnet(rfc2217),tcp" : "tcp";
    // -n: in the foreground; -u: no UUCP lock; the configuration inline.
    return std::unique_ptr<Ser2netBridge>(new Ser2netBridge(
        scratch, *program, port,
        {"-n", "-u", "-P", scratch.root() + "/ser2net.pid", "-Y", "connection: &gps", "-Y",
         "  accepter: " + kind + ",127.0.0.1," + std::to_string(port), "-Y",
         "  connector: serialdev," + device + "," + line + ",local"}));
}

Ser2netBridge::Ser2netBridge(const ScratchEnvironment& scratch, const std::string& program,
                             int port, const std::vector<std::string>& arguments)
    : port_(port), process_(scratch, program, arguments) {}

bool Ser2netBridge::Listening() const {
    for (int round = 0; round < 500; ++round) {
        if (LoopbackSocket(SOCK_STREAM).Connect(port_))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}
