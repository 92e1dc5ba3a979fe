// The message of a record's line: its Text, the text its TextID names, or nothing.
#include "diagnose/LineFields.h"
#include "diagnose/RecordMessage.h"

#include <gtest/gtest.h>

TEST(RecordMessage, TextThenTextIdAsTheDetailsShowItThenFreeTextElseNothing) {
    const diagnose::TextIdLookup lookup = [](uint32_t id, std::wstring& text) {
        if (id != 5001)
            return false;
        text = L"Ein Fehler ist aufgetreten.";
        return true;
    };
    const struct {
        const wchar_t* line;
        const wchar_t* message;
    } cases[] = {
        {LR"(05.12.2026 08:00:00   Host="PC1" Text="Speicher knapp" TextID="5001")", L"Speicher knapp"},
        {LR"(05.12.2026 08:00:00   Host="PC1" TextID="5001")", L"Ein Fehler ist aufgetreten."},
        {LR"(05.12.2026 08:00:00   textid=" 5001" TEXT="kleingeschrieben")", L"kleingeschrieben"},
        {LR"(05.12.2026 08:00:00   TextID="4711")", L"4711"},                // names nothing: as it stands
        {LR"(05.12.2026 08:00:00   TextID="70537")", L"70537"},              // beyond 16 bits: not looked up
        {LR"(05.12.2026 08:00:00   Text="alt" Text="neu")", L"neu"},         // the later pair
        {LR"(05.12.2026 08:00:00   Host="PC1" Process="A")", L""},           // neither
        {LR"(05.12.2026 08:00:00   Dienst gestartet)", L"Dienst gestartet"}, // not a record: its text
        {L"Zeile ohne Kopf", L"Zeile ohne Kopf"},
        {L"", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(diagnose::MessageOf(c.line, lookup), c.message) << std::wstring(c.line).size();
    EXPECT_EQ(diagnose::MessageOf(LR"(x   TextID="5001")", nullptr), L"5001") << "no resources";
}

TEST(RecordMessage, TextAsLoggedUpToTheQuoteThatEndsItWhileTheAttributeKeepsTheGrammarsValue) {
    const struct {
        const wchar_t* line;
        const wchar_t* message;
    } cases[] = {
        {LR"(05.12.2026 08:00:00   Host="PC1" Text="Kosten 12 € – Menü" Process="A")", L"Kosten 12 € – Menü"},
        {LR"-(05.12.2026 08:00:00   Text="Störung (Ölstand)")-", L"Störung (Ölstand)"},
        {LR"(05.12.2026 08:00:00   Host="PC1" Text="Error occurred."   )", L"Error occurred."},
        {LR"(05.12.2026 08:00:00   Text="")", L""},
        {LR"(05.12.2026 08:00:00   Text="..." TextID="5001")", L"..."},
        {LR"(05.12.2026 08:00:00   Text="Datei "a.txt" fehlt" Host="PC1")", LR"(Datei "a.txt" fehlt)"},
        {LR"(05.12.2026 08:00:00   Text="setze x="5" jetzt")", LR"(setze x="5" jetzt)"},
        {LR"(05.12.2026 08:00:00   Note="Text="nein"" Text="ja")", L"ja"}, // inside another value
        {LR"(05.12.2026 08:00:00   Host="PC1" Text="a   b")", L"a   b"},   // three blanks: in the time
        {LR"(05.12.2026 08:00:00   Text="offen)", L"offen"},               // never closed: the rest
        {LR"(05.12.2026 08:00:00   Host="PC1" TextID="4711")", L"4711"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(diagnose::MessageOf(c.line, nullptr), c.message) << std::wstring(c.line).size();
    EXPECT_EQ(diagnose::ParseLine(LR"(x   Text="Error occurred.")").attributes.at(L"Text"),
              L"Error occurred");
}
