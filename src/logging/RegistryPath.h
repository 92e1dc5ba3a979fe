// Argument rules of Zt::ZtRegistry that need no registry: key path normalisation and the
// computer name of a remote connection.
#pragma once

#include <string>
#include <string_view>

namespace Zt {

// Leading backslashes skipped, then one trailing backslash removed (only one). A path of
// backslashes only normalises to the empty path, which names the parent key itself.
std::wstring NormaliseKeyPath(std::wstring_view path);

// The name behind exactly two backslashes at least: "pc" and "\pc" become "\\pc"; "\\pc" and
// "\\\pc" stay as they are.
std::wstring RemoteComputerName(std::wstring_view name);

} // namespace Zt
