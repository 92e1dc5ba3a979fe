// How the bytes of a diagnostic log are read as text: the form of the file, and the widening
// of its units to the wide strings the viewer shows. No platform headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace diagnose {

// The forms of a log's text. 8-bit text of a single-byte ANSI code page is widened unit by unit
// through a table of the page; a multi-byte page is widened by the platform, one line at a time
// (a line feed is never the trail byte of a character there, so every line starts on one).
enum class TextForm { Ansi8, AnsiMultiByte, Utf8, Utf16 };

// Widens one line of a multi-byte code page, replacing `out`.
using WidenLine = void (*)(const char* text, size_t length, std::u16string& out);

// How the bytes of one log become text.
struct TextDecoder {
    TextForm form = TextForm::Ansi8;
    std::u16string ansiTable;  // Ansi8: the 256 units of the code page (ISO 8859-1 when empty)
    WidenLine widen = nullptr; // AnsiMultiByte
};

struct DetectedEncoding {
    TextForm form = TextForm::Ansi8;
    size_t bomLength = 0;
};

// A UTF-8 or UTF-16LE byte-order mark decides; without one, text whose sampled units mostly
// carry a zero high byte and whose low bytes are rarely zero is UTF-16LE (the module's own
// Events.log has no mark); then text whose non-ASCII bytes all form UTF-8 is UTF-8 (editors and
// scripts write it without a mark); everything else, pure ASCII too, is 8-bit text. The sample
// is the first 64 KiB: the log is decided once, from its head, and the scan never looks again.
// Bytes further on that are no UTF-8 in a log taken for it show as U+FFFD each (AppendUtf8);
// UTF-8 after an ASCII or ANSI head is read as the code page's text.
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
