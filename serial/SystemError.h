#pragma once
// The OS's description of an error number, as the port's messages show it.

#include <string>

// strerror's text; a refused access also says how Linux grants it.
std::string SystemErrorText(int error);

// The text with its first letter in lower case, to follow "NAME: " in a line.
std::string LowerFirst(std::string text);
