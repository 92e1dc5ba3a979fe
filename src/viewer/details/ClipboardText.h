// The text the details dialog puts on the clipboard for its selected rows.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace viewer {

// Each row as its two column texts joined by a tab and ended by CR LF, in the order given,
// then one terminating NUL: exactly the characters that go to the clipboard.
std::wstring ComposeClipboardText(const std::vector<std::pair<std::wstring, std::wstring>>& rows);

} // namespace viewer
