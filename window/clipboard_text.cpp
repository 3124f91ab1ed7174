#include "window/clipboard_text.h"

#include <cstring>

#include "window/action_entry_points.h"

namespace vantrel {

bool CopyTextToClipboard(HWND owner, const std::wstring& text) {
  const ActionEntryPoints& api = ActionApi();
  if (!api.openClipboard(owner)) return false;  // another program holds it: leave it as it is
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
