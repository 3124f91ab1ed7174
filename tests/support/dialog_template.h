// The shipped dialog template read from the executable: its fields as the resource holds them,
// and its dialog units converted to pixels the way the platform converts them for the real
// window (the template is created, hidden, in the test's own process, where MapDialogRect works).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vantrel::testing {

struct TemplateItem {
  DWORD id = 0;
  std::wstring className;  // ordinals as the platform's class names: "Static", "ComboBox", ...
  DWORD style = 0;
  DWORD exStyle = 0;
  short x = 0, y = 0, width = 0, height = 0;
  std::wstring text;
};

struct DialogTemplate {
  DWORD style = 0;
  DWORD exStyle = 0;
  DWORD helpId = 0;
  short x = 0, y = 0, width = 0, height = 0;
  bool hasMenu = false;
  bool hasClass = false;
  std::wstring caption;
  WORD pointSize = 0;
  WORD weight = 0;
  BYTE italic = 0;
  BYTE charSet = 0;
  std::wstring face;
  std::vector<TemplateItem> items;
};

class ShippedTemplate {
 public:
  ShippedTemplate(const std::wstring& executable, int templateId);
  ShippedTemplate(const ShippedTemplate&) = delete;
  ShippedTemplate& operator=(const ShippedTemplate&) = delete;
  ~ShippedTemplate();

  bool Ready() const { return dialog_ != nullptr; }
  const DialogTemplate& Fields() const { return fields_; }
  RECT ToPixels(int x, int y, int width, int height) const;

 private:
  HMODULE module_ = nullptr;
  HWND dialog_ = nullptr;
  DialogTemplate fields_;
};

}  // namespace vantrel::testing
