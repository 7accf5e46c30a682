#pragma once
// A message's bytes as the Messages page shows them: 16 to a line, the offset,
// the bytes in hexadecimal, and the same bytes as ASCII with a dot for each
// byte that is not a printable character.

#include <QString>
#include <string_view>

QString HexDump(std::string_view bytes);
