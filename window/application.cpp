#include "window/application.h"

namespace vantrel {
namespace {

Application* g_application = nullptr;

std::wstring ExecutableName() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  const std::size_t slash = path.find_last_of(L"\\/");
  std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.find_last_of(L'.');
  if (dot != std::wstring::npos && dot > 0) name.resize(dot);
  return name;
}

}  // namespace

Application::Application() : name_(ExecutableName()) { g_application = this; }

Application::~Application() {
  if (g_application == this) g_application = nullptr;
}

Application* Application::Current() { return g_application; }

bool Application::InitInstance() {
  if (restartSupport_) RegisterApplicationRestart(nullptr, 0);
  return false;
}

int RunApplication() {
  Application* application = Application::Current();
  if (application == nullptr) return 0;
  if (!application->InitInstance()) return application->ExitCode();
  MSG message{};
  for (;;) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(message.wParam);  // WM_QUIT's exit code
    if (got == -1) return -1;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

}  // namespace vantrel
