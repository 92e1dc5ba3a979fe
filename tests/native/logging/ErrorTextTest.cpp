// The error lines' texts that do not come from the system.
#include "logging/ErrorText.h"

#include <gtest/gtest.h>

using namespace Zt;

TEST(ErrorText, Win32CodesBecomeHResults) {
    EXPECT_EQ(static_cast<std::uint32_t>(HResultFromWin32Code(5)), 0x80070005u);
    EXPECT_EQ(static_cast<std::uint32_t>(HResultFromWin32Code(0x12345)), 0x80072345u);
    EXPECT_EQ(HResultFromWin32Code(0), 0);
    EXPECT_EQ(HResultFromWin32Code(-7), -7);
}

TEST(ErrorText, SystemTextsLoseTheirLineEnd) {
    EXPECT_EQ(TrimSystemMessage(L"Access is denied.\r\n"), L"Access is denied.");
    EXPECT_EQ(TrimSystemMessage(L"Denied\n"), L"Denied");
    EXPECT_EQ(TrimSystemMessage(L"\n"), L"\n");
    EXPECT_EQ(TrimSystemMessage(L""), L"");
}

TEST(ErrorText, FallbacksNameDispatchErrorsAndEverythingElse) {
    EXPECT_EQ(FallbackErrorText(static_cast<std::int32_t>(0x80040200u)), L"IDispatch error #0");
    EXPECT_EQ(FallbackErrorText(static_cast<std::int32_t>(0x80040210u)), L"IDispatch error #16");
    EXPECT_EQ(FallbackErrorText(static_cast<std::int32_t>(0x8004FFFFu)), L"IDispatch error #65023");
    EXPECT_EQ(FallbackErrorText(static_cast<std::int32_t>(0x80050000u)), L"Unknown error 0x80050000");
    EXPECT_EQ(FallbackErrorText(static_cast<std::int32_t>(0xDEADBEEFu)), L"Unknown error 0xDEADBEEF");
}
