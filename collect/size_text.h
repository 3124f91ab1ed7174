// Byte counts as the short size texts of the window and the spec report: whole gigabytes,
// and whole terabytes for disks of one terabyte and more. Units are powers of two.
#pragma once

#include <cstdint>
#include <string>

namespace vantrel {

// Whole gigabytes of 2^30 bytes, "<n> GB"; zero is "0 GB".
std::wstring FormatGB(std::uint64_t bytes);

// Whole terabytes of 2^40 bytes, "<n> TB", from one terabyte up; below that as FormatGB
// gives it; zero is "0" alone.
std::wstring FormatDiskSize(std::uint64_t bytes);

}  // namespace vantrel
