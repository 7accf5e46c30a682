#include "serial/SystemError.h"

#include <cerrno>
#include <cstring>

std::string SystemErrorText(int error) {
    std::string text = std::strerror(error);
    if (error == EACCES || error == EPERM)
        text += " (add your user to the dialout group)";
    return text;
}
