#pragma once
// The whole of a file as bytes; empty when it cannot be read.

#include <fstream>
#include <sstream>
#include <string>

inline std::string FileContents(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}
