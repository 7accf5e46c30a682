#include "tests/serial/FakeModemLines.h"

#include <atomic>
#include <cstdarg>
#include <dlfcn.h>
#include <sys/ioctl.h>

namespace {
std::atomic<bool> installed = false;
std::atomic<int> inputs = 0;
std::atomic<int> outputs = 0;
std::atomic<bool> breakOn = false;

constexpr int kInputBits = TIOCM_CTS | TIOCM_DSR | TIOCM_RNG | TIOCM_CAR;
constexpr int kOutputBits = TIOCM_DTR | TIOCM_RTS;

using IoctlFunction = int (*)(int, unsigned long, ...);

int RealIoctl(int fd, unsigned long request, void* argument) {
    static const auto real = reinterpret_cast<IoctlFunction>(dlsym(RTLD_NEXT, "ioctl"));
    return real(fd, request, argument);
}

// Answers a modem-line request; false when it is some other request.
bool Fake(unsigned long request, void* argument, int& result) {
    result = 0;
    int* bits = static_cast<int*>(argument);
    switch (request) {
    case TIOCMGET:
        *bits = inputs | outputs;
        return true;
    case TIOCMBIS:
        outputs |= *bits & kOutputBits;
        return true;
    case TIOCMBIC:
        outputs &= ~(*bits & kOutputBits);
        return true;
    case TIOCSBRK:
    case TIOCCBRK:
        breakOn = request == TIOCSBRK;
        return true;
    default:
        return false;
    }
}
} // namespace

extern "C" int ioctl(int fd, unsigned long request, ...) __THROW {
    va_list arguments;
    va_start(arguments, request);
    void* argument = va_arg(arguments, void*);
    va_end(arguments);
    int result = 0;
    if (installed && Fake(request, argument, result))
        return result;
    return RealIoctl(fd, request, argument);
}

namespace FakeModemLines {
void Install() {
    inputs = 0;
    outputs = 0;
    breakOn = false;
    installed = true;
}

void Uninstall() {
    installed = false;
}

void SetInputs(int bits) {
    inputs = bits & kInputBits;
}

int Outputs() {
    return outputs;
}

bool BreakOn() {
    return breakOn;
}
} // namespace FakeModemLines
