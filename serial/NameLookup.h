#pragma once
// Turns a host and port into socket addresses without holding up a Close:
// numeric addresses at once, names on a helper thread whose answer is
// dropped when the wait is called off.

#include "serial/CancellableWait.h"

#include <memory>
#include <netdb.h>
#include <string>
#include <vector>

using AddressList = std::unique_ptr<addrinfo, void (*)(addrinfo*)>;

struct LookupResult {
    AddressList addresses{nullptr, freeaddrinfo};
    WaitOutcome outcome = WaitOutcome::Ready;
    std::string error; // the cause when Ready brought no addresses
};

// An empty host with passive set means every local address (to bind to).
LookupResult LookUpAddresses(const std::string& host, const std::string& port, int socketType,
                             bool passive, const std::vector<int>& cancelFds,
                             WaitDeadline deadline);
