// What both programs do around their body: DLLs only from the system folder, and an exception that
// reaches the entry point ending the program quietly instead of in the C runtime's error box.
#pragma once

#include <windows.h>

#include <cstdio>
#include <exception>
#include <new>

namespace vantrel {

// The exit code of a program stopped by an exception.
constexpr int kExitStopped = 3;

struct DllSearchEntryPoints {
  // Null where Windows lacks it: Windows 7 has it only with update KB2533623.
  BOOL(WINAPI* setDefaultDllDirectories)(DWORD flags);
  BOOL(WINAPI* setDllDirectory)(LPCWSTR path);
};
DllSearchEntryPoints& DllSearchApi();
const DllSearchEntryPoints& RealDllSearchApi();

// Sellers run the program from Downloads, where any file a web page saved sits beside it: every
// DLL that the program, or a system DLL for it, loads by name comes from the system folder only.
// Where Windows cannot do that, the current folder at least is taken out of the search.
void LoadDllsFromSystemFolderOnly();

// Writes "<program>: stopped: <why>" as a line to `reasons`, when given.
void SayWhyStopped(std::FILE* reasons, const char* program, const char* why);

// Runs the body and returns its exit code; an exception from it ends in kExitStopped, its reason
// written to `reasons` (null: nowhere).
template <class Body>
int RunGuarded(Body&& body, const char* program, std::FILE* reasons) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    SayWhyStopped(reasons, program, "out of memory");
  } catch (const std::exception& error) {
    SayWhyStopped(reasons, program, error.what());
  } catch (...) {
    SayWhyStopped(reasons, program, "an unknown error");
  }
  return kExitStopped;
}

}  // namespace vantrel
