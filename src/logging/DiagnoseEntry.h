// The words of one Events.log entry: level word, entry head and hex dump.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace Zt {

enum class DiagnoseLevel { Info = 0, Warning = 1, Error = 2 };

// "Info   ", "Warning" or "Error  ": always seven characters, so that messages line up.
std::wstring_view LevelWord(DiagnoseLevel level);

// source, ": ", the level word, ":" and a tab. The source is text, never a format.
std::wstring EntryHead(std::wstring_view source, DiagnoseLevel level);

// Rows of 16 bytes as "%02X " pairs, two tabs and the printable characters ('.' for others),
// rows joined by CR LF; no line end after the last row. Empty for no bytes.
std::wstring HexDump(const std::uint8_t* data, std::size_t size);

} // namespace Zt
