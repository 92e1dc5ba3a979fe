// The details list of a record: which attributes are shown and as what, with the error texts
// of the suite's component (registered for the test) and of the system.
#include "DiagnoseTestSupport.h"
#include "diagnose/DiagnoseFeed.h"
#include "diagnose/DiagnoseTextResolver.h"
#include "frame/ModuleState.h"

#include <gtest/gtest.h>

#include <map>

using diagnose_test::ControlHost;

namespace {

std::wstring Hex(LONG code) {
    wchar_t text[16];
    swprintf(text, 16, L"[0x%08x] ", static_cast<unsigned>(code));
    return text;
}

std::wstring SystemText(LONG code) {
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr,
        static_cast<DWORD>(code), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
        reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring result(text ? text : L"", text ? length : 0);
    ::LocalFree(text);
    return result;
}

// A registration entry point of the component's server.
HRESULT(STDAPICALLTYPE* Entry(HMODULE server, const char* name))() {
    return reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<void (*)()>(::GetProcAddress(server, name)));
}

// Registers the stand-in component for the current user while a test runs.
class ErrorTextComponent : public ::testing::Test {
protected:
    void SetUp() override {
        m_server = ::LoadLibraryW(L"ZtErrorText.dll");
        ASSERT_NE(m_server, nullptr);
        auto reg = Entry(m_server, "DllRegisterServer");
        ASSERT_NE(reg, nullptr);
        ASSERT_EQ(reg(), S_OK);
    }
    void TearDown() override {
        if (!m_server)
            return;
        auto unreg = Entry(m_server, "DllUnregisterServer");
        if (unreg) {
            EXPECT_EQ(unreg(), S_OK);
        }
        ::CoFreeUnusedLibraries();
        ::FreeLibrary(m_server);
    }
    HMODULE m_server = nullptr;
};

std::map<std::wstring, std::wstring> ListedAttributes(const wchar_t* line) {
    ControlHost host;
    SetupAttributeColumns(host.list);
    CDiagnoseData record(line);
    ShowRecordAttributes(host.list, &record);
    std::map<std::wstring, std::wstring> rows;
    for (int row = 0; row < host.list.GetItemCount(); ++row)
        rows[host.list.GetItemText(row, 0)] = host.list.GetItemText(row, 1);
    return rows;
}

} // namespace

TEST_F(ErrorTextComponent, ZeroGivesTheComponentsTextNegativeTheSystemsPositiveNothing) {
    const LCID language = TheModule().CurrentLanguage();
    const std::wstring component =
        PRIMARYLANGID(LANGIDFROMLCID(language)) == LANG_GERMAN ? L"Komponententext " : L"Component text ";
    const CDiagnoseTextResolver& resolver = TheTextResolver();
    EXPECT_EQ(resolver.GetErrorText(-2147467259), L"[0x80004005] " + component + L"0x80004005");
    EXPECT_EQ(resolver.GetErrorText(0), L"[0x00000000] " + component + L"0x00000000");
    // The component declines Win32 codes: the system's text, line break and all.
    const LONG win32 = static_cast<LONG>(0x80070002);
    EXPECT_EQ(resolver.GetErrorText(win32), Hex(win32) + SystemText(win32));
    EXPECT_EQ(resolver.GetErrorText(1), L"") << "a positive answer leaves no text";
}

TEST(ErrorTextWithoutComponent, SystemTextOrTheCodeAlone) {
    const CDiagnoseTextResolver& resolver = TheTextResolver();
    const LONG failure = static_cast<LONG>(0x80004005);
    EXPECT_EQ(resolver.GetErrorText(failure), Hex(failure) + SystemText(failure));
    EXPECT_EQ(resolver.GetErrorText(2), Hex(2) + SystemText(2));
    const LONG nothing = static_cast<LONG>(0xA1234567);
    ASSERT_EQ(SystemText(nothing), L"");
    EXPECT_EQ(resolver.GetErrorText(nothing), L"[0xa1234567] ");
}

TEST_F(ErrorTextComponent, DetailsListShowsResolvedValuesAndHidesMode) {
    const auto rows = ListedAttributes(L"01.01.2026 08:00:00   Host=\"PC1\" Mode=\"3\" CaptionID=\"5000\" "
                                       L"textid=\"5001\" TextID=\"77\" HResult=\"-2147467259\" Other=\"x.\"");
    EXPECT_EQ(rows.count(L"Mode"), 0u);
    EXPECT_EQ(rows.at(L"Host"), L"PC1");
    EXPECT_EQ(rows.at(L"CaptionID"), L"Vistral Projektmanager");
    EXPECT_EQ(rows.at(L"textid"), L"Ein Fehler ist aufgetreten.") << "names match without regard to case";
    EXPECT_EQ(rows.at(L"TextID"), L"77") << "no such string: the stored value";
    EXPECT_EQ(rows.at(L"HResult").substr(0, 13), L"[0x80004005] ");
    EXPECT_EQ(rows.at(L"Other"), L"x");
    EXPECT_EQ(rows.size(), 6u);
}

TEST(DetailsList, NumbersAreReadAsTheRecordReadsThem) {
    const auto rows = ListedAttributes(L"HResult=\"0x80004005\" CaptionID=\"70536\" TextID=\"-1\"");
    EXPECT_EQ(rows.at(L"HResult").substr(0, 13), L"[0x00000000] ") << "hexadecimal reads as 0";
    // String identifiers are 16-bit; 70536 would otherwise wrap onto row 5000.
    EXPECT_EQ(rows.at(L"CaptionID"), L"70536");
    EXPECT_EQ(rows.at(L"TextID"), L"-1");
    CDiagnoseData big(L"HResult=\"4294967295\"");
    EXPECT_EQ(big.GetAttributeLong(L"HResult", 0), 2147483647);
    EXPECT_EQ(big.GetAttributeLong(L"hresult", -7), -7);
    ControlHost host;
    ShowRecordAttributes(host.list, nullptr);
    EXPECT_EQ(host.list.GetItemCount(), 0);
    // Without a resolver every attribute is listed as stored.
    CDiagnoseData record(L"Mode=\"1\" HResult=\"5\"");
    SetupAttributeColumns(host.list);
    record.FillAttributeList(host.list, nullptr);
    EXPECT_EQ(host.list.GetItemCount(), 2);
}

TEST(DiagnoseData, RecordAnswersFromItsLine) {
    CDiagnoseData record(L"05.12.2026 12:32:28    host=\"X\" Process=\"P\" Traceclass=\"65537\"");
    EXPECT_EQ(record.GetTime(), L"12:32:28 ");
    EXPECT_EQ(record.GetHost(), L"Unbekannt") << "names are case-sensitive";
    EXPECT_EQ(record.GetProcess(), L"P");
    EXPECT_EQ(record.GetTraceClass(), 1);
    EXPECT_EQ(CDiagnoseData(L"Traceclass=\"abc\"").GetTraceClass(), 0);
    EXPECT_EQ(CDiagnoseData(L"").GetTraceClass(), 65535);
}
