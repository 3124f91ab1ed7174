#include "window/registry_key.h"

namespace vantrel {

RegistryKey::~RegistryKey() { Close(); }

void RegistryKey::Close() {
  if (key_ != nullptr) RegCloseKey(key_);
  key_ = nullptr;
}

bool RegistryKey::OpenOrCreate(HKEY root, const wchar_t* subkey, REGSAM access) {
  Close();
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, subkey, 0, access, &key) != ERROR_SUCCESS) {
    key = nullptr;
    if (RegCreateKeyExW(root, subkey, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
      return false;
    }
  }
  key_ = key;
  return true;
}

}  // namespace vantrel
