#pragma once
// The streaming framer: bytes from the port go in, in pieces of any size, and
// complete messages come out in stream order. Feeding the stream one byte at
// a time gives exactly the same messages as feeding it at once, because every
// byte's fate is decided by the bytes after it, never by where a piece ends.
//
// Policy:
// - "$" followed by printable text up to LF (CR LF or a lone LF) is an NMEA
//   sentence; "*hh" before the line end is its checksum. A "$" whose line
//   is broken by another "$", a control byte or a byte above 0x7E, or that
//   runs past kMaxNmeaLength, is noise from that "$" on.
// - 0xB5 0x62, class, id, a length up to kMaxUbxPayload, payload and checksum
//   is a UBX frame. A larger length is not waited for: the sync pair is noise.
//   A frame whose checksum is wrong is reported (Ubx, Wrong) only up to the
//   first place inside it where another message could start, so a frame
//   whose length byte was damaged never swallows the messages behind it.
// - 0xD3, six zero bits, a 10-bit length, payload and CRC-24Q is an RTCM 3
//   frame (Rtcm3Frame.h); reserved bits that are not zero make the 0xD3
//   noise. A frame whose CRC is wrong is cut like a UBX frame: scanning goes
//   on from the byte after its 0xD3, so it hides no message behind it.
// - Everything else gathers into Unframed runs, reported when the next
//   message is found, when a run reaches kMaxUnframedRun bytes, or at Flush.
// State is bounded by the largest legal frame (UBX, longer than any RTCM 3
// frame) plus one unframed run.

#include "protocol/framing/Message.h"
#include "protocol/framing/UbxScan.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace protocol {

class Framer {
public:
    static constexpr std::size_t kMaxUbxPayload = protocol::kMaxUbxPayload;
    static constexpr std::size_t kMaxNmeaLength = 1024;
    static constexpr std::size_t kMaxUnframedRun = 4096;

    // Receives each message; it may move the message away to keep it.
    using Sink = std::function<void(Message&&)>;

    // Frames the bytes that follow those fed before; every message completed
    // by them goes to sink, in stream order.
    void Feed(std::string_view bytes, const Sink& sink);
    std::vector<Message> Feed(std::string_view bytes);

    // End of stream (port closed): the bytes still waiting for their end
    // come out as one Unframed run, and the framer starts afresh at offset 0.
    void Flush(const Sink& sink);
    std::vector<Message> Flush();

    // Bytes held back, waiting for the rest of a message.
    std::size_t Pending() const { return pending_.size() + unframed_.size(); }

private:
    // Frames data (whose first byte is at offset_) and returns how many of
    // its bytes are decided; at the end of the stream every byte is.
    std::size_t Frame(std::string_view data, const Sink& sink, bool endOfStream);
    void AddUnframed(std::string_view bytes, std::uint64_t offset, const Sink& sink);
    void EmitUnframed(const Sink& sink);
    void Emit(MessageKind kind, std::string_view bytes, std::uint64_t offset,
              ChecksumState checksum, const Sink& sink);

    std::string pending_;  // undecided bytes from the last feed
    std::string unframed_; // the unframed run being gathered
    std::uint64_t unframedOffset_ = 0;
    std::uint64_t offset_ = 0; // stream offset of the first undecided byte
    Message outgoing_;
};

} // namespace protocol
