// The words of an Events.log entry: level words, the head, and the hex dump's rows.
#include "logging/DiagnoseEntry.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Zt;

TEST(DiagnoseEntry, LevelWordsShareOneWidthAndTheHeadIsLiteral) {
    EXPECT_EQ(LevelWord(DiagnoseLevel::Info), L"Info   ");
    EXPECT_EQ(LevelWord(DiagnoseLevel::Warning), L"Warning");
    EXPECT_EQ(LevelWord(DiagnoseLevel::Error), L"Error  ");
    EXPECT_EQ(EntryHead(L"Ostrana Vistral Service", DiagnoseLevel::Error),
              L"Ostrana Vistral Service: Error  :\t");
    EXPECT_EQ(EntryHead(L"100% %s", DiagnoseLevel::Info), L"100% %s: Info   :\t");
}

TEST(HexDump, RowsOfSixteenWithACharacterColumn) {
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < 16; ++i)
        bytes.push_back(static_cast<std::uint8_t>('A' + i));
    EXPECT_EQ(HexDump(bytes.data(), 16),
              L"41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50 \t\tABCDEFGHIJKLMNOP");

    bytes.push_back(0x7F);
    EXPECT_EQ(HexDump(bytes.data(), 17),
              L"41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50 \t\tABCDEFGHIJKLMNOP\r\n7F \t\t.");
}

TEST(HexDump, UnprintableBytesShowAsDotsAndNothingGivesNothing) {
    const std::uint8_t bytes[] = {0x00, 0x1F, 0x20, 0x7E, 0x7F, 0x80, 0xFF};
    EXPECT_EQ(HexDump(bytes, sizeof bytes), L"00 1F 20 7E 7F 80 FF \t\t.. ~...");
    EXPECT_EQ(HexDump(bytes, 0), L"");
    EXPECT_EQ(HexDump(nullptr, 100), L"");
}
