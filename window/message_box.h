// The program's one kind of message: modal to its window, OK only, the exclamation icon,
// captioned with the application's name.
#pragma once

#include <windows.h>

namespace vantrel {

int ShowMessage(HWND owner, const wchar_t* text);

}  // namespace vantrel
