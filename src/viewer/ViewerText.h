// A text of the viewer from the selected language library, or the module's German text where
// a library made before the text existed lacks it: an item or title is never left empty.
#pragma once

#include "viewer/MessageKeys.h"

#include <windows.h>
#include <string>

std::wstring ViewerText(UINT id);
// The same with its "%s" replaced by `insert`.
std::wstring ViewerText(UINT id, const std::wstring& insert);

// The message of a line as the list shows it, its TextID named from the current language
// resources; the resource source is taken now, so that a save's thread may call it.
viewer::MessageOfLine MessageReader();

// The platform's text for an error, in the language of the resources where the platform has
// it there; its number when it has none.
std::wstring SystemErrorText(DWORD error);
// The viewer's text `id` with its placeholder (%s or %u) replaced by `value`. The text is never
// used as a format, so a language library's text cannot make it read arguments that are not there.
std::wstring ViewerTextWith(UINT id, const std::wstring& value);
