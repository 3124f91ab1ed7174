// The application object: one per process, found by the entry point, which runs its
// InitInstance. The program's name, the caption of its message boxes, is the executable's
// file name without its extension.
#pragma once

#include <windows.h>

#include <string>

namespace vantrel {

class Application {
 public:
  Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;
  virtual ~Application();

  // Framework set-up (the restart registration); an override runs it first. Returns whether
  // to go on with a message loop; false ends the program.
  virtual bool InitInstance();

  static Application* Current();
  const std::wstring& Name() const { return name_; }
  // The process's exit code when InitInstance ends the program.
  int ExitCode() const { return exitCode_; }

 protected:
  // Asks Windows to start the program again after a restart for updates (restart support only:
  // no recovery, no autosave).
  void EnableRestart() { restartSupport_ = true; }
  void SetExitCode(int code) { exitCode_ = code; }

 private:
  std::wstring name_;
  bool restartSupport_ = false;
  int exitCode_ = 0;
};

// The body of the program's entry point: InitInstance, then a message loop if it asked for one;
// the application's exit code when it did not.
int RunApplication();

}  // namespace vantrel
