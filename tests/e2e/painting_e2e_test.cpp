// The pixels of the real Vantrel.exe window: white throughout, red instruction lines on white,
// and each picture showing its bitmap at its pixel size.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "support/program_under_test.h"
#include "support/screen_capture.h"
#include "support/ui_driver.h"
#include "window/resource.h"

namespace vantrel {
namespace {

using testing::Capture;

constexpr std::uint32_t kWhite = 0xFFFFFF;

int Red(std::uint32_t pixel) { return static_cast<int>((pixel >> 16) & 0xFF); }
int Green(std::uint32_t pixel) { return static_cast<int>((pixel >> 8) & 0xFF); }
int Blue(std::uint32_t pixel) { return static_cast<int>(pixel & 0xFF); }

bool Inside(const RECT& rect, int x, int y) { return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom; }

// The bitmap resource of the executable as 0x00RRGGBB pixels, top row first.
Capture LoadBitmapPixels(int id) {
  Capture pixels;
  HMODULE module = LoadLibraryExW(testing::VantrelExe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (module == nullptr) return pixels;
  HBITMAP bitmap = static_cast<HBITMAP>(LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  BITMAP info{};
  if (bitmap != nullptr && GetObjectW(bitmap, sizeof info, &info) != 0) {
    BITMAPINFO request{};
    request.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    request.bmiHeader.biWidth = info.bmWidth;
    request.bmiHeader.biHeight = -info.bmHeight;
    request.bmiHeader.biPlanes = 1;
    request.bmiHeader.biBitCount = 32;
    request.bmiHeader.biCompression = BI_RGB;
    pixels.width = info.bmWidth;
    pixels.height = info.bmHeight;
    pixels.pixels.resize(static_cast<std::size_t>(info.bmWidth) * info.bmHeight);
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, static_cast<UINT>(info.bmHeight), pixels.pixels.data(), &request, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    for (std::uint32_t& pixel : pixels.pixels) pixel &= 0x00FFFFFF;
  }
  if (bitmap != nullptr) DeleteObject(bitmap);
  FreeLibrary(module);
  return pixels;
}

class PaintingEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    vantrel_ = std::make_unique<testing::RunningVantrel>();
    window_ = vantrel_->Window();
    ASSERT_NE(window_, nullptr);
    SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Sleep(500);  // let the program finish painting
    capture_ = testing::CaptureClientArea(window_);
    testing::SaveCapture(capture_, L"painted-window");
    for (HWND child = GetWindow(window_, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
      controls_.push_back({GetDlgCtrlID(child), testing::RectInClient(child, window_), child});
    }
    ASSERT_GT(capture_.width, 0);
  }
  struct Control {
    int id;
    RECT rect;
    HWND handle;
  };
  const Control* Find(int id) const {
    for (const Control& control : controls_) {
      if (control.id == id) return &control;
    }
    return nullptr;
  }

  std::unique_ptr<testing::RunningVantrel> vantrel_;  // closes the program with the fixture
  HWND window_ = nullptr;
  Capture capture_;
  std::vector<Control> controls_;
};

TEST_F(PaintingEndToEnd, ClientAreaOutsideTheControlsIsWhite) {
  int others = 0;
  for (int y = 0; y < capture_.height; ++y) {
    for (int x = 0; x < capture_.width; ++x) {
      const bool covered = std::any_of(controls_.begin(), controls_.end(),
                                       [&](const Control& control) { return Inside(control.rect, x, y); });
      if (!covered && capture_.At(x, y) != kWhite) ++others;
    }
  }
  EXPECT_EQ(others, 0) << "pixels outside the controls that are not white";
}

TEST_F(PaintingEndToEnd, LabelsAreDarkTextOnWhite) {
  int labels = 0;
  for (const Control& control : controls_) {
    if (static_cast<WORD>(control.id) != 0xFFFF) continue;
    ++labels;
    int dark = 0, coloured = 0, white = 0;
    for (int y = std::max(0L, control.rect.top); y < std::min<LONG>(capture_.height, control.rect.bottom); ++y) {
      for (int x = std::max(0L, control.rect.left); x < std::min<LONG>(capture_.width, control.rect.right); ++x) {
        const std::uint32_t pixel = capture_.At(x, y);
        const int spread = std::max({Red(pixel), Green(pixel), Blue(pixel)}) - std::min({Red(pixel), Green(pixel), Blue(pixel)});
        if (pixel == kWhite) ++white;
        if (spread > 40) ++coloured;
        if (Red(pixel) < 110 && Green(pixel) < 110 && Blue(pixel) < 110) ++dark;
      }
    }
    EXPECT_GT(dark, 0) << "label " << labels << " shows no text";
    EXPECT_EQ(coloured, 0) << "label " << labels << " has coloured pixels";
    EXPECT_GT(white, dark) << "label " << labels << " is not on white";
  }
  EXPECT_EQ(labels, 9);
}

TEST_F(PaintingEndToEnd, InstructionLinesAreRedTextOnWhiteOnly) {
  for (int id : {IDC_INSTRUCTION_COPY, IDC_INSTRUCTION_HOMEPAGE}) {
    const Control* line = Find(id);
    ASSERT_NE(line, nullptr);
    int red = 0, other = 0;
    for (int y = std::max(0L, line->rect.top); y < std::min<LONG>(capture_.height, line->rect.bottom); ++y) {
      for (int x = std::max(0L, line->rect.left); x < std::min<LONG>(capture_.width, line->rect.right); ++x) {
        const std::uint32_t pixel = capture_.At(x, y);
        if (pixel == kWhite) continue;
        // Red ink and its blend with white: full red, equal green and blue.
        if (Red(pixel) >= 200 && std::abs(Green(pixel) - Blue(pixel)) <= 24) {
          if (Green(pixel) < 128) ++red;
        } else {
          ++other;
        }
      }
    }
    EXPECT_GT(red, 20) << "line " << id << " shows no red text";
    EXPECT_EQ(other, 0) << "line " << id << " has pixels that are neither white nor red";
  }
}

TEST_F(PaintingEndToEnd, EachPictureShowsItsBitmapAtItsPixelSize) {
  for (int picture = 0; picture < 3; ++picture) {
    const int id = IDC_BANNER_PICTURE + picture;
    const Control* control = Find(id);
    ASSERT_NE(control, nullptr);
    const Capture bitmap = LoadBitmapPixels(IDB_BANNER + picture);
    ASSERT_GT(bitmap.width, 0);
    EXPECT_EQ(control->rect.right - control->rect.left, bitmap.width);
    EXPECT_EQ(control->rect.bottom - control->rect.top, bitmap.height);

    int compared = 0, different = 0;
    for (int y = 0; y < bitmap.height; ++y) {
      for (int x = 0; x < bitmap.width; ++x) {
        const int cx = control->rect.left + x, cy = control->rect.top + y;
        if (cx >= capture_.width || cy >= capture_.height) continue;
        // Where two pictures overlap, either may be on top.
        const bool overlapped = std::any_of(controls_.begin(), controls_.end(), [&](const Control& other) {
          return other.id != id && other.id >= IDC_BANNER_PICTURE && other.id <= IDC_HOMEPAGE_PICTURE &&
                 Inside(other.rect, cx, cy);
        });
        if (overlapped) continue;
        ++compared;
        if (capture_.At(cx, cy) != bitmap.At(x, y)) ++different;
      }
    }
    EXPECT_GT(compared, bitmap.width * bitmap.height / 2);
    EXPECT_EQ(different, 0) << "picture " << id;
  }
}

// Explorer, the title bar and the taskbar pick the icon group's image of the size they need;
// one drawn for each size stays sharp. Read from the built executable, as Windows reads it.
TEST(ProgramIcon, GroupHoldsAnImageForEverySizeWindowsAsksFor) {
  HMODULE module = LoadLibraryExW(testing::VantrelExe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);
  const auto Bytes = [module](LPCWSTR id, LPCWSTR type) {
    HRSRC found = FindResourceW(module, id, type);
    const auto* data = found == nullptr ? nullptr : static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    return data == nullptr ? std::vector<BYTE>() : std::vector<BYTE>(data, data + SizeofResource(module, found));
  };
  // The group: a 6-byte header (count at offset 4), then 14 bytes an image: width at 0 (0 for
  // 256), bits per pixel at 6, the image's resource id at 12.
  const std::vector<BYTE> group = Bytes(MAKEINTRESOURCEW(IDR_MAINFRAME), RT_GROUP_ICON);
  ASSERT_GE(group.size(), 6u);
  std::vector<int> sizes;
  for (std::size_t at = 6; at + 14 <= group.size() && sizes.size() < group[4]; at += 14) {
    const int size = group[at] == 0 ? 256 : group[at];
    sizes.push_back(size);
    EXPECT_EQ(group[at + 6], 32) << size << " pixels: colour with alpha";
    const std::vector<BYTE> image = Bytes(MAKEINTRESOURCEW(group[at + 12] | group[at + 13] << 8), RT_ICON);
    const BYTE signature[] = {0x89, 'P', 'N', 'G'};
    const bool png = image.size() > 8 && std::equal(signature, signature + 4, image.begin());
    EXPECT_EQ(png, size == 256) << size << " pixels: only the largest image is PNG-compressed";
  }
  FreeLibrary(module);
  EXPECT_EQ(sizes, (std::vector<int>{16, 20, 24, 32, 40, 48, 64, 256}));
}

}  // namespace
}  // namespace vantrel
