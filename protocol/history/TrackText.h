#pragma once
// Numbers and times as the track files write them.

#include <string>

namespace protocol {

// value with the given decimals ("44.06900600").
void AppendFixed(std::string& out, double value, int decimals);
// "2017-01-10T00:09:41.000Z" of seconds since 1970 UTC.
void AppendUtc(std::string& out, double utcSeconds);

} // namespace protocol
