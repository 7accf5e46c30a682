#pragma once
// Makes received control bytes printable in the views and the watches.

#include <string>

// Every byte 0 to 31 becomes its name in angle brackets ("<NUL>" … "<US>");
// every other byte, 127 and 128 to 255 included, is copied unchanged.
std::string ReplaceControlChars(const std::string& strInput);
