// Changes that a test makes to the shared Wine prefix for a while (a system DLL replaced, a user
// registry value set), undone when their guard ends or, after a killed run, by the next run.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vantrel::testing {

// The system folder of this process's architecture (for a 32-bit process under WOW64 the name
// says system32 and the files are those of the 32-bit folder).
std::wstring SystemFolder();

bool FileExists(const std::wstring& path);

// Puts a DLL of its own in place of one in the system folder for the guard's life. The original
// waits beside it under another name until it is put back.
class ReplacedSystemDll {
 public:
  ReplacedSystemDll(const std::wstring& name, const std::wstring& replacement);
  ReplacedSystemDll(const ReplacedSystemDll&) = delete;
  ReplacedSystemDll& operator=(const ReplacedSystemDll&) = delete;
  ~ReplacedSystemDll();

  bool Replaced() const { return replaced_; }

 private:
  std::wstring path_;
  std::wstring saved_;
  bool replaced_ = false;
};

// Sets a value under HKEY_CURRENT_USER for the guard's life, then puts back the value that was
// there, of whatever type, or removes it; keys that it had to create are removed again. What to
// undo is written down before anything changes, for RepairInterruptedChanges.
class ScopedRegistryValue {
 public:
  ScopedRegistryValue(const std::wstring& subkey, const std::wstring& name, DWORD type, const void* data, DWORD size);
  ScopedRegistryValue(const ScopedRegistryValue&) = delete;
  ScopedRegistryValue& operator=(const ScopedRegistryValue&) = delete;
  ~ScopedRegistryValue();

  bool Set() const { return set_; }

 private:
  std::wstring subkey_;
  std::wstring name_;
  std::vector<BYTE> oldState_;
  std::vector<std::wstring> created_;  // outermost first
  bool set_ = false;
};

// Puts the prefix back as it was before the changes of a test process that never got to undo
// them. Does nothing when no change is outstanding.
void RepairInterruptedChanges();

}  // namespace vantrel::testing
