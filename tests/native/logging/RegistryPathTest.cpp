// Zt::ZtRegistry's path normalisation and remote computer names.
#include "logging/RegistryPath.h"

#include <gtest/gtest.h>

using namespace Zt;

TEST(RegistryPath, LeadingBackslashesAndOneTrailingGo) {
    EXPECT_EQ(NormaliseKeyPath(L"Software\\Test"), L"Software\\Test");
    EXPECT_EQ(NormaliseKeyPath(L"\\\\\\Software\\Test\\"), L"Software\\Test");
    EXPECT_EQ(NormaliseKeyPath(L"Software\\Test\\\\"), L"Software\\Test\\");
    EXPECT_EQ(NormaliseKeyPath(L"\\\\\\"), L"");
    EXPECT_EQ(NormaliseKeyPath(L"a"), L"a");
}

TEST(RegistryPath, ComputerNamesGetExactlyTwoBackslashes) {
    EXPECT_EQ(RemoteComputerName(L"pc"), L"\\\\pc");
    EXPECT_EQ(RemoteComputerName(L"\\pc"), L"\\\\pc");
    EXPECT_EQ(RemoteComputerName(L"\\\\pc"), L"\\\\pc");
    EXPECT_EQ(RemoteComputerName(L"\\\\\\pc"), L"\\\\\\pc");
    EXPECT_EQ(RemoteComputerName(L""), L"\\\\");
}
