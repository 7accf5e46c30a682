#include "protocol/UbxNames.h"

#include "protocol/UbxFrame.h"

#include <cstdio>

std::string UbxMessageName(std::uint8_t ubxClass, std::uint8_t id) {
    for (const auto& cls : UbxClasses()) {
        if (cls.Byte != ubxClass)
            continue;
        const auto ids = cls.Name == "CFG"   ? UbxCfgIds()
                         : cls.Name == "AID" ? UbxAidIds()
                                             : std::span<const TUbxVocabularyItem>{};
        for (const auto& item : ids)
            if (item.Byte == id)
                return std::string(cls.Name) + "-" + std::string(item.Name);
    }
    char name[16];
    std::snprintf(name, sizeof name, "UBX 0x%02X-0x%02X", ubxClass, id);
    return name;
}
