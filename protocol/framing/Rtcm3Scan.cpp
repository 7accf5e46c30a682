#include "protocol/framing/Rtcm3Scan.h"

#include "protocol/Crc24q.h"
#include "protocol/Rtcm3Frame.h"

#include <cstdint>

namespace protocol {

FrameScan ScanRtcm3Frame(std::string_view data) {
    const auto byte = [data](std::size_t i) { return static_cast<std::uint8_t>(data[i]); };
    if (data.size() < 2)
        return {FrameScan::NeedMore};
    if ((byte(1) & 0xFC) != 0)
        return {FrameScan::NotFrame};
    if (data.size() < kRtcm3Header)
        return {FrameScan::NeedMore};
    const std::size_t total = (((byte(1) & 0x03) << 8) | byte(2)) + kRtcm3FrameOverhead;
    if (data.size() < total)
        return {FrameScan::NeedMore};
    const std::uint32_t sent =
        (std::uint32_t{byte(total - 3)} << 16) | (byte(total - 2) << 8) | byte(total - 1);
    return {FrameScan::Frame, total, Crc24q(data.substr(0, total - 3)) == sent};
}

} // namespace protocol
