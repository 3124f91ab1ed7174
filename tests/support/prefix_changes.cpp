// Temporary changes to the shared Wine prefix, undone by their guards or, after a test process
// was killed (a CTest timeout, say), by the next test process that starts.
#include "support/prefix_changes.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace vantrel::testing {
namespace {

const wchar_t kSavedSuffix[] = L".vantrel-original";
const wchar_t kJournalParent[] = L"Software\\Vantrel tests";
const wchar_t kJournal[] = L"Software\\Vantrel tests\\Undo";
const wchar_t kValuePrefix[] = L"value:";
const wchar_t kKeyPrefix[] = L"key:";

bool KeyExists(const std::wstring& subkey) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// A value as it stood: whether it existed, its type and its bytes, kept in one binary blob.
std::vector<BYTE> ReadValueState(const std::wstring& subkey, const std::wstring& name) {
  DWORD existed = 0, type = REG_NONE, size = 0;
  std::vector<BYTE> data;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, subkey.c_str(), 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
    if (RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
      data.resize(size);
      existed = RegQueryValueExW(key, name.c_str(), nullptr, &type, data.data(), &size) == ERROR_SUCCESS;
      data.resize(size);
    }
    RegCloseKey(key);
  }
  std::vector<BYTE> state(2 * sizeof(DWORD) + data.size());
  std::memcpy(state.data(), &existed, sizeof existed);
  std::memcpy(state.data() + sizeof existed, &type, sizeof type);
  if (!data.empty()) std::memcpy(state.data() + 2 * sizeof(DWORD), data.data(), data.size());
  return state;
}

void RestoreValueState(const std::wstring& subkey, const std::wstring& name, const std::vector<BYTE>& state) {
  if (state.size() < 2 * sizeof(DWORD)) return;
  DWORD existed = 0, type = REG_NONE;
  std::memcpy(&existed, state.data(), sizeof existed);
  std::memcpy(&type, state.data() + sizeof existed, sizeof type);
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, subkey.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
  if (existed != 0) {
    RegSetValueExW(key, name.c_str(), 0, type, state.data() + 2 * sizeof(DWORD),
                   static_cast<DWORD>(state.size() - 2 * sizeof(DWORD)));
  } else {
    RegDeleteValueW(key, name.c_str());
  }
  RegCloseKey(key);
}

std::wstring ValueEntry(const std::wstring& subkey, const std::wstring& name) {
  return kValuePrefix + subkey + L"|" + name;
}

void WriteJournal(const std::wstring& entry, const std::vector<BYTE>& data) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kJournal, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    return;
  }
  RegSetValueExW(key, entry.c_str(), 0, REG_BINARY, data.empty() ? nullptr : data.data(),
                 static_cast<DWORD>(data.size()));
  RegCloseKey(key);
}

// Removes entries from the journal, and the journal itself once it is empty.
void EraseJournal(const std::vector<std::wstring>& entries) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kJournal, 0, KEY_SET_VALUE | KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return;
  for (const std::wstring& entry : entries) RegDeleteValueW(key, entry.c_str());
  DWORD values = 1;
  RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                   nullptr);
  RegCloseKey(key);
  if (values == 0) {
    RegDeleteKeyW(HKEY_CURRENT_USER, kJournal);
    RegDeleteKeyW(HKEY_CURRENT_USER, kJournalParent);  // kept if something else lives there
  }
}

struct JournalEntry {
  std::wstring name;
  std::vector<BYTE> data;
};

std::vector<JournalEntry> ReadJournal() {
  std::vector<JournalEntry> entries;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kJournal, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return entries;
  DWORD longestName = 0, longestData = 0;
  RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longestName, &longestData,
                   nullptr, nullptr);
  for (DWORD index = 0;; ++index) {
    std::wstring name(longestName + 1, L'\0');
    std::vector<BYTE> data(longestData);
    DWORD nameLength = longestName + 1, dataSize = longestData;
    if (RegEnumValueW(key, index, &name[0], &nameLength, nullptr, nullptr, data.data(), &dataSize) != ERROR_SUCCESS)
      break;
    name.resize(nameLength);
    data.resize(dataSize);
    entries.push_back({name, data});
  }
  RegCloseKey(key);
  return entries;
}

}  // namespace

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring SystemFolder() {
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  return std::wstring(folder, length < MAX_PATH ? length : 0);
}

ReplacedSystemDll::ReplacedSystemDll(const std::wstring& name, const std::wstring& replacement)
    : path_(SystemFolder() + L"\\" + name), saved_(path_ + kSavedSuffix) {
  // A saved copy that is already there is the original, left by a run that was killed.
  if (FileExists(saved_)) {
    if (!CopyFileW(saved_.c_str(), path_.c_str(), FALSE)) return;
  } else if (!CopyFileW(path_.c_str(), saved_.c_str(), TRUE)) {
    return;
  }
  replaced_ = CopyFileW(replacement.c_str(), path_.c_str(), FALSE) != FALSE;
}

ReplacedSystemDll::~ReplacedSystemDll() {
  if (FileExists(saved_) && CopyFileW(saved_.c_str(), path_.c_str(), FALSE)) DeleteFileW(saved_.c_str());
}

ScopedRegistryValue::ScopedRegistryValue(const std::wstring& subkey, const std::wstring& name, DWORD type,
                                         const void* data, DWORD size)
    : subkey_(subkey), name_(name) {
  for (std::size_t end = subkey.find(L'\\');; end = subkey.find(L'\\', end + 1)) {
    const std::wstring path = subkey.substr(0, end);
    if (!KeyExists(path)) created_.push_back(path);
    if (end == std::wstring::npos) break;
  }
  oldState_ = ReadValueState(subkey_, name_);
  WriteJournal(ValueEntry(subkey_, name_), oldState_);
  for (const std::wstring& path : created_) WriteJournal(kKeyPrefix + path, {});

  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, subkey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    return;
  }
  set_ = RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
  RegCloseKey(key);
}

ScopedRegistryValue::~ScopedRegistryValue() {
  RestoreValueState(subkey_, name_, oldState_);
  std::vector<std::wstring> done{ValueEntry(subkey_, name_)};
  // Deepest first; a key that has gained other subkeys meanwhile is not ours to remove.
  for (auto path = created_.rbegin(); path != created_.rend(); ++path) {
    RegDeleteKeyW(HKEY_CURRENT_USER, path->c_str());
    done.push_back(kKeyPrefix + *path);
  }
  EraseJournal(done);
}

void RepairInterruptedChanges() {
  const std::wstring folder = SystemFolder();
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW((folder + L"\\*" + kSavedSuffix).c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring saved = folder + L"\\" + found.cFileName;
      const std::wstring original = saved.substr(0, saved.size() - (std::size(kSavedSuffix) - 1));
      if (CopyFileW(saved.c_str(), original.c_str(), FALSE)) DeleteFileW(saved.c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }

  std::vector<JournalEntry> entries = ReadJournal();
  std::vector<std::wstring> done;
  std::vector<std::wstring> createdKeys;
  for (const JournalEntry& entry : entries) {
    if (entry.name.compare(0, std::size(kValuePrefix) - 1, kValuePrefix) == 0) {
      const std::wstring path = entry.name.substr(std::size(kValuePrefix) - 1);
      const std::size_t bar = path.rfind(L'|');
      if (bar != std::wstring::npos) RestoreValueState(path.substr(0, bar), path.substr(bar + 1), entry.data);
    } else if (entry.name.compare(0, std::size(kKeyPrefix) - 1, kKeyPrefix) == 0) {
      createdKeys.push_back(entry.name.substr(std::size(kKeyPrefix) - 1));
    }
    done.push_back(entry.name);
  }
  // Values first, then the keys that were created for them, the deepest first.
  std::sort(createdKeys.begin(), createdKeys.end(),
            [](const std::wstring& a, const std::wstring& b) { return a.size() > b.size(); });
  for (const std::wstring& path : createdKeys) RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str());
  if (!done.empty()) EraseJournal(done);
}

}  // namespace vantrel::testing
