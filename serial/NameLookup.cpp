#include "serial/NameLookup.h"

#include "serial/SystemError.h"

#include <cerrno>
#include <mutex>
#include <poll.h>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace {
// What the helper thread hands back; whoever lets go of it last frees it.
struct PendingLookup {
    PendingLookup() : done(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
    ~PendingLookup() {
        if (result != nullptr)
            freeaddrinfo(result);
        if (done >= 0)
            ::close(done);
    }
    const int done;
    std::mutex mutex;
    int status = 0;
    int systemError = 0;
    addrinfo* result = nullptr;
};

std::string LookupErrorText(int status, int systemError) {
    switch (status) {
    case EAI_NONAME:
#ifdef EAI_NODATA
    case EAI_NODATA:
#endif
        return "host not found";
    case EAI_AGAIN:
        return "host not found (the name server did not answer)";
    case EAI_SYSTEM:
        return LowerFirst(SystemErrorText(systemError));
    default:
        return LowerFirst(gai_strerror(status));
    }
}

addrinfo Hints(int socketType, bool passive, bool numericOnly) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = socketType;
    hints.ai_flags =
        AI_NUMERICSERV | (passive ? AI_PASSIVE : 0) | (numericOnly ? AI_NUMERICHOST : 0);
    return hints;
}
} // namespace

LookupResult LookUpAddresses(const std::string& host, const std::string& port, int socketType,
                             bool passive, const std::vector<int>& cancelFds,
                             WaitDeadline deadline) {
    LookupResult found;
    const char* node = host.empty() ? nullptr : host.c_str();
    addrinfo* list = nullptr;
    const addrinfo numeric = Hints(socketType, passive, true);
    const int status = getaddrinfo(node, port.c_str(), &numeric, &list);
    if (status == 0) {
        found.addresses.reset(list);
        return found;
    }
    if (status != EAI_NONAME) {
        found.error = LookupErrorText(status, errno);
        return found;
    }
    // A name: asked on a thread of its own, as the name server may take long.
    auto pending = std::make_shared<PendingLookup>();
    if (pending->done < 0) {
        found.error = LowerFirst(SystemErrorText(errno));
        return found;
    }
    std::thread([pending, host, port, hints = Hints(socketType, passive, false)] {
        addrinfo* result = nullptr;
        const int answer = getaddrinfo(host.c_str(), port.c_str(), &hints, &result);
        const int systemError = errno;
        {
            std::lock_guard lock(pending->mutex);
            pending->status = answer;
            pending->systemError = systemError;
            pending->result = result;
        }
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t told = ::write(pending->done, &one, sizeof one);
    }).detach();
    found.outcome = WaitForDescriptor(pending->done, POLLIN, cancelFds, deadline);
    if (found.outcome != WaitOutcome::Ready)
        return found;
    std::lock_guard lock(pending->mutex);
    if (pending->status != 0)
        found.error = LookupErrorText(pending->status, pending->systemError);
    found.addresses.reset(std::exchange(pending->result, nullptr));
    return found;
}
