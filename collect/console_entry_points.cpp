#include "collect/console_entry_points.h"

namespace vantrel {

const ConsoleEntryPoints& RealConsoleApi() {
  static const ConsoleEntryPoints real{&::GetConsoleMode, &::WriteConsoleW};
  return real;
}

ConsoleEntryPoints& ConsoleApi() {
  static ConsoleEntryPoints live = RealConsoleApi();
  return live;
}

}  // namespace vantrel
