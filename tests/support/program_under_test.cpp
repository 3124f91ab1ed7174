#include "support/program_under_test.h"

#include "collect/categories.h"
#include "window/resource.h"

#include <cstdio>
#include <exception>
#include <vector>

namespace vantrel::testing {
namespace {

std::thread Drain(HANDLE pipe, std::string& into) {
  return std::thread([pipe, &into] {
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(pipe, buffer, sizeof buffer, &read, nullptr) && read > 0) into.append(buffer, read);
    CloseHandle(pipe);
  });
}

// The current environment with the extra variables put over it, as a CreateProcess block.
std::wstring MergedEnvironment(const std::vector<std::wstring>& extraVariables) {
  auto nameOf = [](const std::wstring& line) { return line.substr(0, line.find(L'=', 1)); };
  std::wstring block;
  wchar_t* current = GetEnvironmentStringsW();
  for (const wchar_t* entry = current; *entry != L'\0'; entry += wcslen(entry) + 1) {
    const std::wstring line(entry);
    bool replaced = false;
    for (const std::wstring& extra : extraVariables) replaced = replaced || _wcsicmp(nameOf(extra).c_str(), nameOf(line).c_str()) == 0;
    if (!replaced) block += line + L'\0';
  }
  FreeEnvironmentStringsW(current);
  for (const std::wstring& extra : extraVariables) block += extra + L'\0';
  block += L'\0';
  return block;
}

struct WindowSearch {
  DWORD processId;
  const std::function<bool(HWND)>* matches;
  HWND found;
  std::exception_ptr failure;  // what the matcher threw, thrown again once EnumWindows returned
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<WindowSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  try {
    if (owner != search->processId || !(*search->matches)(window)) return TRUE;
    search->found = window;
  } catch (...) {
    search->failure = std::current_exception();
  }
  return FALSE;
}

}  // namespace

std::wstring SiblingProgram(const std::wstring& relativePath) {
  wchar_t self[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring folder(self, length);
  folder.resize(folder.find_last_of(L'\\'));
  folder.resize(folder.find_last_of(L'\\') + 1);
  return folder + relativePath;
}

std::wstring VantrelExe() { return SiblingProgram(L"app\\Vantrel.exe"); }

std::wstring VantrelReportExe() { return SiblingProgram(L"app\\VantrelReport.exe"); }

ProgramUnderTest::ProgramUnderTest(const std::wstring& program, const std::vector<std::wstring>& extraVariables) {
  // Wine starts its desktop process from the first program that needs the desktop, and that
  // process inherits the program's standard handles. Started from the program under test, it
  // would hold the pipes below open for as long as this process lives, and reading them to
  // their end would never finish; a program that fails early is quick enough to get there first.
  GetDesktopWindow();
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE outRead = nullptr, outWrite = nullptr, errRead = nullptr, errWrite = nullptr;
  if (!CreatePipe(&outRead, &outWrite, &inherit, 0)) return;
  if (!CreatePipe(&errRead, &errWrite, &inherit, 0)) {
    CloseHandle(outRead);
    CloseHandle(outWrite);
    return;
  }
  SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = outWrite;
  startup.hStdError = errWrite;
  std::wstring commandLine = L"\"" + program + L"\"";
  std::wstring environment = MergedEnvironment(extraVariables);
  // Now and then Wine's loader fails to start a process at all (scripts/wine-run.sh meets the
  // same at the command line), which shows here as a failed CreateProcessW whose error says nothing
  // certain. So every failed start is tried again, up to three starts in all, each failure said;
  // a program that did start is never started again, so one that crashes still fails its test.
  for (int attempt = 1; attempt <= 3; ++attempt) {
    if (CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT,
                       &environment[0], nullptr, &startup, &process_)) {
      break;
    }
    std::fprintf(stderr, "CreateProcess failed (error %lu) on attempt %d\n", GetLastError(), attempt);
    process_ = PROCESS_INFORMATION{};
  }
  CloseHandle(outWrite);
  CloseHandle(errWrite);
  outputReader_ = Drain(outRead, output_);
  errorReader_ = Drain(errRead, error_);
}

ProgramUnderTest::~ProgramUnderTest() {
  if (Started() && !WaitForExit(0)) {
    TerminateProcess(process_.hProcess, 99);
    WaitForSingleObject(process_.hProcess, 10000);
  }
  if (outputReader_.joinable()) outputReader_.join();
  if (errorReader_.joinable()) errorReader_.join();
  if (process_.hProcess != nullptr) CloseHandle(process_.hProcess);
  if (process_.hThread != nullptr) CloseHandle(process_.hThread);
}

HWND ProgramUnderTest::WaitForWindow(DWORD timeoutMs) {
  if (!Started()) return nullptr;
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  do {
    if (HWND window = FindProcessDialog(process_.dwProcessId)) return window;
    if (WaitForSingleObject(process_.hProcess, 20) == WAIT_OBJECT_0) return nullptr;
  } while (GetTickCount64() < deadline);
  return nullptr;
}

bool ProgramUnderTest::WaitForExit(DWORD timeoutMs, DWORD* exitCode) {
  if (!Started() || WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0) return false;
  if (exitCode != nullptr) GetExitCodeProcess(process_.hProcess, exitCode);
  return true;
}

std::string ProgramUnderTest::StandardOutput() {
  if (WaitForExit(INFINITE) && outputReader_.joinable()) outputReader_.join();
  return output_;
}

std::string ProgramUnderTest::StandardError() {
  if (WaitForExit(INFINITE) && errorReader_.joinable()) errorReader_.join();
  return error_;
}

ChildResult RunChild(const std::wstring& program, const std::vector<std::wstring>& extraVariables) {
  ProgramUnderTest child(program, extraVariables);
  ChildResult result;
  result.started = child.Started();
  if (!result.started) return result;
  result.standardOutput = child.StandardOutput();
  result.standardError = child.StandardError();
  child.WaitForExit(INFINITE, &result.exitCode);
  return result;
}

HWND FindProcessWindow(DWORD processId, const std::function<bool(HWND)>& matches) {
  WindowSearch search{processId, &matches, nullptr, nullptr};
  EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&search));
  if (search.failure) std::rethrow_exception(search.failure);
  return search.found;
}

HWND FindProcessDialog(DWORD processId) {
  return FindProcessWindow(processId, [](HWND window) {
    return IsWindowVisible(window) && ClassName(window) == L"#32770" && GetDlgItem(window, CategoryOf(kOs).comboId) != nullptr;
  });
}

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, &text[0], static_cast<int>(text.size()))));
  return text;
}

std::wstring ClassName(HWND window) {
  wchar_t name[256];
  const int length = GetClassNameW(window, name, 256);
  return std::wstring(name, length > 0 ? static_cast<std::size_t>(length) : 0);
}

RunningVantrel::RunningVantrel() : program_(VantrelExe()), window_(program_.WaitForWindow()) {
  // Why no window came, said once here for every test that stops on it; a failed start says so itself.
  if (window_ != nullptr || !program_.Started()) return;
  DWORD exitCode = 0;
  if (program_.WaitForExit(0, &exitCode))
    std::fprintf(stderr, "Vantrel.exe ended without a window, exit code 0x%08lX, standard error: %s\n", exitCode,
                 program_.StandardError().c_str());
  else
    std::fprintf(stderr, "Vantrel.exe runs but showed no window\n");
}

bool RunningVantrel::Close() {
  if (window_ != nullptr && IsWindow(window_)) PostMessageW(window_, WM_CLOSE, 0, 0);
  return program_.WaitForExit(10000);
}

}  // namespace vantrel::testing
