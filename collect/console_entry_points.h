// The console functions that diagnostic and report text goes through when a stream is a
// console, in a table that tests can fill; by default the real kernel32 functions.
#pragma once

#include <windows.h>

namespace vantrel {

struct ConsoleEntryPoints {
  BOOL(WINAPI* getConsoleMode)(HANDLE console, LPDWORD mode);
  BOOL(WINAPI* writeConsole)(HANDLE console, const VOID* text, DWORD units, LPDWORD written, LPVOID reserved);
};

ConsoleEntryPoints& ConsoleApi();
const ConsoleEntryPoints& RealConsoleApi();

}  // namespace vantrel
