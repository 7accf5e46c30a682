#include "tools/receiver-sim/LineEnd.h"

#include <poll.h>

bool PtyLineEnd::CheckUp() {
    pollfd line{fd_, 0, 0};
    return poll(&line, 1, 0) >= 0 && !(line.revents & (POLLHUP | POLLERR | POLLNVAL));
}
