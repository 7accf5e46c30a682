#pragma once
// Number text of the numeric fields: binary and hexadecimal digits, decimal
// and floating-point conversion with the locale's separators, and the picture
// strings of the float display. Conversions that fail throw the errors below,
// whose messages the window shows to the user.

#include <QChar>
#include <QString>
#include <cstdint>
#include <stdexcept>

// A text that passed the character checks but is not a number of its kind.
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A number beyond the range of a double.
class EOverflow : public std::runtime_error {
public:
    EOverflow() : std::runtime_error("Floating point overflow") {}
};

// The current default locale's separators (QLocale()).
QChar DecimalSeparator();
QChar ThousandSeparator();

// Binary digits of value, built from bit 0 upward. digits <= 0: as few as
// the value needs (at least one; a negative value gives all 32). digits > 0:
// exactly that many, higher bits dropped (at most 32).
QString IntToBin(std::int32_t value, int digits);

// The value of binary digits, last character weight 1; every character other
// than "1" counts as 0; 32-bit arithmetic that wraps (32 ones give -1).
std::int32_t BinToInt(const QString& digits);

// Upper-case hexadecimal digits, at least `digits` of them; a negative value
// shows its 8-digit two's complement.
QString IntToHex(std::int32_t value, int digits);

// Decimal text with an optional sign to a 32-bit integer. Throws
// EConvertError "''<text>'' is not a valid integer value".
std::int32_t StrToInt(const QString& text);

// "$" followed by hexadecimal digits to a 32-bit integer; values above
// 7FFFFFFF up to FFFFFFFF read as negative. Throws EConvertError as StrToInt.
std::int32_t HexToInt(const QString& text);

// Floating-point text with the locale's decimal separator and an optional
// exponent ("E" or "e", optional sign) to an extended value. Throws
// EConvertError "'<text>' is not a valid floating point value".
long double StrToFloat(const QString& text);

// value shown through a picture: "0" a digit always shown, "#" a digit shown
// when significant, "." the locale's decimal separator, "," anywhere before
// it groups the integer digits with the locale's thousands separator. Rounds
// half away from zero at the last fraction place of the picture, taking the
// value to 15 significant digits first so that 0.15 reads as typed.
QString FormatPicture(double value, const QString& picture);
