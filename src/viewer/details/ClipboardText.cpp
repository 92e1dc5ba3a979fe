// The text the details dialog puts on the clipboard.
#include "viewer/details/ClipboardText.h"

namespace viewer {

std::wstring ComposeClipboardText(const std::vector<std::pair<std::wstring, std::wstring>>& rows) {
    std::wstring text;
    for (const auto& [name, value] : rows) {
        text += name;
        text += L'\t';
        text += value;
        text += L"\r\n";
    }
    text += L'\0';
    return text;
}

} // namespace viewer
