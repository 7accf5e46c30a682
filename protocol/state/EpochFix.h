#pragma once
// The fix of the receiver's latest navigation epoch, merged from every
// message that tells of it (GGA, RMC, GSA, GNS, PUBX,00, NAV-PVT, NAV-SOL,
// NAV-STATUS). Messages of one epoch each tell part of the story: GGA the
// RTK quality, GSA 2D or 3D, RMC only valid or not. Within an epoch the best
// of what they tell is kept, so a later RMC "valid" never hides GGA's "RTK
// fixed"; a new epoch tells afresh, and what it has not told yet carries
// over from the last one, so the picture does not flicker between messages.
//
// An epoch ends when a message carries another time of day, or when a
// message type comes again after others (GSA's consecutive sentences, one
// per constellation, belong to one epoch).

#include "protocol/decoding/Decoded.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace protocol {

class EpochFix {
public:
    // A message type, as the caller numbers its types ("GNGGA", "NAV-PVT").
    using Type = std::size_t;

    // Whether a message of this type and time of day begins another epoch.
    bool Begins(Type type, const std::optional<double>& timeOfDay) const;
    // Another epoch begins: nothing of it has been told yet.
    void Begin();
    // Takes what one message of the open epoch tells: its time of day in
    // seconds where it carries one, and its fix where it has one. Returns
    // true when the message told that the fix is lost.
    bool Take(Type type, const std::optional<double>& timeOfDay,
              const std::optional<FixStatus>& fix);

    // The merged fix; Type is NoFix while the epoch says there is none.
    const FixStatus& Current() const { return fix_; }

private:
    FixStatus fix_;
    std::optional<double> epochTime_;
    std::vector<Type> types_;   // the message types of this epoch
    std::optional<bool> valid_; // whether the epoch told of a fix
    bool typeTold_ = false, solutionTold_ = false, qualityTold_ = false;
};

// The fix in words: "RTK fixed", "RTK float", "DGNSS", "3D", "2D", "dead
// reckoning", "no fix", ...; empty when nothing tells.
std::string FixText(const FixStatus& fix);

// What the fix makes of corrections: "RTK fixed", "RTK float", "DGNSS" or
// "no corrections".
std::string RtkText(const FixStatus& fix);

} // namespace protocol
