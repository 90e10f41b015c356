// Scaled transfer: nearest, bilinear and a box filter for strong reductions.
#include <cmath>
#include <cstdint>

#include "raster/RAS_Clip.h"
#include "raster/RAS_Combine.h"
#include "raster/RAS_Raster.h"
#include "raster/RAS_Sample.h"

#include <vector>

namespace
{
// Where one destination column (or row) samples: the source index, or -1 when the sample
// falls outside 0..limit - 1 and the pixel is skipped, and the 16-bit fraction.
struct Tap
{
  int pos;
  int frac;
};

// Tap i samples start + (first + i) * step, all in 16.16 fixed point, so that a clipped blit
// samples exactly the pixels the unclipped one would.
bool MakeTaps(std::vector<Tap>& taps, double start, double step, int64_t first, int n, int limit)
{
  taps.resize(size_t(n));
  // Clipping far outside the bitmap can push the start beyond what 64 bits hold; such
  // positions, and steps that carry a position that far, sample nothing.
  const double kFar = 1e18;
  if (std::fabs(start * 65536.0) > kFar || std::fabs(step * 65536.0) > kFar) return false;
  const int64_t p0 = int64_t(start * 65536.0);
  const int64_t fstep = int64_t(step * 65536.0);
  const int64_t end = int64_t(limit) << 16;
  bool any = false;
  for (int i = 0; i < n; ++i)
  {
    const int64_t k = first + i;
    const double pd = double(p0) + double(fstep) * double(k);
    const int64_t p = (pd < -kFar || pd > kFar) ? -1 : p0 + fstep * k;
    if (p < 0 || p >= end)
      taps[size_t(i)] = Tap{-1, 0};
    else
    {
      taps[size_t(i)] = Tap{int(p >> 16), int(p & 0xFFFF)};
      any = true;
    }
  }
  return any;
}

// Plain mean of the (2 radius + 1)^2 source pixels around (x, y) that lie within the limits.
RAS_Sample BoxMean(const RAS_RowAccess& s, int x, int y, int radius, int limx, int limy)
{
  int sum[4] = {0, 0, 0, 0}, count = 0;
  for (int v = y - radius; v <= y + radius; ++v)
  {
    if (v < 0 || v >= limy) continue;
    const RAS_Pixel* row = s.Row(v);
    for (int u = x - radius; u <= x + radius; ++u)
    {
      if (u < 0 || u >= limx) continue;
      const RAS_Pixel p = row[u];
      sum[0] += RAS_GetR(p);
      sum[1] += RAS_GetG(p);
      sum[2] += RAS_GetB(p);
      sum[3] += RAS_GetA(p);
      ++count;
    }
  }
  return RAS_Sample{sum[0] / count, sum[1] / count, sum[2] / count, sum[3] / count};
}
enum
{
  kNearest,
  kBilinear,
  kBox
};

// The pixel loop, with everything it reads passed by value: the operators store bytes,
// which may alias any memory, so values reached through references would be reloaded for
// every pixel.
template <class Op, int Sampling>
void ScaleRows(const RAS_RowAccess s, RAS_Pixel* drow, ptrdiff_t dstride, const Tap* cols,
               const Tap* rows, int dw, int dh, int limx, int limy, int radius, int w)
{
  for (int j = 0; j < dh; ++j, drow += dstride)
  {
    const Tap ty = rows[j];
    if (ty.pos < 0) continue;
    for (int i = 0; i < dw; ++i)
    {
      const Tap tx = cols[i];
      if (tx.pos < 0) continue;
      RAS_Sample c;
      if (Sampling == kBox)
        c = BoxMean(s, tx.pos, ty.pos, radius, limx, limy);
      else if (Sampling == kBilinear)
        c = RAS_SampleBilinear(s, tx.pos, ty.pos, tx.frac, ty.frac, tx.pos + 1 < limx,
                               ty.pos + 1 < limy);
      else
        c = RAS_SampleOf(s.Row(ty.pos)[tx.pos]);
      RAS_Pixel px = drow[i];
      Op::Combine(reinterpret_cast<uint8_t*>(&px), c.r, c.g, c.b, c.a, w);
      drow[i] = px;
    }
  }
}
} // namespace

void RAS_ScaledBlit(RAS_IBitmap* dest, RAS_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                    double srcx, double srcy, double srcw, double srch, float alpha, int mode)
{
  if (alpha == 0.0f || !dest || !src || dstw == 0 || dsth == 0) return;
  if (!std::isfinite(srcx) || !std::isfinite(srcy) || !std::isfinite(srcw) || !std::isfinite(srch))
    return;
  // Beyond this the int conversions below would be undefined; no bitmap is that large.
  const double kLimit = double(1 << 24);
  if (std::fabs(srcx) > kLimit || std::fabs(srcy) > kLimit || std::fabs(srcw) > kLimit ||
      std::fabs(srch) > kLimit)
    return;

  const bool bilinear = (mode & RAS_BLEND_FILTER_BILINEAR) != 0;
  if (std::fabs(srcw - dstw) < 0.001 && std::fabs(srch - dsth) < 0.001)
  {
    // Whole-pixel offsets need no resampling; a filtered blit near an offset of a whole
    // pixel would only blur by a few percent.
    const bool near = std::fabs(srcx - std::floor(srcx + 0.5)) <= 0.03 &&
                      std::fabs(srcy - std::floor(srcy + 0.5)) <= 0.03;
    if (!bilinear || near)
    {
      RAS_Blit(dest, src, dstx, dsty, int(srcx + 0.5), int(srcy + 0.5), dstw, dsth, alpha, mode);
      return;
    }
  }

  RAS_RowAccess d, s;
  if (!d.Attach(dest) || !s.Attach(src)) return;

  // Sample limits: the source rectangle's right and bottom edges, within the bitmap.
  int limx = int(srcx + (srcw > 0 ? srcw : 0) + 0.999999);
  int limy = int(srcy + (srch > 0 ? srch : 0) + 0.999999);
  if (limx > s.width) limx = s.width;
  if (limy > s.height) limy = s.height;
  if (limx <= 0 || limy <= 0) return;

  double stepx = srcw / dstw, stepy = srch / dsth;
  int64_t dx = dstx, dy = dsty, dw = dstw, dh = dsth;
  double sx = srcx, sy = srcy;
  // A negative destination size mirrors. The first sample sits one step in from the far
  // edge, so that the mirrored image samples exactly the columns of the plain one.
  if (dw < 0)
  {
    dx += dw;
    dw = -dw;
    sx = srcx + srcw + stepx; // the step is negative now
  }
  if (dh < 0)
  {
    dy += dh;
    dh = -dh;
    sy = srcy + srch + stepy;
  }
  const int64_t firstx = RAS_ClipSpan(dx, dw, d.width);
  const int64_t firsty = RAS_ClipSpan(dy, dh, d.height);
  if (dw <= 0 || dh <= 0) return;

  // 16.16 fixed point, in 64 bits: huge scale factors must not overflow the position.
  std::vector<Tap> cols, rows;
  if (!MakeTaps(cols, sx, stepx, firstx, int(dw), limx) ||
      !MakeTaps(rows, sy, stepy, firsty, int(dh), limy))
    return;
  const int64_t fstepx = int64_t(std::fabs(stepx) * 65536.0);
  const int64_t fstepy = int64_t(std::fabs(stepy) * 65536.0);

  const int w = RAS_Weight(alpha);
  if ((mode & 0x1FFFF) == 0 && (w == 256 || w == 128))
  {
    // Nearest plain copy and half mix: whole pixels.
    for (int j = 0; j < int(dh); ++j)
    {
      if (rows[j].pos < 0) continue;
      const RAS_Pixel* sp = s.Row(rows[j].pos);
      RAS_Pixel* dp = d.Row(int(dy) + j) + dx;
      if (w == 256)
      {
        for (int i = 0; i < int(dw); ++i)
          if (cols[i].pos >= 0) dp[i] = sp[cols[i].pos];
      }
      else
      {
        for (int i = 0; i < int(dw); ++i)
          if (cols[i].pos >= 0)
            dp[i] = ((dp[i] >> 1) & 0x7F7F7F7Fu) + ((sp[cols[i].pos] >> 1) & 0x7F7F7F7Fu);
      }
    }
    return;
  }

  const bool reduce = bilinear && std::fabs(stepx) >= 1.7 && std::fabs(stepy) >= 1.7;
  const int radius = (fstepx > 0x30000 || fstepy > 0x30000) ? 2 : 1;
  RAS_DispatchCombine(mode, w,
                      [&](auto op)
                      {
                        using Op = decltype(op);
                        const int sampling = reduce ? kBox : (bilinear ? kBilinear : kNearest);
                        RAS_Pixel* drow = d.Row(int(dy)) + dx;
                        switch (sampling)
                        {
                        case kBox:
                          ScaleRows<Op, kBox>(s, drow, d.stride, cols.data(), rows.data(), int(dw),
                                              int(dh), limx, limy, radius, w);
                          break;
                        case kBilinear:
                          ScaleRows<Op, kBilinear>(s, drow, d.stride, cols.data(), rows.data(),
                                                   int(dw), int(dh), limx, limy, radius, w);
                          break;
                        default:
                          ScaleRows<Op, kNearest>(s, drow, d.stride, cols.data(), rows.data(),
                                                  int(dw), int(dh), limx, limy, radius, w);
                          break;
                        }
                      });
}
