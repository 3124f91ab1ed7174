#include "support/dialog_template.h"

#include <cstring>

namespace vantrel::testing {
namespace {

INT_PTR CALLBACK IgnoreMessages(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// Reads an extended dialog template field by field.
class TemplateReader {
 public:
  explicit TemplateReader(const std::vector<unsigned char>& bytes) : bytes_(bytes) {}

  template <class T>
  T Read() {
    T value{};
    if (at_ + sizeof(T) <= bytes_.size()) std::memcpy(&value, &bytes_[at_], sizeof(T));
    at_ += sizeof(T);
    return value;
  }
  std::wstring ReadString() {
    std::wstring text;
    for (wchar_t c; (c = Read<wchar_t>()) != L'\0' && at_ <= bytes_.size();) text.push_back(c);
    return text;
  }
  // A name or an ordinal; present is false for the empty form.
  std::wstring ReadNameOrOrdinal(bool* present = nullptr) {
    const WORD first = Read<WORD>();
    if (present != nullptr) *present = first != 0;
    if (first == 0) return std::wstring();
    if (first == 0xFFFF) return L"#" + std::to_wstring(Read<WORD>());
    at_ -= sizeof(WORD);
    return ReadString();
  }
  void AlignToDword() { at_ = (at_ + 3) & ~std::size_t{3}; }
  void Skip(std::size_t count) { at_ += count; }

 private:
  const std::vector<unsigned char>& bytes_;
  std::size_t at_ = 0;
};

std::wstring ClassOfOrdinal(const std::wstring& name) {
  if (name == L"#128") return L"Button";
  if (name == L"#129") return L"Edit";
  if (name == L"#130") return L"Static";
  if (name == L"#131") return L"ListBox";
  if (name == L"#132") return L"ScrollBar";
  if (name == L"#133") return L"ComboBox";
  return name;
}

DialogTemplate Parse(const std::vector<unsigned char>& bytes) {
  DialogTemplate fields;
  TemplateReader in(bytes);
  in.Skip(4);  // version and the extended template's signature
  fields.helpId = in.Read<DWORD>();
  fields.exStyle = in.Read<DWORD>();
  fields.style = in.Read<DWORD>();
  const WORD count = in.Read<WORD>();
  fields.x = in.Read<short>();
  fields.y = in.Read<short>();
  fields.width = in.Read<short>();
  fields.height = in.Read<short>();
  in.ReadNameOrOrdinal(&fields.hasMenu);
  in.ReadNameOrOrdinal(&fields.hasClass);
  fields.caption = in.ReadString();
  if (fields.style & (DS_SETFONT | DS_SHELLFONT)) {
    fields.pointSize = in.Read<WORD>();
    fields.weight = in.Read<WORD>();
    fields.italic = in.Read<BYTE>();
    fields.charSet = in.Read<BYTE>();
    fields.face = in.ReadString();
  }
  for (WORD i = 0; i < count; ++i) {
    in.AlignToDword();
    TemplateItem item;
    in.Read<DWORD>();  // help id
    item.exStyle = in.Read<DWORD>();
    item.style = in.Read<DWORD>();
    item.x = in.Read<short>();
    item.y = in.Read<short>();
    item.width = in.Read<short>();
    item.height = in.Read<short>();
    item.id = in.Read<DWORD>();
    item.className = ClassOfOrdinal(in.ReadNameOrOrdinal());
    item.text = in.ReadNameOrOrdinal();
    in.Skip(in.Read<WORD>());  // creation data
    fields.items.push_back(item);
  }
  return fields;
}

}  // namespace

ShippedTemplate::ShippedTemplate(const std::wstring& executable, int templateId) {
  module_ = LoadLibraryExW(executable.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (module_ == nullptr) return;
  HRSRC resource = FindResourceW(module_, MAKEINTRESOURCEW(templateId), MAKEINTRESOURCEW(5) /* RT_DIALOG */);
  HGLOBAL loaded = resource != nullptr ? LoadResource(module_, resource) : nullptr;
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (bytes == nullptr) return;
  std::vector<unsigned char> copy(static_cast<const unsigned char*>(bytes),
                                  static_cast<const unsigned char*>(bytes) + SizeofResource(module_, resource));
  fields_ = Parse(copy);

  // Created without WS_VISIBLE (the style of an extended template stands at byte 12).
  const DWORD hidden = fields_.style & ~static_cast<DWORD>(WS_VISIBLE);
  std::memcpy(&copy[12], &hidden, sizeof hidden);
  dialog_ = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(copy.data()),
                                       nullptr, &IgnoreMessages, 0);
}

ShippedTemplate::~ShippedTemplate() {
  if (dialog_ != nullptr) DestroyWindow(dialog_);
  if (module_ != nullptr) FreeLibrary(module_);
}

RECT ShippedTemplate::ToPixels(int x, int y, int width, int height) const {
  // The dialog manager scales a control's place and its size each on its own, so the size is
  // not the difference of the scaled edges when a base unit is not a multiple of four.
  RECT scaled{x, y, width, height};
  MapDialogRect(dialog_, &scaled);
  return RECT{scaled.left, scaled.top, scaled.left + scaled.right, scaled.top + scaled.bottom};
}

}  // namespace vantrel::testing
