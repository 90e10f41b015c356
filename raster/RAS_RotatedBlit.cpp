// Rotated transfer: the source rectangle turned about its centre, sampled nearest or
// bilinear along the destination rows in 16.16 fixed point.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "raster/RAS_Clip.h"
#include "raster/RAS_Combine.h"
#include "raster/RAS_Raster.h"
#include "raster/RAS_Sample.h"

namespace
{
// The fixed-point walk: start, steps per column and per row, and the sample bounds.
struct Walk
{
  int64_t x0, y0, dsdx, dtdx, dsdy, dtdy;
  int lox, loy, hix, hiy;
};

// The pixel loop, with everything it reads passed by value: the operators store bytes,
// which may alias any memory, so values reached through references would be reloaded for
// every pixel.
template <class Op, bool Bilinear>
void RotateRows(const RAS_RowAccess s, RAS_Pixel* drow, ptrdiff_t dstride, int dw, int dh,
                const Walk k, int w)
{
  for (int j = 0; j < dh; ++j, drow += dstride)
  {
    int64_t px = k.x0 + k.dsdy * j, py = k.y0 + k.dtdy * j;
    for (int i = 0; i < dw; ++i, px += k.dsdx, py += k.dtdx)
    {
      const int64_t ix = px >> 16, iy = py >> 16;
      if (ix < k.lox || ix >= k.hix || iy < k.loy || iy >= k.hiy) continue;
      RAS_Sample c;
      if (Bilinear)
        c = RAS_SampleBilinear(s, int(ix), int(iy), int(px & 0xFFFF), int(py & 0xFFFF),
                               ix + 1 < k.hix, iy + 1 < k.hiy);
      else
        c = RAS_SampleOf(s.Row(int(iy))[ix]);
      RAS_Pixel out = drow[i];
      Op::Combine(reinterpret_cast<uint8_t*>(&out), c.r, c.g, c.b, c.a, w);
      drow[i] = out;
    }
  }
}
} // namespace

void RAS_RotatedBlit(RAS_IBitmap* dest, RAS_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                     double srcx, double srcy, double srcw, double srch, double angle,
                     bool cliptosourcerect, float alpha, int mode, double rotxcent, double rotycent)
{
  if (!dest || !src || dstw == 0 || dsth == 0) return;
  const double kLimit = double(1 << 24);
  for (double v : {srcx, srcy, srcw, srch, angle, rotxcent, rotycent})
    if (!std::isfinite(v) || std::fabs(v) > kLimit) return;
  RAS_RowAccess d, s;
  if (!d.Attach(dest) || !s.Attach(src)) return;

  // Integer sample bounds [lox, hix) x [loy, hiy): a sample at integer position i is inside
  // a real bound b0 <= i < b1 exactly when ceil(b0) <= i < ceil(b1).
  int lox = 0, loy = 0, hix = s.width, hiy = s.height;
  if (cliptosourcerect)
  {
    lox = std::max(lox, int(std::ceil(srcx)));
    loy = std::max(loy, int(std::ceil(srcy)));
    hix = std::min(hix, int(std::ceil(srcx + srcw)));
    hiy = std::min(hiy, int(std::ceil(srcy + srch)));
  }
  if (lox >= hix || loy >= hiy) return;

  const double sn = std::sin(angle), cs = std::cos(angle);
  int64_t dx = dstx, dy = dsty, dw = dstw, dh = dsth;
  if (dw < 0)
  {
    srcx += srcw;
    srcw = -srcw;
    dx += dw;
    dw = -dw;
  }
  if (dh < 0)
  {
    srcy += srch;
    srch = -srch;
    dy += dh;
    dh = -dh;
  }
  // Source movement per destination column (dsdx, dtdx) and per row (dsdy, dtdy).
  const double dsdx = srcw / double(dw) * cs, dtdx = -sn * srch / double(dh);
  const double dsdy = sn * srcw / double(dw), dtdy = srch / double(dh) * cs;
  // Source position of destination pixel (0, 0): the centres coincide, shifted by the
  // rotation-centre offset.
  double x0 = srcx - ((double(dw) * dsdx + double(dh) * dsdy - srcw) * 0.5 - rotxcent);
  double y0 = srcy - ((double(dh) * dtdy + double(dw) * dtdx - srch) * 0.5 - rotycent);
  // A mirrored walk starts one step in, as in the scaled blit: from the far edge itself it
  // would sample just outside the rectangle and never reach its first column or row.
  if (dstw < 0)
  {
    x0 += dsdx;
    y0 += dtdx;
  }
  if (dsth < 0)
  {
    x0 += dsdy;
    y0 += dtdy;
  }

  // Clipping skips whole columns and rows of the walk, counted in fixed point so that a
  // clipped blit samples exactly what the unclipped one would.
  const int64_t skipx = RAS_ClipSpan(dx, dw, d.width);
  const int64_t skipy = RAS_ClipSpan(dy, dh, d.height);
  if (dw <= 0 || dh <= 0) return;

  // Every position the walk reaches must fit 64-bit fixed point.
  const double cols = double(skipx + dw), rows = double(skipy + dh);
  const double reach = (std::fabs(x0) + std::fabs(y0) + (std::fabs(dsdx) + std::fabs(dtdx)) * cols +
                        (std::fabs(dsdy) + std::fabs(dtdy)) * rows) *
                       65536.0;
  if (reach > 1e18) return;

  const int64_t fdsdx = int64_t(dsdx * 65536.0), fdtdx = int64_t(dtdx * 65536.0);
  const int64_t fdsdy = int64_t(dsdy * 65536.0), fdtdy = int64_t(dtdy * 65536.0);
  const int64_t fx0 = int64_t(x0 * 65536.0) + skipx * fdsdx + skipy * fdsdy;
  const int64_t fy0 = int64_t(y0 * 65536.0) + skipx * fdtdx + skipy * fdtdy;
  const bool bilinear = (mode & RAS_BLEND_FILTER_BILINEAR) != 0;
  const int w = RAS_Weight(alpha);

  const Walk walk{fx0, fy0, fdsdx, fdtdx, fdsdy, fdtdy, lox, loy, hix, hiy};
  RAS_DispatchCombine(mode, w,
                      [&](auto op)
                      {
                        using Op = decltype(op);
                        RAS_Pixel* drow = d.Row(int(dy)) + dx;
                        if (bilinear)
                          RotateRows<Op, true>(s, drow, d.stride, int(dw), int(dh), walk, w);
                        else
                          RotateRows<Op, false>(s, drow, d.stride, int(dw), int(dh), walk, w);
                      });
}
