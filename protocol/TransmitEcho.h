#pragma once
// Feedback for every write to the receiver: the echo line of the port log
// and the bytes-sent caption of the UBX buttons.

#include <string>
#include <string_view>

// Each byte as two upper-case hex digits followed by a space: "B5 62 ".
std::string FormatHexBytes(std::string_view bytes);

// "Sent(Hex): " followed by FormatHexBytes of the bytes written.
std::string SendEchoLine(std::string_view bytes);

// "Bytes Sent: " followed by the count in decimal.
std::string BytesSentCaption(long long count);
