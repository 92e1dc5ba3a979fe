// Shortening a text to the room it is drawn in, for text layouts that do not trim on their own.
#pragma once

#include <functional>
#include <string>

namespace info {

// Whether a text fits the room it is meant for (measured by whoever draws it).
using FitsRoom = std::function<bool(const std::wstring& text)>;

// `text` itself when it fits; otherwise its longest beginning that fits with "…" (U+2026)
// after it, shortened at any character but never inside a surrogate pair, and without the
// spaces and line breaks before the "…". When not even "…" fits, "…" all the same: the
// drawing clips it. Assumes that a longer beginning never fits where a shorter one does not.
std::wstring FitWithEllipsis(const std::wstring& text, const FitsRoom& fits);

} // namespace info
