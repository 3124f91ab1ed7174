#include "window/message_box.h"

#include "window/action_entry_points.h"
#include "window/application.h"

namespace vantrel {

int ShowMessage(HWND owner, const wchar_t* text) {
  const Application* application = Application::Current();
  const wchar_t* caption = application != nullptr ? application->Name().c_str() : L"";
  return ActionApi().messageBox(owner, text, caption, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace vantrel
