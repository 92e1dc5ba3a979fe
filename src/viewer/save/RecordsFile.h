// What a file of saved records holds: the lines as they stand in the log, or CSV with the
// columns date and time, computer, type, process and message, both UTF-8 with a byte order mark
// and CR LF, so that an editor or a spreadsheet opens them as they are. No platform headers.
#pragma once

#include <string>
#include <vector>

namespace viewer {

enum class SaveFormat { Text, Csv };

// The save dialog's filters, in this order (its filter index counts from 1).
constexpr int kTextFilter = 1;
constexpr int kCsvFilter = 2;

// The form a chosen name asks for: a name ending in ".csv" or ".txt" (in any case) says it,
// any other the filter chosen.
SaveFormat FormatFor(const std::wstring& path, int filterIndex);

// The separator between CSV fields: the user's list separator when it can stand there (one to
// three units, none of them a quote, CR or LF); otherwise ";" where the decimal separator is a
// comma, and "," elsewhere, as spreadsheets of those regions read them.
std::wstring CsvSeparator(const std::wstring& listSeparator, const std::wstring& decimalSeparator);

// Appends one CSV row of `fields` ended by CR LF. A field goes in quotes, its quotes doubled,
// when it holds the separator, a quote, CR or LF, or starts or ends with a blank.
void AppendCsvRow(std::wstring& out, const std::vector<std::wstring>& fields, const std::wstring& separator);

// Appends `text` (UTF-16 where wchar_t has 16 bits, UTF-32 elsewhere) as UTF-8; a unit that is
// no character (half a surrogate pair) becomes U+FFFD.
void AppendUtf8(std::string& out, const std::wstring& text);

} // namespace viewer
