#pragma once
// Source sampling shared by the scaled and rotated blits.
#include "raster/RAS_Bitmap.h"

#if defined(__GNUC__)
#define RAS_FORCE_INLINE inline __attribute__((always_inline))
#else
#define RAS_FORCE_INLINE inline
#endif

// Components of one sample, in operator argument order.
struct RAS_Sample
{
  int r, g, b, a;
};

RAS_FORCE_INLINE RAS_Sample RAS_SampleOf(RAS_Pixel p)
{
  return RAS_Sample{RAS_GetR(p), RAS_GetG(p), RAS_GetB(p), RAS_GetA(p)};
}

// Two channels of a pixel in the two 32-bit halves of a 64-bit word, so that one multiply
// weighs both: a channel times a 16.16 weight stays below 2^24 and a sum of weights of at
// most 65536 below 2^32, so the halves never carry into each other.
RAS_FORCE_INLINE uint64_t RAS_SpreadAG(RAS_Pixel p)
{
  return uint64_t(p & 0xFF) | (uint64_t(p & 0xFF0000) << 16);
}
RAS_FORCE_INLINE uint64_t RAS_SpreadRB(RAS_Pixel p)
{
  return uint64_t((p >> 8) & 0xFF) | (uint64_t(p >> 24) << 32);
}
RAS_FORCE_INLINE RAS_Sample RAS_Unspread(uint64_t ag, uint64_t rb)
{
  return RAS_Sample{int((rb & 0xFFFFFFFFu) >> 16), int(ag >> 48), int(rb >> 48),
                    int((ag & 0xFFFFFFFFu) >> 16)};
}

// Bilinear interpolation at source pixel (x, y) with 16-bit fractions fx, fy. Weights:
// w11 = fx fy >> 16, w10 = fx - w11, w01 = fy - w11, w00 = 65536 - fx - fy + w11; each
// channel is the weighted sum >> 16. Without a right neighbour only the vertical pair is
// used, without one below only the horizontal pair, without both the pixel itself.
RAS_FORCE_INLINE RAS_Sample RAS_SampleBilinear(const RAS_RowAccess& s, int x, int y, int fx, int fy,
                                               bool hasRight, bool hasBelow)
{
  const RAS_Pixel* row = s.Row(y) + x;
  const RAS_Pixel p00 = row[0];
  if (hasRight && hasBelow)
  {
    const RAS_Pixel p10 = row[1];
    const RAS_Pixel* below = s.Row(y + 1) + x;
    const RAS_Pixel p01 = below[0], p11 = below[1];
    const uint64_t w11 = (uint64_t(fx) * uint64_t(fy)) >> 16;
    const uint64_t w10 = uint64_t(fx) - w11, w01 = uint64_t(fy) - w11;
    const uint64_t w00 = 65536u - uint64_t(fx) - uint64_t(fy) + w11;
    const uint64_t ag = RAS_SpreadAG(p00) * w00 + RAS_SpreadAG(p10) * w10 +
                        RAS_SpreadAG(p01) * w01 + RAS_SpreadAG(p11) * w11;
    const uint64_t rb = RAS_SpreadRB(p00) * w00 + RAS_SpreadRB(p10) * w10 +
                        RAS_SpreadRB(p01) * w01 + RAS_SpreadRB(p11) * w11;
    return RAS_Unspread(ag, rb);
  }
  if (hasRight || hasBelow)
  {
    const RAS_Pixel p1 = hasRight ? row[1] : s.Row(y + 1)[x];
    const uint64_t f = uint64_t(hasRight ? fx : fy), f0 = 65536u - f;
    return RAS_Unspread(RAS_SpreadAG(p00) * f0 + RAS_SpreadAG(p1) * f,
                        RAS_SpreadRB(p00) * f0 + RAS_SpreadRB(p1) * f);
  }
  return RAS_SampleOf(p00);
}
