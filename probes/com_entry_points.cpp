// The COM entry-point table: the real ole32 functions and clock, swappable for fakes in tests.
#include "probes/com_entry_points.h"

namespace vantrel {

const ComEntryPoints& RealComApi() {
  static const ComEntryPoints table = {
      &::CoInitializeEx,    &::CoInitializeSecurity, &::CoCreateInstance,
      &::CoSetProxyBlanket, &::CoUninitialize,       &::GetTickCount64,
  };
  return table;
}

ComEntryPoints& ComApi() {
  // A function-local copy, so the table is ready whenever the first caller asks, even during
  // static initialisation of another file.
  static ComEntryPoints table = RealComApi();
  return table;
}

}  // namespace vantrel
