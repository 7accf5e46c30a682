#include "tools/receiver-sim/LineRate.h"

// termios2 (any bit rate through BOTHER) comes from the kernel's headers,
// which cannot be mixed with <termios.h>.
#include <asm/termbits.h>
#include <sys/ioctl.h>

std::optional<std::uint32_t> PortLineRate(int deviceFd) {
    termios2 settings{};
    if (ioctl(deviceFd, TCGETS2, &settings) != 0)
        return std::nullopt;
    return settings.c_ospeed;
}

void SetPortLineRate(int deviceFd, std::uint32_t bitsPerSecond) {
    termios2 settings{};
    if (ioctl(deviceFd, TCGETS2, &settings) != 0)
        return;
    settings.c_cflag = (settings.c_cflag & ~CBAUD) | BOTHER;
    settings.c_ispeed = settings.c_ospeed = bitsPerSecond;
    ioctl(deviceFd, TCSETS2, &settings);
}
