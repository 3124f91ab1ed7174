#include "window/action_entry_points.h"

#include <objbase.h>
#include <shellapi.h>

namespace vantrel {

const ActionEntryPoints& RealActionApi() {
  static const ActionEntryPoints real = {
      &::OpenClipboard, &::EmptyClipboard,   &::GlobalAlloc,    &::GlobalLock,    &::GlobalUnlock,
      &::GlobalFree,    &::SetClipboardData, &::CloseClipboard, &::CoInitializeEx, &::CoUninitialize,
      &::ShellExecuteW, &::MessageBoxW,      &::Sleep,
  };
  return real;
}

ActionEntryPoints& ActionApi() {
  static ActionEntryPoints live = RealActionApi();
  return live;
}

}  // namespace vantrel
