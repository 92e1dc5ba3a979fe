// The name and folder the save dialog proposes. No platform headers.
#pragma once

#include <string>

namespace viewer {

// "PC1 - Information" for the records of computer PC1's information entry; either part may be
// empty. Characters a file name cannot hold become "_", and a name the platform would change
// (ending in a dot or a blank) loses those. Empty when both parts are.
std::wstring SuggestedSaveName(const std::wstring& computer, const std::wstring& type);

// The folder of a full path (without the last backslash); empty when it names none.
std::wstring FolderOf(const std::wstring& path);

} // namespace viewer
