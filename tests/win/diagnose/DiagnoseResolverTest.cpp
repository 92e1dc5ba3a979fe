// The details list of a record: which attributes are shown and as what, with the error texts
// of the suite's component (registered for the test) and of the system.
#include "DiagnoseTestSupport.h"
#include "TestSupport.h"
#include "diagnose/DiagnoseFeed.h"
#include "diagnose/DiagnoseTextResolver.h"
#include "frame/ModuleState.h"
#include "win/ResourceModule.h"

#include <map>
#include <thread>
#include <tuple>

using diagnose_test::ControlHost;
using Rows = std::map<std::wstring, std::wstring>;

// Registers the stand-in component for the current user while a test runs.
class ErrorTextComponent : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(Call("DllRegisterServer"), S_OK); }
    void TearDown() override {
        EXPECT_EQ(Call("DllUnregisterServer"), S_OK);
        ::CoFreeUnusedLibraries();
    }
    HRESULT Call(const char* entry) {
        auto call = testing_support::Export<HRESULT(STDAPICALLTYPE*)()>(m_server.get(), entry);
        return m_server && call ? call() : E_NOTIMPL;
    }
    win::UniqueModule m_server{::LoadLibraryW(L"ZtErrorText.dll")};
};

// The details list of a record: name, shown value.
static Rows ListedAttributes(const wchar_t* line) {
    ControlHost host;
    SetupAttributeColumns(host.list);
    CDiagnoseData record(line);
    ShowRecordAttributes(host.list, &record);
    Rows rows;
    for (int row = 0; row < host.list.GetItemCount(); ++row)
        rows[host.list.GetItemText(row, 0)] = host.list.GetItemText(row, 1);
    return rows;
}

TEST_F(ErrorTextComponent, AskedInTheRequestedLanguageTheSystemOnlyWhenItDeclines) {
    win::ScopedResourceHandle keep(win::ResourceHandle());
    ModuleState& module = TheModule();
    module.SelectLanguageResources(0x0409);
    const CDiagnoseTextResolver& resolver = TheTextResolver();
    EXPECT_EQ(resolver.GetErrorText(-2147467259), L"[0x80004005] Component text 0x80004005");
    EXPECT_EQ(resolver.GetErrorText(0), L"[0x00000000] Component text 0x00000000");
    // The component declines Win32 codes: the system's text.
    const std::wstring win32 = resolver.GetErrorText(static_cast<LONG>(0x80070002));
    EXPECT_EQ(win32.substr(0, 13), L"[0x80070002] ");
    EXPECT_GT(win32.size(), 13u);
    EXPECT_EQ(resolver.GetErrorText(1), L"") << "a positive answer leaves no text";
    // A host thread without COM cannot reach the component: the system's text, without a word.
    std::wstring withoutCom;
    std::thread([&] { withoutCom = resolver.GetErrorText(-2147467259); }).join();
    EXPECT_EQ(withoutCom.substr(0, 13), L"[0x80004005] ");
    EXPECT_EQ(withoutCom.find(L"Component"), std::wstring::npos) << "the component answered";

    // Swiss German has no library of its own and German is held shut, so English is loaded;
    // the component is still asked in the language the caller asked for.
    win::UniqueFile shut(::CreateFileW((testing_support::BinDirectory() + L"ZtServiceMsgDEU.LNG").c_str(),
                                       GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(shut);
    module.SelectLanguageResources(0x0807);
    ASSERT_EQ(module.Languages().LoadedLanguage(), 0x0409u);
    EXPECT_EQ(resolver.GetErrorText(-2147467259), L"[0x80004005] Komponententext 0x80004005");
}

TEST(ErrorTextWithoutComponent, SystemTextOrTheCodeAlone) {
    for (const auto& [code, prefix] :
         {std::pair{LONG(0x80004005), L"[0x80004005] "}, {LONG(2), L"[0x00000002] "}}) {
        const std::wstring text = TheTextResolver().GetErrorText(code);
        EXPECT_EQ(text.substr(0, 13), prefix);
        EXPECT_GT(text.size(), 13u) << "the system's text follows";
    }
    EXPECT_EQ(TheTextResolver().GetErrorText(static_cast<LONG>(0xA1234567)), L"[0xa1234567] ");
}

TEST(DetailsList, ResolvedValuesModeHiddenNumbersReadAsTheRecordReadsThem) {
    using Case = std::tuple<const wchar_t*, const wchar_t*, Rows>; // line, how HResult begins, other rows
    for (const auto& [line, hresultStart, others] :
         {Case{L"01.01.2026 08:00:00   Host=\"PC1\" Mode=\"3\" CaptionID=\"5000\" "
               L"textid=\"5001\" TextID=\"77\" HResult=\"-2147467259\" Other=\"x.\"",
               L"[0x80004005] ",
               {{L"Host", L"PC1"},
                {L"CaptionID", L"Vistral Projektmanager"},
                {L"textid", L"Ein Fehler ist aufgetreten."}, // names match without regard to case
                {L"TextID", L"77"},                          // no such string: the stored value
                {L"Other", L"x"}}},
          // Hexadecimal reads as 0; string identifiers are 16-bit, so 70536 does not wrap onto 5000.
          Case{L"hresult=\"0x80004005\" CaptionID=\"70536\" TextID=\"-1\" mode=\"1\"",
               L"[0x00000000] ",
               {{L"CaptionID", L"70536"}, {L"TextID", L"-1"}}}}) {
        Rows rows = ListedAttributes(line);
        EXPECT_EQ((rows[L"HResult"] + rows[L"hresult"]).substr(0, 13), hresultStart);
        rows.erase(L"HResult");
        rows.erase(L"hresult");
        EXPECT_EQ(rows, others);
    }
    CDiagnoseData big(L"HResult=\"4294967295\"");
    EXPECT_EQ(big.GetAttributeLong(L"HResult", 0), 2147483647);
    EXPECT_EQ(big.GetAttributeLong(L"hresult", -7), -7);
    // Without a resolver every attribute is listed as stored; no record only clears the list.
    ControlHost host;
    SetupAttributeColumns(host.list);
    CDiagnoseData(L"Mode=\"1\" HResult=\"5\"").FillAttributeList(host.list, nullptr);
    EXPECT_EQ(host.list.GetItemCount(), 2);
    ShowRecordAttributes(host.list, nullptr);
    EXPECT_EQ(host.list.GetItemCount(), 0);
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
