// Starts a program of this build as a separate process and finds its visible dialog window,
// so that tests can drive the real executable the way a user would.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace vantrel::testing {

// A program of the build tree, named relative to the folder above the test program's own.
std::wstring SiblingProgram(const std::wstring& relativePath);

// The two programs under test.
std::wstring VantrelExe();
std::wstring VantrelReportExe();

class ProgramUnderTest {
 public:
  // Starts the program with its standard output and error on pipes and the test's environment,
  // with extraVariables ("NAME=value") put over it.
  explicit ProgramUnderTest(const std::wstring& program, const std::vector<std::wstring>& extraVariables = {});
  ProgramUnderTest(const ProgramUnderTest&) = delete;
  ProgramUnderTest& operator=(const ProgramUnderTest&) = delete;
  ~ProgramUnderTest();  // ends the process if it still runs

  bool Started() const { return process_.hProcess != nullptr; }
  DWORD ProcessId() const { return process_.dwProcessId; }

  // The program's visible top-level dialog, waiting for it up to timeoutMs; null if none came.
  HWND WaitForWindow(DWORD timeoutMs = 30000);

  // Whether the process ended within timeoutMs; its exit code in *exitCode.
  bool WaitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr);

  // What the program wrote, complete once it has ended.
  std::string StandardOutput();
  std::string StandardError();

 private:
  PROCESS_INFORMATION process_{};
  std::string output_;
  std::string error_;
  std::thread outputReader_;
  std::thread errorReader_;
};

// Vantrel.exe with its window up; closing it, or the end of the object, ends the program.
class RunningVantrel {
 public:
  RunningVantrel();
  RunningVantrel(const RunningVantrel&) = delete;
  RunningVantrel& operator=(const RunningVantrel&) = delete;
  ~RunningVantrel() { Close(); }

  HWND Window() const { return window_; }  // null when no window came
  DWORD ProcessId() const { return program_.ProcessId(); }
  ProgramUnderTest& Program() { return program_; }

  // Whether the program ended when its window was closed.
  bool Close();
  // Complete only after Close.
  std::string StandardOutput() { return program_.StandardOutput(); }

 private:
  ProgramUnderTest program_;
  HWND window_;
};

// Runs a program to its end and returns what it wrote and its exit code.
struct ChildResult {
  bool started = false;
  DWORD exitCode = 0;
  std::string standardOutput;
  std::string standardError;
};
ChildResult RunChild(const std::wstring& program, const std::vector<std::wstring>& extraVariables = {});

// The process's visible spec window: a top-level dialog with the category combos (the progress
// window shown while the pass takes time has none).
HWND FindProcessDialog(DWORD processId);

// The first top-level window of a process that `matches` accepts, or null.
HWND FindProcessWindow(DWORD processId, const std::function<bool(HWND)>& matches);

std::wstring WindowText(HWND window);
std::wstring ClassName(HWND window);

}  // namespace vantrel::testing
