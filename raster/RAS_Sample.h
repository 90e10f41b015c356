#pragma once
// Source sampling shared by the scaled and rotated blits.
#include "raster/RAS_Bitmap.h"

// Components of one sample, in operator argument order.
struct RAS_Sample
{
  int r, g, b, a;
};

inline RAS_Sample RAS_SampleOf(RAS_Pixel p)
{
  return RAS_Sample{RAS_GetR(p), RAS_GetG(p), RAS_GetB(p), RAS_GetA(p)};
}

// Bilinear interpolation at source pixel (x, y) with 16-bit fractions fx, fy. Weights:
// w11 = fx fy >> 16, w10 = fx - w11, w01 = fy - w11, w00 = 65536 - fx - fy + w11; each
// channel is the weighted sum >> 16. Without a right neighbour only the vertical pair is
// used, without one below only the horizontal pair, without both the pixel itself.
inline RAS_Sample RAS_SampleBilinear(const RAS_RowAccess& s, int x, int y, int fx, int fy,
                                     bool hasRight, bool hasBelow)
{
  const RAS_Pixel* row = s.Row(y) + x;
  const RAS_Pixel p00 = row[0];
  if (hasRight && hasBelow)
  {
    const RAS_Pixel p10 = row[1];
    const RAS_Pixel* below = s.Row(y + 1) + x;
    const RAS_Pixel p01 = below[0], p11 = below[1];
    const int w11 = int((int64_t(fx) * fy) >> 16);
    const int w10 = fx - w11, w01 = fy - w11, w00 = 65536 - fx - fy + w11;
    auto mix = [&](int shift) {
      return int((((p00 >> shift) & 0xFF) * uint32_t(w00) + ((p10 >> shift) & 0xFF) * uint32_t(w10) +
                  ((p01 >> shift) & 0xFF) * uint32_t(w01) + ((p11 >> shift) & 0xFF) * uint32_t(w11)) >>
                 16);
    };
    return RAS_Sample{mix(8), mix(16), mix(24), mix(0)};
  }
  if (hasRight || hasBelow)
  {
    const RAS_Pixel p1 = hasRight ? row[1] : s.Row(y + 1)[x];
    const uint32_t f = uint32_t(hasRight ? fx : fy), f0 = 65536u - f;
    auto mix = [&](int shift) {
      return int((((p00 >> shift) & 0xFF) * f0 + ((p1 >> shift) & 0xFF) * f) >> 16);
    };
    return RAS_Sample{mix(8), mix(16), mix(24), mix(0)};
  }
  return RAS_SampleOf(p00);
}
