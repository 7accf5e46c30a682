#pragma once
// Received bytes as text: each byte one Latin-1 character, so every byte
// shows and none is lost to a failed UTF-8 reading.

#include <QString>
#include <string_view>

inline QString Latin1(std::string_view bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}
