// An open registry key, closed with its owner.
#pragma once

#include <windows.h>

namespace vantrel {

// The registry functions the key holder calls, in one table that tests can fill; by default it
// holds the real advapi32 functions.
struct RegistryEntryPoints {
  LONG(WINAPI* openKey)(HKEY root, LPCWSTR subkey, DWORD options, REGSAM access, PHKEY key);
  LONG(WINAPI* createKey)(HKEY root, LPCWSTR subkey, DWORD reserved, LPWSTR keyClass, DWORD options, REGSAM access,
                          LPSECURITY_ATTRIBUTES security, PHKEY key, LPDWORD disposition);
  LONG(WINAPI* closeKey)(HKEY key);
};

RegistryEntryPoints& RegistryApi();
const RegistryEntryPoints& RealRegistryApi();

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
