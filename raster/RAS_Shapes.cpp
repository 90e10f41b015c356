// Lines, circles, arcs, rectangles and convex polygons.
#include "raster/RAS_Shapes.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "raster/RAS_Combine.h"
#include "raster/RAS_ShapesPen.h"

namespace
{

using RAS_ShapesDetail::Pen;

// Inclusive clip box in pixels.
struct Box
{
  int x0, y0, x1, y1;
};

// ---------------------------------------------------------------------------------------
// Lines

// Clips a segment to the box by outcodes, crossings computed in double so that any int
// coordinates are exact. False when nothing of it is inside.
bool ClipSegment(double& x1, double& y1, double& x2, double& y2, double xmax, double ymax)
{
  auto code = [&](double x, double y)
  {
    int c = 0;
    if (x < 0)
      c |= 1;
    else if (x > xmax)
      c |= 2;
    if (y < 0)
      c |= 4;
    else if (y > ymax)
      c |= 8;
    return c;
  };
  // Every pass puts one end on a box edge; four per end suffice.
  for (int pass = 0; pass < 8; ++pass)
  {
    const int c1 = code(x1, y1), c2 = code(x2, y2);
    if (!(c1 | c2)) return true;
    if (c1 & c2) return false;
    const int c = c1 ? c1 : c2;
    double x, y;
    // The other end lies on the inner side of the chosen edge, so the divisor is non-zero.
    if (c & 4)
      y = 0, x = x1 + (x2 - x1) * (0 - y1) / (y2 - y1);
    else if (c & 8)
      y = ymax, x = x1 + (x2 - x1) * (ymax - y1) / (y2 - y1);
    else if (c & 2)
      x = xmax, y = y1 + (y2 - y1) * (xmax - x1) / (x2 - x1);
    else
      x = 0, y = y1 + (y2 - y1) * (0 - x1) / (x2 - x1);
    if (c == c1)
      x1 = x, y1 = y;
    else
      x2 = x, y2 = y;
  }
  return !(code(x1, y1) | code(x2, y2));
}

int RoundClamp(double v, int hi)
{
  const double r = std::floor(v + 0.5);
  return r < 0 ? 0 : (r > hi ? hi : int(r));
}

} // namespace

void RAS_Line(RAS_IBitmap* dest, int x1, int y1, int x2, int y2, RAS_Pixel color, float alpha,
              int mode, bool aa)
{
  Pen pen;
  if (!pen.Setup(dest, color, alpha, mode)) return;
  const int xmax = pen.rows.width - 1, ymax = pen.rows.height - 1;
  double fx1 = x1, fy1 = y1, fx2 = x2, fy2 = y2;
  if (!ClipSegment(fx1, fy1, fx2, fy2, xmax, ymax)) return;
  x1 = RoundClamp(fx1, xmax);
  y1 = RoundClamp(fy1, ymax);
  x2 = RoundClamp(fx2, xmax);
  y2 = RoundClamp(fy2, ymax);
  const int w = pen.w;

  if (y1 == y2)
  {
    pen.HSpan(y1, std::min(x1, x2), std::max(x1, x2), w, Pen::kFastQuarters);
    return;
  }
  if (x1 == x2)
  {
    for (int y = std::min(y1, y2), ye = std::max(y1, y2); y <= ye; ++y)
      pen.Put(x1, y, w);
    return;
  }

  const int adx = std::abs(x2 - x1), ady = std::abs(y2 - y1);

  if (adx == ady)
  {
    const int sx = x2 < x1 ? -1 : 1, sy = y2 < y1 ? -1 : 1;
    // Without anti-aliasing the diagonal itself; with it, 3/4 on the diagonal and 1/4 on the
    // two pixels that fill the staircase toward the next one.
    const int wd = aa ? w * 3 / 4 : w, ws = w / 4;
    for (int i = 0; i <= adx; ++i)
    {
      const int x = x1 + i * sx, y = y1 + i * sy;
      pen.Put(x, y, wd);
      if (aa && i < adx)
      {
        pen.Put(x + sx, y, ws);
        pen.Put(x, y + sy, ws);
      }
    }
    return;
  }

  // Major axis one pixel per step, minor position in 16.16 fixed point. 64-bit, so that wide
  // bitmaps cannot overflow the shifted positions. Drawn from both ends toward the middle,
  // so a segment covers the same pixels whichever end it starts from.
  const bool xMajor = adx > ady;
  // One canonical direction: the same segment given the other way round gives the same pixels.
  if ((xMajor ? x1 > x2 : y1 > y2))
  {
    std::swap(x1, x2);
    std::swap(y1, y2);
  }
  const int sx = x2 < x1 ? -1 : 1, sy = y2 < y1 ? -1 : 1;
  const int n = xMajor ? adx : ady;
  const int smaj = xMajor ? sx : sy, smin = xMajor ? sy : sx;
  const int maj1 = xMajor ? x1 : y1, maj2 = xMajor ? x2 : y2;
  const int min1 = xMajor ? y1 : x1, min2 = xMajor ? y2 : x2;
  const int minLimit = xMajor ? ymax : xmax;
  const int64_t step = (int64_t(xMajor ? ady : adx) << 16) / n * smin;
  auto put = [&](int major, int minor, int wt)
  {
    if (xMajor)
      pen.Put(major, minor, wt);
    else
      pen.Put(minor, major, wt);
  };
  put(maj1, min1, w);
  put(maj2, min2, w);

  // Between the ends every pixel is inside the bitmap (the segment was clipped) and, with
  // anti-aliasing, weighs at most 255: one operator serves them all.
  const ptrdiff_t minStride = xMajor ? pen.rows.stride : 1;
  RAS_Pixel* const origin = pen.rows.Row(0);
  auto at = [&](int major, int minor)
  {
    return xMajor ? origin + ptrdiff_t(minor) * minStride + major
                  : origin + ptrdiff_t(major) * pen.rows.stride + minor;
  };
  RAS_DispatchCombine(mode, aa ? 255 : w,
                      [&](auto op)
                      {
                        using Op = decltype(op);
                        auto blend = [&](RAS_Pixel* p, int wt)
                        {
                          if (wt > 0)
                            Op::Combine(reinterpret_cast<uint8_t*>(p), pen.r, pen.g, pen.b, pen.a,
                                        wt);
                        };
                        for (int i = 1; 2 * i <= n; ++i)
                        {
                          const bool middle = 2 * i == n;
                          const int64_t posA = (int64_t(min1) << 16) + step * i;
                          const int64_t posB = (int64_t(min2) << 16) - step * i;
                          const int majA = maj1 + smaj * i, majB = maj2 - smaj * i;
                          if (!aa)
                          {
                            blend(at(majA, int((posA + 0x8000) >> 16)), w);
                            if (!middle) blend(at(majB, int((posB + 0x8000) >> 16)), w);
                            continue;
                          }
                          for (int k = 0; k < (middle ? 1 : 2); ++k)
                          {
                            const int64_t pos = k ? posB : posA;
                            const int ip = int(pos >> 16), f = int((pos >> 8) & 0xFF);
                            RAS_Pixel* p = at(k ? majB : majA, ip);
                            blend(p, (255 - f) * w / 256);
                            if (f && ip + 1 <= minLimit) blend(p + minStride, f * w / 256);
                          }
                        }
                      });
}

// ---------------------------------------------------------------------------------------
// Circles

namespace
{

// Outline masks for small radii: a one-pixel ring of that radius, (2r + 1) pixels square.
const uint8_t kAA_1_5[16] = {
    0x4F, 0xFF, 0xFF, 0x4F, 0xFF, 0x0F, 0x0F, 0xFF, 0xFF, 0x0F, 0x0F, 0xFF, 0x4F, 0xFF, 0xFF, 0x4F,
};
const uint8_t kPlain_1_5[16] = {
    0x00, 0xFF, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0x00, 0xFF, 0xFF, 0x00,
};
const uint8_t kAA_2[25] = {
    0x05, 0xD8, 0xFF, 0xD8, 0x05, 0xD8, 0x74, 0x00, 0x74, 0xD8, 0xFF, 0x00, 0x00,
    0x00, 0xFF, 0xD8, 0x74, 0x00, 0x74, 0xD8, 0x05, 0xD8, 0xFF, 0xD8, 0x05,
};
const uint8_t kPlain_2[25] = {
    0x00, 0xFF, 0xFF, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00,
    0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0x00,
};
// Radius 2.5
const uint8_t kAA_2_5[36] = {
    0x00, 0x97, 0xFF, 0xFF, 0x97, 0x00, 0x97, 0xBD, 0x00, 0x00, 0xBD, 0x97,
    0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF,
    0x97, 0xBD, 0x00, 0x00, 0xBD, 0x97, 0x00, 0x97, 0xFF, 0xFF, 0x97, 0x00,
};
const uint8_t kPlain_2_5[36] = {
    0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF,
    0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF,
    0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x00,
};
// Radius 3
const uint8_t kAA_3[49] = {
    0x00, 0x4D, 0xF2, 0xFF, 0xF2, 0x4D, 0x00, 0x4D, 0xF8, 0x25, 0x00, 0x25, 0xF8,
    0x4D, 0xF2, 0x25, 0x00, 0x00, 0x00, 0x25, 0xF2, 0xFF, 0x00, 0x00, 0x00, 0x00,
    0x00, 0xFF, 0xF2, 0x25, 0x00, 0x00, 0x00, 0x25, 0xF2, 0x4D, 0xF8, 0x25, 0x00,
    0x25, 0xF8, 0x4D, 0x00, 0x4D, 0xF2, 0xFF, 0xF2, 0x4D, 0x00,
};
const uint8_t kPlain_3[49] = {
    0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF,
    0x00, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00,
    0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00,
    0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00,
};
// Radius 3.5
const uint8_t kAA_3_5[64] = {
    0x00, 0x0D, 0xC2, 0xFF, 0xFF, 0xC2, 0x0D, 0x00, 0x0D, 0xFF, 0x66, 0x00, 0x00, 0x66, 0xFF, 0x0D,
    0xC2, 0x66, 0x00, 0x00, 0x00, 0x00, 0x66, 0xC2, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF,
    0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xC2, 0x66, 0x00, 0x00, 0x00, 0x00, 0x66, 0xC2,
    0x0D, 0xFF, 0x66, 0x00, 0x00, 0x66, 0xFF, 0x0D, 0x00, 0x0D, 0xC2, 0xFF, 0xFF, 0xC2, 0x0D, 0x00,
};
const uint8_t kPlain_3_5[64] = {
    0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x00,
    0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF,
    0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF,
    0x00, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00,
};
// Radius 4
const uint8_t kAA_4[81] = {
    0x00, 0x00, 0x85, 0xFE, 0xFF, 0xFE, 0x85, 0x00, 0x00, 0x00, 0xDF, 0xB1, 0x0C, 0x00,
    0x0C, 0xB1, 0xDF, 0x00, 0x85, 0xB1, 0x00, 0x00, 0x00, 0x00, 0x00, 0xB1, 0x85, 0xFE,
    0x0C, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0xFE, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0xFF, 0xFE, 0x0C, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0xFE, 0x85, 0xB1,
    0x00, 0x00, 0x00, 0x00, 0x00, 0xB1, 0x85, 0x00, 0xDF, 0xB1, 0x0C, 0x00, 0x0C, 0xB1,
    0xDF, 0x00, 0x00, 0x00, 0x85, 0xFE, 0xFF, 0xFE, 0x85, 0x00, 0x00,
};
const uint8_t kPlain_4[81] = {
    0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00,
    0x00, 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF,
    0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0xFF,
    0xFF, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00,
};

struct Mask
{
  float radius;
  int size;
  const uint8_t* aa;
  const uint8_t* plain;
};
const Mask kMasks[] = {
    {1.5f, 4, kAA_1_5, kPlain_1_5}, {2.0f, 5, kAA_2, kPlain_2},     {2.5f, 6, kAA_2_5, kPlain_2_5},
    {3.0f, 7, kAA_3, kPlain_3},     {3.5f, 8, kAA_3_5, kPlain_3_5}, {4.0f, 9, kAA_4, kPlain_4},
};

// Beyond these a circle either cannot touch any bitmap or would take seconds to trace.
constexpr double kMaxCoord = 1073741824.0; // 2^30
constexpr double kMaxRadius = 16777216.0;  // 2^24

struct CircleGeom
{
  int cx, cy; // centre rounded: (int)(c + 0.5)
  double r;   // unrounded radius (anti-aliased tracing)
  int ri;     // (int)(r + 0.5)
};

// False for a radius or centre that cannot be drawn, or a circle entirely outside clip.
bool PrepareCircle(float cx, float cy, float r, const Box& clip, CircleGeom* g)
{
  if (!(r >= 0) || r > kMaxRadius || !(std::fabs(cx) <= kMaxCoord) || !(std::fabs(cy) <= kMaxCoord))
    return false;
  g->cx = int(double(cx) + 0.5);
  g->cy = int(double(cy) + 0.5);
  g->r = r;
  g->ri = int(double(r) + 0.5);
  const int64_t reach = int64_t(g->ri) + 2;
  return int64_t(g->cx) + reach >= clip.x0 && int64_t(g->cx) - reach <= clip.x1 &&
         int64_t(g->cy) + reach >= clip.y0 && int64_t(g->cy) - reach <= clip.y1;
}

// The pen restricted to a box inside the bitmap.
struct ClipPen
{
  const Pen& pen;
  Box box;

  void Put(int64_t x, int64_t y, int wt) const
  {
    if (x < box.x0 || x > box.x1 || y < box.y0 || y > box.y1) return;
    pen.HSpan(int(y), int(x), int(x), wt, Pen::kFastHalf);
  }
  void HSpan(int64_t y, int64_t xa, int64_t xb, int wt) const
  {
    if (y < box.y0 || y > box.y1) return;
    xa = std::max<int64_t>(xa, box.x0);
    xb = std::min<int64_t>(xb, box.x1);
    if (xa <= xb) pen.HSpan(int(y), int(xa), int(xb), wt, Pen::kFastHalf);
  }
  void VSpan(int64_t x, int64_t ya, int64_t yb, int wt) const
  {
    if (x < box.x0 || x > box.x1) return;
    ya = std::max<int64_t>(ya, box.y0);
    yb = std::min<int64_t>(yb, box.y1);
    if (ya <= yb) pen.VSpan(int(x), int(ya), int(yb), wt, Pen::kFastHalf);
  }
  // (±u, ±v) about the centre, each distinct point once.
  void Put4(int64_t cx, int64_t cy, int64_t u, int64_t v, int wt) const
  {
    Put(cx + u, cy + v, wt);
    if (u) Put(cx - u, cy + v, wt);
    if (v) Put(cx + u, cy - v, wt);
    if (u && v) Put(cx - u, cy - v, wt);
  }
};

// Integer midpoint circle. err tracks x^2 + y^2 - r^2 - x, so err >= 0 means the midpoint
// (x - 1/2, y) lies outside and x steps in.
void PlainOutline(const ClipPen& cp, const CircleGeom& g)
{
  int64_t x = g.ri, y = 0, err = -int64_t(g.ri);
  while (y <= x)
  {
    cp.Put4(g.cx, g.cy, x, y, cp.pen.w);
    if (x != y) cp.Put4(g.cx, g.cy, y, x, cp.pen.w);
    err += 2 * y + 1;
    ++y;
    if (err >= 0)
    {
      --x;
      err -= 2 * x;
    }
  }
}

// Rows 0..y_end take half-width x from the octant walk; rows beyond the diagonal take the
// last y seen for their x, drawn as x steps in. Every row once, so every pixel once.
void PlainFill(const ClipPen& cp, const CircleGeom& g)
{
  const int w = cp.pen.w;
  int64_t x = g.ri, y = 0, err = -int64_t(g.ri);
  while (y <= x)
  {
    cp.HSpan(g.cy + y, g.cx - x, g.cx + x, w);
    if (y) cp.HSpan(g.cy - y, g.cx - x, g.cx + x, w);
    const int64_t yPlotted = y;
    err += 2 * y + 1;
    ++y;
    if (err >= 0)
    {
      if (x > yPlotted)
      {
        cp.HSpan(g.cy + x, g.cx - yPlotted, g.cx + yPlotted, w);
        cp.HSpan(g.cy - x, g.cx - yPlotted, g.cx + yPlotted, w);
      }
      --x;
      err -= 2 * x;
    }
  }
}

// Height of the anti-aliased circle over column offset x, or a negative value past the
// octant (where (int)(y + 0.5) < x).
double AAHeight(double r, int64_t x)
{
  if (x == 0) return r;
  if (double(x) > r) return -1;
  const double y = std::sqrt(r * r - double(x) * double(x));
  return int64_t(y + 0.5) >= x ? y : -1;
}

// Weight the outline's column walk gives the pixel at offsets (x, v), x <= X: the inner pixel
// of column x takes 1 - frac(y), the outer one frac(y). -1 when column x does not reach row v.
int AAColumnWeight(const CircleGeom& g, int w, int64_t x, int64_t v)
{
  const double y = AAHeight(g.r, x);
  const int64_t yi = int64_t(y);
  const int wo = int((y - double(yi)) * w);
  if (v == yi) return w - wo;
  if (v == yi + 1) return wo;
  return -1;
}

// The outline's pixel at offsets (x, v) of column x, mirrored into the four quadrants. Near the
// diagonal (v <= X too) the pixel is also the mirror image of column v's pixel (v, x), and the
// two columns' heights give it different weights: both copies take the larger, and a copy that
// column v does not reach is drawn here, so the outline stays eight-way symmetric while each
// pixel is still combined once.
void AAOutlinePixel(const ClipPen& cp, const CircleGeom& g, int64_t X, int64_t x, int64_t v, int wt)
{
  if (v <= X && v != x)
  {
    const int mirror = AAColumnWeight(g, cp.pen.w, v, x);
    wt = std::max(wt, mirror);
    if (mirror < 0) cp.Put4(g.cx, g.cy, v, x, wt);
  }
  cp.Put4(g.cx, g.cy, x, v, wt);
}

// Columns |x| <= X carry the top and bottom of the circle, rows |y| <= X its sides; a side
// pixel is drawn only beyond column X, so nothing is drawn twice.
void AACircle(const ClipPen& cp, const CircleGeom& g, bool fill)
{
  const int w = cp.pen.w;
  int64_t X = 0;
  while (AAHeight(g.r, X + 1) >= 0)
    ++X;
  for (int64_t x = 0; x <= X; ++x)
  {
    const double y = AAHeight(g.r, x);
    const int64_t yi = int64_t(y);
    const int wo = int((y - double(yi)) * w), wi = w - wo;
    // Column pair: top and bottom.
    if (!fill)
    {
      AAOutlinePixel(cp, g, X, x, yi, wi);
      AAOutlinePixel(cp, g, X, x, yi + 1, wo);
    }
    else
      for (int side = 0; side < (x ? 2 : 1); ++side)
      {
        const int64_t col = side ? g.cx - x : g.cx + x;
        cp.VSpan(col, g.cy - yi, g.cy + yi, w);
        cp.Put(col, g.cy + yi + 1, wo);
        cp.Put(col, g.cy - yi - 1, wo);
      }
    // Row pair: left and right, beyond column X.
    for (int side = 0; side < (x ? 2 : 1); ++side)
    {
      const int64_t row = side ? g.cy - x : g.cy + x;
      if (fill)
      {
        if (yi > X)
        {
          cp.HSpan(row, g.cx + X + 1, g.cx + yi, w);
          cp.HSpan(row, g.cx - yi, g.cx - X - 1, w);
        }
      }
      else if (yi > X)
      {
        cp.Put(g.cx + yi, row, wi);
        cp.Put(g.cx - yi, row, wi);
      }
      if (yi + 1 > X)
      {
        cp.Put(g.cx + yi + 1, row, wo);
        cp.Put(g.cx - yi - 1, row, wo);
      }
    }
  }
}

void TraceCircle(const Pen& pen, const Box& box, const CircleGeom& g, bool aa, bool fill)
{
  const ClipPen cp{pen, box};
  if (aa)
    AACircle(cp, g, fill);
  else if (fill)
    PlainFill(cp, g);
  else
    PlainOutline(cp, g);
}

Box BitmapBox(const Pen& pen)
{
  return Box{0, 0, pen.rows.width - 1, pen.rows.height - 1};
}

} // namespace

void RAS_Circle(RAS_IBitmap* dest, float cx, float cy, float r, RAS_Pixel color, float alpha,
                int mode, bool aa)
{
  if (!dest) return;
  for (const Mask& m : kMasks)
  {
    if (r != m.radius) continue;
    if (!(std::fabs(cx) <= kMaxCoord) || !(std::fabs(cy) <= kMaxCoord)) return;
    RAS_DrawGlyph(dest, int(cx - r), int(cy - r), color, aa ? m.aa : m.plain, m.size, m.size, alpha,
                  mode);
    return;
  }
  Pen pen;
  if (!pen.Setup(dest, color, alpha, mode)) return;
  const Box box = BitmapBox(pen);
  CircleGeom g;
  if (PrepareCircle(cx, cy, r, box, &g)) TraceCircle(pen, box, g, aa, false);
}

void RAS_FillCircle(RAS_IBitmap* dest, float cx, float cy, float r, RAS_Pixel color, float alpha,
                    int mode, bool aa)
{
  Pen pen;
  if (!pen.Setup(dest, color, alpha, mode)) return;
  const Box box = BitmapBox(pen);
  CircleGeom g;
  if (PrepareCircle(cx, cy, r, box, &g)) TraceCircle(pen, box, g, aa, true);
}

void RAS_Arc(RAS_IBitmap* dest, float cx, float cy, float r, float minAngle, float maxAngle,
             RAS_Pixel color, float alpha, int mode, bool aa)
{
  Pen pen;
  if (!pen.Setup(dest, color, alpha, mode)) return;
  if (!std::isfinite(minAngle) || !std::isfinite(maxAngle)) return;
  double a0 = minAngle, a1 = maxAngle;
  if (a1 < a0) std::swap(a0, a1);
  const double twoPi = 6.283185307179586, quarter = 1.5707963267948966;
  if (a1 - a0 >= double(6.2831855f))
  {
    RAS_Circle(dest, cx, cy, r, color, alpha, mode, aa);
    return;
  }
  if (a0 >= twoPi || a0 <= -twoPi)
  {
    const double m = std::fmod(a0, twoPi);
    a1 += m - a0;
    a0 = m;
  }
  const Box bitmap = BitmapBox(pen);
  CircleGeom g;
  if (!PrepareCircle(cx, cy, r, bitmap, &g)) return;

  // Pieces never cross a quarter boundary, so each lies inside the box of its end points.
  double k = std::floor(a0 / quarter);
  for (double a = a0; a < a1; k += 1)
  {
    const double b = std::min((k + 1) * quarter, a1);
    if (b <= a) continue;
    const int xa = int(cx + r * std::sin(a) + 0.5), ya = int(cy - r * std::cos(a) + 0.5);
    const int xb = int(cx + r * std::sin(b) + 0.5), yb = int(cy - r * std::cos(b) + 0.5);
    Box box{std::min(xa, xb), std::min(ya, yb), std::max(xa, xb), std::max(ya, yb)};
    // One pixel more for the anti-aliased fringe, except along the centre row and column
    // where the neighbouring quarter takes over.
    if (box.x0 != g.cx) --box.x0;
    if (box.x1 != g.cx) ++box.x1;
    if (box.y0 != g.cy) --box.y0;
    if (box.y1 != g.cy) ++box.y1;
    box.x0 = std::max(box.x0, bitmap.x0);
    box.y0 = std::max(box.y0, bitmap.y0);
    box.x1 = std::min(box.x1, bitmap.x1);
    box.y1 = std::min(box.y1, bitmap.y1);
    if (box.x0 <= box.x1 && box.y0 <= box.y1) TraceCircle(pen, box, g, aa, false);
    a = b;
  }
}

// ---------------------------------------------------------------------------------------
// Rectangles

namespace
{
int ClampToInt(int64_t v)
{
  return v < INT32_MIN ? INT32_MIN : (v > INT32_MAX ? INT32_MAX : int(v));
}
} // namespace

void RAS_DrawRect(RAS_IBitmap* dest, int x, int y, int w, int h, RAS_Pixel color, float alpha,
                  int mode)
{
  Pen pen;
  if (!pen.Setup(dest, color, alpha, mode)) return;
  int64_t x0 = x, y0 = y, x1 = int64_t(x) + w, y1 = int64_t(y) + h;
  if (x1 < x0) std::swap(x0, x1);
  if (y1 < y0) std::swap(y0, y1);
  const Box b = BitmapBox(pen);
  auto hline = [&](int64_t yy)
  {
    if (yy >= b.y0 && yy <= b.y1)
      pen.HSpan(int(yy), ClampToInt(std::max<int64_t>(x0, -1)),
                ClampToInt(std::min<int64_t>(x1, b.x1 + 1)), pen.w, Pen::kFastQuarters);
  };
  hline(y0);
  if (y1 != y0) hline(y1);
  const int64_t ya = std::max<int64_t>(y0 + 1, b.y0), yb = std::min<int64_t>(y1 - 1, b.y1);
  for (int64_t yy = ya; yy <= yb; ++yy)
  {
    pen.Put(ClampToInt(x0), int(yy), pen.w);
    if (x1 != x0) pen.Put(ClampToInt(x1), int(yy), pen.w);
  }
}

void RAS_RoundRect(RAS_IBitmap* dest, int x, int y, int w, int h, int cornerradius, RAS_Pixel color,
                   float alpha, int mode, bool aa)
{
  const int r = std::min(cornerradius, std::min(w / 2, h / 2));
  if (cornerradius <= 0 || r < 2)
  {
    RAS_DrawRect(dest, x, y, w, h, color, alpha, mode);
    return;
  }
  const int64_t L = x, T = y, R = int64_t(x) + w, B = int64_t(y) + h;
  auto line = [&](int64_t xa, int64_t ya, int64_t xb, int64_t yb)
  {
    RAS_Line(dest, ClampToInt(xa), ClampToInt(ya), ClampToInt(xb), ClampToInt(yb), color, alpha,
             mode, aa);
  };
  line(L + r, T, R - r, T);
  line(L + r - 1, B, R - r, B);
  line(R, T + r, R, B - r);
  line(L, T + r - 1, L, B - r);
  const float pi = 3.14159265358979f, rf = float(r);
  RAS_Arc(dest, float(L + r), float(T + r), rf, -pi / 2, 0, color, alpha, mode, aa);
  RAS_Arc(dest, float(R - r), float(T + r), rf, 0, pi / 2, color, alpha, mode, aa);
  RAS_Arc(dest, float(R - r), float(B - r), rf, pi / 2, pi, color, alpha, mode, aa);
  RAS_Arc(dest, float(L + r), float(B - r), rf, pi, 3 * pi / 2, color, alpha, mode, aa);
}

// ---------------------------------------------------------------------------------------
// Convex polygons

namespace
{

struct Pt
{
  int64_t x, y;
};

// x on edge a-b at row y (a.y < b.y, a.y <= y <= b.y), rounded to the nearest pixel. 128-bit
// so that edges spanning the whole int range cannot overflow the product.
int64_t EdgeX(const Pt& a, const Pt& b, int64_t y)
{
  const __int128 num = __int128(b.x - a.x) * (y - a.y) * 2 + (b.y - a.y);
  const __int128 den = __int128(b.y - a.y) * 2;
  __int128 q = num / den;
  if ((num % den != 0) && ((num < 0) != (den < 0))) --q; // floor division
  return a.x + int64_t(q);
}

// Walks one chain (points sorted by y) down the rows, giving the x range it covers at each.
struct ChainWalker
{
  const Pt* c;
  int n;
  int idx = 0;

  // False when the chain does not reach row y.
  bool Range(int64_t y, int64_t* lo, int64_t* hi)
  {
    while (idx + 1 < n && c[idx + 1].y < y)
      ++idx;
    bool any = false;
    for (int j = idx; j + 1 < n && c[j].y <= y; ++j)
    {
      const Pt &a = c[j], &b = c[j + 1];
      if (b.y < y) continue;
      int64_t xa, xb;
      if (a.y == b.y)
        xa = a.x, xb = b.x;
      else
        xa = xb = EdgeX(a, b, y);
      if (!any)
        *lo = std::min(xa, xb), *hi = std::max(xa, xb);
      else
        *lo = std::min({*lo, xa, xb}), *hi = std::max({*hi, xa, xb});
      any = true;
    }
    return any;
  }
};

} // namespace

void RAS_FillConvexPolygon(RAS_IBitmap* dest, const int* xs, const int* ys, int n, RAS_Pixel color,
                           float alpha, int mode)
{
  if (!xs || !ys || n < 3) return;
  Pen pen;
  if (!pen.Setup(dest, color, alpha, mode)) return;

  Pt local[512];
  std::vector<Pt> heap;
  Pt* pts = local;
  if (n > 512)
  {
    heap.resize(size_t(n));
    pts = heap.data();
  }
  for (int i = 0; i < n; ++i)
    pts[i] = Pt{xs[i], ys[i]};
  std::sort(pts, pts + n,
            [](const Pt& a, const Pt& b) { return a.y < b.y || (a.y == b.y && a.x < b.x); });

  // Split the points by the side of the top-to-bottom diagonal they lie on; each side, top
  // and bottom included, is a chain sorted by y.
  const Pt top = pts[0], bottom = pts[n - 1];
  std::vector<Pt> left, right;
  left.reserve(size_t(n));
  right.reserve(size_t(n));
  left.push_back(top);
  right.push_back(top);
  for (int i = 1; i < n - 1; ++i)
  {
    const __int128 cross = __int128(bottom.x - top.x) * (pts[i].y - top.y) -
                           __int128(bottom.y - top.y) * (pts[i].x - top.x);
    (cross >= 0 ? left : right).push_back(pts[i]);
  }
  left.push_back(bottom);
  right.push_back(bottom);

  const int64_t y0 = std::max<int64_t>(top.y, 0),
                y1 = std::min<int64_t>(bottom.y, pen.rows.height - 1);
  ChainWalker wl{left.data(), int(left.size())}, wr{right.data(), int(right.size())};
  for (int64_t y = y0; y <= y1; ++y)
  {
    int64_t lo = 0, hi = 0, lo2 = 0, hi2 = 0;
    const bool hasL = wl.Range(y, &lo, &hi), hasR = wr.Range(y, &lo2, &hi2);
    if (!hasL && !hasR) continue;
    if (!hasL)
      lo = lo2, hi = hi2;
    else if (hasR)
      lo = std::min(lo, lo2), hi = std::max(hi, hi2);
    if (hi < 0 || lo >= pen.rows.width) continue;
    pen.HSpan(int(y), int(std::max<int64_t>(lo, 0)), int(std::min<int64_t>(hi, pen.rows.width - 1)),
              pen.w, Pen::kFastNone);
  }
}

void RAS_FillTriangle(RAS_IBitmap* dest, int x1, int y1, int x2, int y2, int x3, int y3,
                      RAS_Pixel color, float alpha, int mode)
{
  const int xs[3] = {x1, x2, x3}, ys[3] = {y1, y2, y3};
  RAS_FillConvexPolygon(dest, xs, ys, 3, color, alpha, mode);
}

// ---------------------------------------------------------------------------------------
// Glyphs

void RAS_DrawGlyph(RAS_IBitmap* dest, int x, int y, RAS_Pixel color, const uint8_t* alphas,
                   int glyph_w, int glyph_h, float alpha, int mode)
{
  if (!alphas || glyph_w <= 0 || glyph_h <= 0) return;
  Pen pen;
  if (!pen.Setup(dest, color, alpha, mode)) return;
  const int64_t xa = std::max<int64_t>(x, 0),
                xb = std::min<int64_t>(int64_t(x) + glyph_w, pen.rows.width);
  const int64_t ya = std::max<int64_t>(y, 0),
                yb = std::min<int64_t>(int64_t(y) + glyph_h, pen.rows.height);
  for (int64_t py = ya; py < yb; ++py)
  {
    const uint8_t* src = alphas + size_t(py - y) * size_t(glyph_w);
    RAS_Pixel* row = pen.rows.Row(int(py));
    for (int64_t px = xa; px < xb; ++px)
    {
      const int c = src[px - x];
      if (!c) continue;
      const int wt = pen.w * c / 256;
      if (wt > 0) pen.Blend(row + px, wt);
    }
  }
}
