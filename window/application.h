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

  // Returns whether to go on with a message loop; false ends the program.
  virtual bool InitInstance() { return false; }

  static Application* Current();
  const std::wstring& Name() const { return name_; }

 private:
  std::wstring name_;
};

// The body of the program's entry point: InitInstance, then a message loop if it asked for one.
int RunApplication();

}  // namespace vantrel
