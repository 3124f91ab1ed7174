// The clipboard, global-memory, COM, shell, message-box and sleep functions that the window's two
// actions call, in one table that tests can fill; by default it holds the real user32, kernel32,
// ole32 and shell32 functions.
#pragma once

#include <windows.h>

namespace vantrel {

struct ActionEntryPoints {
  BOOL(WINAPI* openClipboard)(HWND owner);
  BOOL(WINAPI* emptyClipboard)();
  HGLOBAL(WINAPI* globalAlloc)(UINT flags, SIZE_T bytes);
  LPVOID(WINAPI* globalLock)(HGLOBAL block);
  BOOL(WINAPI* globalUnlock)(HGLOBAL block);
  HGLOBAL(WINAPI* globalFree)(HGLOBAL block);
  HANDLE(WINAPI* setClipboardData)(UINT format, HANDLE data);
  BOOL(WINAPI* closeClipboard)();
  HRESULT(WINAPI* coInitializeEx)(LPVOID reserved, DWORD coInit);
  void(WINAPI* coUninitialize)();
  HINSTANCE(WINAPI* shellExecute)(HWND owner, LPCWSTR operation, LPCWSTR file, LPCWSTR parameters,
                                  LPCWSTR directory, INT show);
  int(WINAPI* messageBox)(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
  void(WINAPI* sleep)(DWORD milliseconds);
};

ActionEntryPoints& ActionApi();
const ActionEntryPoints& RealActionApi();

}  // namespace vantrel
