// A fake of the clipboard, global memory, shell and message box for the window's actions:
// each step can be made to fail, and every call is recorded.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "fakes/scoped_table.h"
#include "window/action_entry_points.h"

namespace vantrel::testing {

class FakeActions {
 public:
  FakeActions();  // fills ActionApi() while it lives
  ~FakeActions();
  FakeActions(const FakeActions&) = delete;
  FakeActions& operator=(const FakeActions&) = delete;

  // Step outcomes.
  int clipboardRefusals = 0;  // opens refused (another program holds it) before one succeeds
  bool allocationSucceeds = true;
  bool lockSucceeds = true;
  bool clipboardTakesData = true;
  HRESULT comInitializeResult = S_OK;  // on the test's thread; another thread gets S_OK
  INT_PTR shellAnswer = 33;            // ShellExecuteW's: above 32 is success

  // What the fakes saw.
  const DWORD testThread;
  std::vector<std::string> calls;        // entry point names, in order; " on another thread" added
  HWND clipboardOwner = nullptr;
  UINT allocationFlags = 0;
  SIZE_T allocationBytes = 0;
  std::vector<std::wstring> clipboardTexts;  // each CF_UNICODETEXT block the clipboard took
  UINT clipboardFormat = 0;
  int blocksAllocated = 0;
  int blocksFreed = 0;     // by the program
  int blocksTaken = 0;     // by the clipboard
  bool clipboardOpen = false;
  DWORD sleptFor = 0;  // milliseconds, all sleeps together

  struct Message {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT type;
  };
  std::vector<Message> messages;

  struct ShellCall {
    HWND owner;
    std::wstring operation;
    std::wstring file;
    bool noParameters;
    bool noDirectory;
    INT show;
  };
  std::vector<ShellCall> shellCalls;
  std::vector<DWORD> comInitializeFlags;

  int BlocksLeftOver() const { return blocksAllocated - blocksFreed - blocksTaken; }

 private:
  ScopedTable<ActionEntryPoints> table_;
};

}  // namespace vantrel::testing
