// Pixels of a window's client area as the screen shows them, and their keeping as a BMP file
// among the build's test artefacts.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::testing {

struct Capture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, top row first

  std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

Capture CaptureClientArea(HWND window);

// Writes the capture to <build folder>\artifacts\<name>-<x64|x86>.bmp; returns the path.
std::wstring SaveCapture(const Capture& capture, const std::wstring& name);

inline std::wstring SaveWindowCapture(HWND window, const std::wstring& name) {
  return SaveCapture(CaptureClientArea(window), name);
}

}  // namespace vantrel::testing
