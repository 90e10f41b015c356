#pragma once
// Text pixels: a coverage mask blended into a surface, and the opaque background fill.
// Surface pixels are bytes A, R, G, B in memory; colours are 0xRRGGBB.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "platform/common/SHIM_Font.h"

// Blends a w x h coverage mask (row 0 at the top) placed at (x0, y0) into the surface, inside
// clip (which lies within the surface). With k = 255 - c for coverage c, per colour byte:
// D = T + (D - T) * k / 256, and alpha A = 255 + k * (A - 255) / 256; integer division
// truncates toward zero. Zero coverage leaves the pixel untouched.
inline void SHIM_BlendCoverage(const SHIM_Surface& s, const SHIM_Rect& clip,
                               const uint8_t* coverage, int w, int h, int x0, int y0,
                               uint32_t color)
{
  const int tr = int((color >> 16) & 0xFF), tg = int((color >> 8) & 0xFF), tb = int(color & 0xFF);
  const int xa = std::max(x0, clip.left), xb = std::min(x0 + w, clip.right);
  const int ya = std::max(y0, clip.top), yb = std::min(y0 + h, clip.bottom);
  for (int y = ya; y < yb; ++y)
  {
    const uint8_t* cov = coverage + size_t(y - y0) * size_t(w);
    uint8_t* row = reinterpret_cast<uint8_t*>(s.row0 + ptrdiff_t(y) * s.stride);
    for (int x = xa; x < xb; ++x)
    {
      const int c = cov[x - x0];
      if (!c) continue;
      uint8_t* d = row + 4 * x;
      const int k = 255 - c;
      d[0] = uint8_t(255 + k * (d[0] - 255) / 256);
      d[1] = uint8_t(tr + (d[1] - tr) * k / 256);
      d[2] = uint8_t(tg + (d[2] - tg) * k / 256);
      d[3] = uint8_t(tb + (d[3] - tb) * k / 256);
    }
  }
}

// Fills r (within the surface) with the colour at full alpha.
inline void SHIM_FillOpaque(const SHIM_Surface& s, const SHIM_Rect& r, uint32_t color)
{
  const uint32_t px =
      0xFFu | ((color >> 16) & 0xFF) << 8 | ((color >> 8) & 0xFF) << 16 | (color & 0xFF) << 24;
  for (int y = r.top; y < r.bottom; ++y)
  {
    uint32_t* row = s.row0 + ptrdiff_t(y) * s.stride;
    std::fill(row + r.left, row + r.right, px);
  }
}
