// Puts a text on the clipboard as CF_UNICODETEXT, the one format offered.
#pragma once

#include <windows.h>

#include <string>

namespace vantrel {

// True once the clipboard has taken the text. False, with nothing of ours left on the clipboard
// and no memory leaked, when it could not be opened within about a second, the block could not
// be made or the clipboard refused it.
bool CopyTextToClipboard(HWND owner, const std::wstring& text);

}  // namespace vantrel
