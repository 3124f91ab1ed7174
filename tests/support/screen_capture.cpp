#include "support/screen_capture.h"

#include <cstdio>

#include "support/program_under_test.h"

namespace vantrel::testing {

Capture CaptureClientArea(HWND window) {
  Capture capture;
  RECT client{};
  if (!GetClientRect(window, &client)) return capture;
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  capture.width = client.right;
  capture.height = client.bottom;
  if (capture.width <= 0 || capture.height <= 0) return capture;

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = capture.width;
  info.bmiHeader.biHeight = -capture.height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap != nullptr) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    // Only what is on the screen can be read, and Wine's display driver copies nothing at all
    // when asked for more: a window larger than the screen keeps black where it lies outside.
    const RECT wanted{origin.x, origin.y, origin.x + capture.width, origin.y + capture.height};
    const int screenLeft = GetSystemMetrics(SM_XVIRTUALSCREEN), screenTop = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const RECT desktop{screenLeft, screenTop, screenLeft + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                       screenTop + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    RECT visible{};
    if (IntersectRect(&visible, &wanted, &desktop)) {
      BitBlt(memory, visible.left - origin.x, visible.top - origin.y, visible.right - visible.left,
             visible.bottom - visible.top, screen, visible.left, visible.top, SRCCOPY);
    }
    GdiFlush();
    const auto* source = static_cast<const std::uint32_t*>(bits);
    capture.pixels.assign(source, source + static_cast<std::size_t>(capture.width) * capture.height);
    for (std::uint32_t& pixel : capture.pixels) pixel &= 0x00FFFFFF;
    SelectObject(memory, old);
    DeleteObject(bitmap);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return capture;
}

std::wstring SaveCapture(const Capture& capture, const std::wstring& name) {
  const std::wstring folder = SiblingProgram(L"artifacts");
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring path = folder + L"\\" + name + (sizeof(void*) == 8 ? L"-x64.bmp" : L"-x86.bmp");

  const std::size_t rowBytes = (static_cast<std::size_t>(capture.width) * 3 + 3) & ~std::size_t{3};
  const std::size_t imageBytes = rowBytes * capture.height;
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER header{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = static_cast<DWORD>(file.bfOffBits + imageBytes);
  header.biSize = sizeof header;
  header.biWidth = capture.width;
  header.biHeight = capture.height;  // bottom row first, as BMP files keep them
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biSizeImage = static_cast<DWORD>(imageBytes);

  std::FILE* out = _wfopen(path.c_str(), L"wb");
  if (out == nullptr) return L"";
  std::fwrite(&file, sizeof file, 1, out);
  std::fwrite(&header, sizeof header, 1, out);
  std::vector<unsigned char> row(rowBytes, 0);
  for (int y = capture.height - 1; y >= 0; --y) {
    for (int x = 0; x < capture.width; ++x) {
      const std::uint32_t pixel = capture.At(x, y);
      row[x * 3] = static_cast<unsigned char>(pixel);
      row[x * 3 + 1] = static_cast<unsigned char>(pixel >> 8);
      row[x * 3 + 2] = static_cast<unsigned char>(pixel >> 16);
    }
    std::fwrite(row.data(), 1, rowBytes, out);
  }
  std::fclose(out);
  return path;
}

}  // namespace vantrel::testing
