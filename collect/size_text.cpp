// Size texts: a count of bytes scaled to GB or TB and shown as a whole number.
//
//   FormatGB:        0 -> "0 GB";  otherwise round(bytes * 2^-30) + " GB"
//   FormatDiskSize:  0 -> "0";     bytes * 2^-40 >= 1.0 -> round(bytes * 2^-40) + " TB";
//                                  otherwise FormatGB(bytes)
//
// round() is to the nearest whole number with exact halves going to the even one, applied to
// the count as the nearest double. The runtime's "%.0f" is not used for it: the msvcrt that
// the program runs on rounds halves away from zero (2.5 GB would show as 3 GB).
#include "collect/size_text.h"

#include <cmath>

namespace vantrel {

namespace {

constexpr double kGigabyteScale = 1.0 / 1073741824.0;     // 2^-30, exact
constexpr double kTerabyteScale = 1.0 / 1099511627776.0;  // 2^-40, exact
constexpr double kTerabyteThreshold = 1.0;                // after scaling: 2^40 bytes
constexpr wchar_t kGigabyteUnit[] = L" GB";
constexpr wchar_t kTerabyteUnit[] = L" TB";
constexpr wchar_t kZeroGigabytes[] = L"0 GB";
constexpr wchar_t kZeroDiskSize[] = L"0";

// The count as the nearest double. The x87 unit of 32-bit builds may hold the conversion with
// extra precision; a store through memory rounds it as a double on every build and compiler,
// so counts above 2^53 round the same everywhere.
double ToDouble(std::uint64_t bytes) {
  volatile double converted = static_cast<double>(bytes);
  return converted;
}

// A scaled size as decimal digits, rounded half to even (the default rounding mode). Every
// scaled count is at most 2^34, so the whole number fits 64 bits exactly.
std::wstring WholeNumber(double scaled) {
  return std::to_wstring(static_cast<std::uint64_t>(std::nearbyint(scaled)));
}

}  // namespace

std::wstring FormatGB(std::uint64_t bytes) {
  if (bytes == 0) return kZeroGigabytes;
  return WholeNumber(ToDouble(bytes) * kGigabyteScale) + kGigabyteUnit;
}

std::wstring FormatDiskSize(std::uint64_t bytes) {
  if (bytes == 0) return kZeroDiskSize;
  const double terabytes = ToDouble(bytes) * kTerabyteScale;
  if (terabytes >= kTerabyteThreshold) return WholeNumber(terabytes) + kTerabyteUnit;
  return FormatGB(bytes);
}

}  // namespace vantrel
