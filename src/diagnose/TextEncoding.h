// How the bytes of a diagnostic log are read as text: the form of the file, and the widening
// of its units to the wide strings the viewer shows. No platform headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace diagnose {

// The forms a log's text is kept in. 8-bit text is widened unit by unit through a table of the
// ANSI code page (single-byte pages only; multi-byte pages are widened by the platform before
// the text reaches the store).
enum class TextForm { Ansi8, Utf8, Utf16 };

struct DetectedEncoding {
    TextForm form = TextForm::Ansi8;
    size_t bomLength = 0;
};

// A UTF-8 or UTF-16LE byte-order mark decides; without one, text whose sampled units mostly
// carry a zero high byte and whose low bytes are rarely zero is UTF-16LE (the module's own
// Events.log has no mark); everything else is 8-bit text.
DetectedEncoding DetectEncoding(const unsigned char* data, size_t size);

// Appends UTF-8 units, decoded; an invalid or cut sequence gives one U+FFFD per bad unit.
void AppendUtf8(std::wstring& out, const char* text, size_t length);
// Appends UTF-16 units (on a 32-bit wchar_t, surrogate pairs are joined).
void AppendUtf16(std::wstring& out, const char16_t* text, size_t length);
// Appends 8-bit units through a 256-entry table of the code page.
void AppendAnsi(std::wstring& out, const char* text, size_t length, const char16_t* table);

// The table of ISO 8859-1, for hosts without an ANSI code page (tests, fuzzing, benchmarks).
const char16_t* Latin1Table();

} // namespace diagnose
