#include "window/registry_key.h"

namespace vantrel {

const RegistryEntryPoints& RealRegistryApi() {
  static const RegistryEntryPoints real = {&::RegOpenKeyExW, &::RegCreateKeyExW, &::RegCloseKey};
  return real;
}

RegistryEntryPoints& RegistryApi() {
  static RegistryEntryPoints live = RealRegistryApi();
  return live;
}

RegistryKey::~RegistryKey() { Close(); }

void RegistryKey::Close() {
  if (key_ != nullptr) RegistryApi().closeKey(key_);
  key_ = nullptr;
}

bool RegistryKey::OpenOrCreate(HKEY root, const wchar_t* subkey, REGSAM access) {
  Close();
  HKEY key = nullptr;
  if (RegistryApi().openKey(root, subkey, 0, access, &key) != ERROR_SUCCESS) {
    key = nullptr;
    if (RegistryApi().createKey(root, subkey, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
      return false;
    }
  }
  key_ = key;
  return true;
}

}  // namespace vantrel
