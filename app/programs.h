// The bodies of both programs' entry points, with what they share: the exit codes and the pass.
// The entry points only call these, so tests reach the programs as they are wired.
#pragma once

#include "collect/background_pass.h"

namespace vantrel {

// Exit codes of both programs; kExitStopped (an exception ended the program) is in program_start.h.
constexpr int kExitComplete = 0;
constexpr int kExitWmiUnavailable = 1;
constexpr int kExitIncomplete = 2;
int ExitCodeOf(PassResult result);

// The name of the mutex a running Vantrel.exe holds, in the user's session.
constexpr wchar_t kRunningMutexName[] = L"Local\\Vantrel.Running";

// Vantrel.exe: DLLs from the system folder only, then the application object's run, guarded
// (in vantrel_app.cpp, so that VantrelReport.exe links no window code).
int RunVantrel();

// VantrelReport.exe: the same start, then the pass without a window, waited for as Vantrel.exe
// waits; the report goes to standard output once it is over.
int RunReport(const PassReaders& readers);

}  // namespace vantrel
