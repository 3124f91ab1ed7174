#include "window/clipboard_text.h"

#include <cstring>

#include "window/action_entry_points.h"

namespace vantrel {
namespace {

constexpr DWORD kOpenPatience = 1000;
constexpr DWORD kOpenRetryEvery = 50;

// Another program may hold the clipboard for a moment (a clipboard manager reading what just
// changed, say), so it is asked again for about a second before the copy is given up.
bool OpenClipboardPatiently(const ActionEntryPoints& api, HWND owner) {
  for (DWORD waited = 0; !api.openClipboard(owner); waited += kOpenRetryEvery) {
    if (waited >= kOpenPatience) return false;
    api.sleep(kOpenRetryEvery);
  }
  return true;
}

}  // namespace

bool CopyTextToClipboard(HWND owner, const std::wstring& text) {
  const ActionEntryPoints& api = ActionApi();
  if (!OpenClipboardPatiently(api, owner)) return false;  // still held: leave it as it is
  api.emptyClipboard();

  const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL block = api.globalAlloc(GMEM_MOVEABLE, bytes);
  if (block == nullptr) {
    api.closeClipboard();
    return false;
  }
  void* memory = api.globalLock(block);
  if (memory == nullptr) {
    api.globalFree(block);
    api.closeClipboard();
    return false;
  }
  std::memcpy(memory, text.c_str(), bytes);  // the text and its terminating zero
  api.globalUnlock(block);

  // From a successful hand-over on the block is the clipboard's; a refused one stays ours.
  if (api.setClipboardData(CF_UNICODETEXT, block) == nullptr) {
    api.globalFree(block);
    api.closeClipboard();
    return false;
  }
  api.closeClipboard();
  return true;
}

}  // namespace vantrel
