// An open registry key, closed with its owner.
#pragma once

#include <windows.h>

namespace vantrel {

class RegistryKey {
 public:
  RegistryKey() = default;
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;
  ~RegistryKey();

  // Opens root\subkey with the access asked for, or else creates it (non-volatile). Holds the
  // handle on success; false, holding nothing, when both failed.
  bool OpenOrCreate(HKEY root, const wchar_t* subkey, REGSAM access);

  HKEY Get() const { return key_; }

 private:
  void Close();

  HKEY key_ = nullptr;
};

}  // namespace vantrel
