#include "protocol/ReplaceControlChars.h"

#include <array>
#include <string_view>

namespace {
constexpr std::array<std::string_view, 32> kControlNames = {
    "<NUL>", "<SOH>", "<STX>", "<ETX>", "<EOT>", "<ENQ>", "<ACK>", "<BEL>",
    "<BS>",  "<TAB>", "<LF>",  "<VT>",  "<FF>",  "<CR>",  "<SO>",  "<SI>",
    "<DLE>", "<DC1>", "<DC2>", "<DC3>", "<DC4>", "<NAK>", "<SYN>", "<ETB>",
    "<CAN>", "<EM>",  "<SUB>", "<ESC>", "<FS>",  "<GS>",  "<RS>",  "<US>"};
} // namespace

std::string ReplaceControlChars(const std::string& strInput) {
    std::string result;
    result.reserve(strInput.size() + strInput.size() / 4);
    for (char c : strInput) {
        const auto value = static_cast<unsigned char>(c);
        if (value < kControlNames.size())
            result += kControlNames[value];
        else
            result += c;
    }
    return result;
}
