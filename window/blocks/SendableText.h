#pragma once
// Text typed in the window goes to the receiver as Latin-1, one byte per
// character. A character without a byte is refused instead of being replaced,
// so what goes out is exactly what the user typed.

#include <QString>
#include <string>

// The bytes of text. Throws std::runtime_error naming the first character
// that has no Latin-1 byte, and for a NUL character, which would end a text
// write early.
std::string SendableText(const QString& text);
