#include "bench/protocol/ChainWorks.h"
#include "protocol/UbxFrame.h"

// The UBX checksum pair one byte at a time, in a unit of its own (so that it
// is compiled alike whatever calls it): the loop the receive chain's figures
// have been measured against.
std::uint32_t ChecksumLoop(std::string_view bytes) {
    TUbxChecksum sum;
    for (const char byte : bytes) {
        sum.CK_A = static_cast<std::uint8_t>(sum.CK_A + static_cast<std::uint8_t>(byte));
        sum.CK_B = static_cast<std::uint8_t>(sum.CK_B + sum.CK_A);
    }
    return sum.CK_A + (std::uint32_t{sum.CK_B} << 8);
}
