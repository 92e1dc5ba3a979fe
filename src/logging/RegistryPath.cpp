// Argument rules of Zt::ZtRegistry that need no registry.
#include "logging/RegistryPath.h"

namespace Zt {

std::wstring NormaliseKeyPath(std::wstring_view path) {
    const std::size_t first = path.find_first_not_of(L'\\');
    if (first == std::wstring_view::npos)
        return {};
    std::wstring normal(path.substr(first));
    if (normal.back() == L'\\')
        normal.pop_back();
    return normal;
}

std::wstring RemoteComputerName(std::wstring_view name) {
    std::size_t leading = 0;
    while (leading < name.size() && leading < 2 && name[leading] == L'\\')
        ++leading;
    return std::wstring(2 - leading, L'\\') + std::wstring(name);
}

} // namespace Zt
