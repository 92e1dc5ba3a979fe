// The save dialog's proposal.
#include "viewer/save/SaveName.h"

namespace viewer {

namespace {

// Computer names come from the log: a host may log anything as its name.
constexpr size_t kMaxNameUnits = 120;

bool Forbidden(wchar_t unit) {
    return unit < 0x20 || std::wstring_view(L"\\/:*?\"<>|").find(unit) != std::wstring_view::npos;
}

} // namespace

std::wstring SuggestedSaveName(const std::wstring& computer, const std::wstring& type) {
    std::wstring name = computer;
    if (!computer.empty() && !type.empty())
        name += L" - ";
    name += type;
    if (name.size() > kMaxNameUnits)
        name.resize(kMaxNameUnits);
    for (wchar_t& unit : name)
        if (Forbidden(unit))
            unit = L'_';
    while (!name.empty() && (name.back() == L'.' || name.back() == L' '))
        name.pop_back();
    return name;
}

std::wstring FolderOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos || slash == 0 ? std::wstring() : path.substr(0, slash);
}

} // namespace viewer
