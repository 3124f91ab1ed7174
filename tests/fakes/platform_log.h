// One ordered log of the platform calls that the fakes receive, so a test can check the
// order of WMI statements and the DXGI enumeration across both fakes.
#pragma once

#include <string>
#include <vector>

namespace vantrel::testing {

std::vector<std::wstring>& PlatformLog();

}  // namespace vantrel::testing
