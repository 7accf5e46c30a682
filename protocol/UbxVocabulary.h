#pragma once
// The UBX class and message-id vocabulary, in one place for the decoders and
// the UBX page: message names ("NAV-PVT") for class/id pairs, class names,
// and the captions of the UBX page's class, CFG and AID lists.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

struct TUbxMessageType {
    std::uint8_t Class;
    std::uint8_t Id;
    std::string_view Name; // "NAV-PVT"
};

// Every message the vocabulary names, grouped by class.
std::span<const TUbxMessageType> UbxMessageTypes();

const TUbxMessageType* FindUbxMessageType(std::uint8_t ubxClass, std::uint8_t id);
// By name, exactly as listed ("CFG-ANT"), or nullptr.
const TUbxMessageType* FindUbxMessageType(std::string_view name);

// "NAV", or empty for a class the vocabulary does not name.
std::string_view UbxClassName(std::uint8_t ubxClass);

// The vocabulary's name, else "<class name> 0x04" for a known class, else
// "UBX 0x0A-0x04".
std::string UbxMessageName(std::uint8_t ubxClass, std::uint8_t id);

// An item of the UBX page's lists. Name is the caption's first word, the
// name the page finds an item by; Caption is the list text as shown
// ("CFG 06  p.107", "ANT   $13 p.107").
struct TUbxVocabularyItem {
    std::string_view Name;
    std::uint8_t Byte;
    std::string_view Caption;
};

std::span<const TUbxVocabularyItem> UbxClasses();
std::span<const TUbxVocabularyItem> UbxCfgIds();
std::span<const TUbxVocabularyItem> UbxAidIds();

// The item whose name is the first word of text ("CFG", "ANT   $13 p.107",
// "ALM  $30 p.95" all find their item), or nullptr.
const TUbxVocabularyItem* FindUbxItem(std::span<const TUbxVocabularyItem> items,
                                      std::string_view text);
