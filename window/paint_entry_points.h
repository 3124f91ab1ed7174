// The drawing call of the minimised window's paint, in a table that tests can fill; by default
// it holds the real user32 function. Header-only: one table, shared by every user.
#pragma once

#include <windows.h>

namespace vantrel {

struct PaintEntryPoints {
  BOOL(WINAPI* drawIcon)(HDC dc, int x, int y, HICON icon);
};

inline const PaintEntryPoints& RealPaintApi() {
  static const PaintEntryPoints real = {&::DrawIcon};
  return real;
}

inline PaintEntryPoints& PaintApi() {
  static PaintEntryPoints live = RealPaintApi();
  return live;
}

}  // namespace vantrel
