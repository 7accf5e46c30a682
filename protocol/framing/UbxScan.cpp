#include "protocol/framing/UbxScan.h"

#include "protocol/UbxFrame.h"

#include <cstdint>

namespace protocol {

FrameScan ScanUbxFrame(std::string_view data) {
    constexpr std::size_t kHeader = 6; // sync pair, class, id, length
    const auto byte = [data](std::size_t i) { return static_cast<std::uint8_t>(data[i]); };
    if (data.size() < 2)
        return {FrameScan::NeedMore};
    if (byte(1) != kUbxSync2)
        return {FrameScan::NotFrame};
    if (data.size() < kHeader)
        return {FrameScan::NeedMore};
    const std::size_t payload = byte(4) | (std::size_t{byte(5)} << 8);
    if (payload > kMaxUbxPayload)
        return {FrameScan::NotFrame};
    const std::size_t total = payload + kUbxFrameOverhead;
    if (data.size() < total)
        return {FrameScan::NeedMore};
    const TUbxChecksum sum = UbxChecksum(data.substr(2, payload + 4));
    return {FrameScan::Frame, total, sum.CK_A == byte(total - 2) && sum.CK_B == byte(total - 1)};
}

} // namespace protocol
