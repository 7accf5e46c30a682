#include "protocol/UbxVocabulary.h"

#include <gtest/gtest.h>

TEST(UbxVocabulary, ListsAndLookupByItemText) {
    ASSERT_EQ(UbxClasses().size(), 8u);
    ASSERT_EQ(UbxCfgIds().size(), 17u);
    ASSERT_EQ(UbxAidIds().size(), 5u);
    EXPECT_EQ(UbxClasses().front().Caption, "NAV 01  p.157");
    EXPECT_EQ(UbxCfgIds()[7].Caption, "NAVX5 $23 p.119");
    EXPECT_EQ(UbxAidIds().back().Caption, "INI   $01 p.104");

    struct Case {
        std::span<const TUbxVocabularyItem> list;
        const char* text;
        int byte; // -1: not found
    };
    const Case cases[] = {
        {UbxClasses(), "CFG 06  p.107", 0x06},  {UbxClasses(), "TIM", 0x0D},
        {UbxClasses(), " Class ID", -1},        {UbxCfgIds(), "ANT   $13 p.107", 0x13},
        {UbxCfgIds(), "PRT   $00 p.129", 0x00}, {UbxCfgIds(), "NAV", -1},
        {UbxAidIds(), "ALM  $30 p.95", 0x30},   {UbxAidIds(), "", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const TUbxVocabularyItem* item = FindUbxItem(c.list, c.text);
        EXPECT_EQ(item ? item->Byte : -1, c.byte);
    }
    // every caption names its own item
    for (auto list : {UbxClasses(), UbxCfgIds(), UbxAidIds()})
        for (const auto& item : list)
            EXPECT_EQ(FindUbxItem(list, item.Caption), &item) << item.Caption;
}

TEST(UbxVocabulary, NamesMessagesBothWays) {
    struct Case {
        std::uint8_t ubxClass, id;
        const char* name;
    };
    const Case cases[] = {
        {0x01, 0x07, "NAV-PVT"},       {0x05, 0x00, "ACK-NAK"},   {0x0A, 0x04, "MON-VER"},
        {0x06, 0x13, "CFG-ANT"},       {0x04, 0x04, "INF-DEBUG"}, {0x01, 0xEE, "NAV 0xEE"},
        {0x7F, 0x04, "UBX 0x7F-0x04"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UbxMessageName(c.ubxClass, c.id), c.name);
        const TUbxMessageType* type = FindUbxMessageType(c.name);
        if (type) {
            EXPECT_TRUE(type->Class == c.ubxClass && type->Id == c.id) << c.name;
        }
    }
    for (const auto& type : UbxMessageTypes()) {
        EXPECT_EQ(FindUbxMessageType(type.Class, type.Id), &type) << type.Name << " listed twice";
        EXPECT_EQ(type.Name.substr(0, type.Name.find('-')), UbxClassName(type.Class));
    }
}

TEST(UbxVocabulary, PageItemsAreMessagesTheVocabularyKnows) {
    for (const auto& ubxClass : UbxClasses())
        EXPECT_EQ(UbxClassName(ubxClass.Byte), ubxClass.Name);
    for (const auto& id : UbxCfgIds())
        EXPECT_TRUE(FindUbxMessageType(0x06, id.Byte)) << id.Caption;
    for (const auto& id : UbxAidIds())
        EXPECT_TRUE(FindUbxMessageType(0x0B, id.Byte)) << id.Caption;
}
