#include "fakes/platform_log.h"

namespace vantrel::testing {

std::vector<std::wstring>& PlatformLog() {
  static std::vector<std::wstring> log;
  return log;
}

}  // namespace vantrel::testing
