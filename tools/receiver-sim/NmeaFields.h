#pragma once
// Field formats of the receiver's NMEA output: fixed decimals, zero-padded
// integers, latitude as ddmm.mmmmm and longitude as dddmm.mmmmm with their
// hemisphere, UTC time as hhmmss.ss (hundredths of a second) and date as ddmmyy; and the framing of
// a body into a sentence with its checksum and CR LF.

#include <ctime>
#include <string>
#include <string_view>

std::string Fixed(double value, int decimals);
std::string Padded(int value, int width);
// "4717.11399,N" for 47.285233 with five decimals of minutes.
std::string LatitudeFields(double degrees, int minuteDecimals);
// "00833.91590,E" for 8.565265 with five decimals of minutes.
std::string LongitudeFields(double degrees, int minuteDecimals);
std::string TimeField(std::time_t utc, int millisecond = 0);
std::string DateField(std::time_t utc);

// "$" + body + "*" + checksum + CR LF.
std::string NmeaSentence(std::string_view body);
