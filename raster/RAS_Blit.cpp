// Block transfers, rectangle fills and single pixels.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "raster/RAS_Clip.h"
#include "raster/RAS_Combine.h"
#include "raster/RAS_Raster.h"
#include "raster/RAS_BlitRows.h"

namespace
{
// Half of each byte of two pixels, summed: ((D >> 1) & 0x7F...) + ((S >> 1) & 0x7F...).
inline RAS_Pixel HalfMix(RAS_Pixel d, RAS_Pixel s)
{
  return ((d >> 1) & 0x7F7F7F7Fu) + ((s >> 1) & 0x7F7F7F7Fu);
}

// True when both accessors address overlapping pixel rows of one block.
bool RectsShareMemory(const RAS_RowAccess& d, int dx, int dy, const RAS_RowAccess& s, int sx,
                      int sy, int w, int h)
{
  if (d.row0 != s.row0 || d.stride != s.stride) return false;
  return dx < sx + w && sx < dx + w && dy < sy + h && sy < dy + h;
}

// Clips a transfer of w x h pixels from (sx, sy) to (dx, dy) against both bitmaps: what
// is cut from one side moves the other side's start with it. False when nothing is left.
bool ClipTransfer(int64_t& dx, int64_t& dy, int64_t& sx, int64_t& sy, int64_t& w, int64_t& h,
                  int srcW, int srcH, int dstW, int dstH)
{
  dx += RAS_ClipSpan(sx, w, srcW);
  dy += RAS_ClipSpan(sy, h, srcH);
  sx += RAS_ClipSpan(dx, w, dstW);
  sy += RAS_ClipSpan(dy, h, dstH);
  return w > 0 && h > 0;
}

void BlitClipped(const RAS_RowAccess& d, int dx, int dy, const RAS_RowAccess& s, int sx, int sy,
                 int w, int h, float alpha, int mode)
{
  const int low = mode & RAS_BLEND_MASK;
  if ((low & 0xF0) == 0xF0)
  {
    const int from = low & 3, to = (low >> 2) & 3;
    for (int j = 0; j < h; ++j)
    {
      uint8_t* dp = reinterpret_cast<uint8_t*>(d.Row(dy + j) + dx);
      const uint8_t* sp = reinterpret_cast<const uint8_t*>(s.Row(sy + j) + sx);
      for (int i = 0; i < w; ++i)
        dp[i * 4 + to] = sp[i * 4 + from];
    }
    return;
  }

  if ((mode & (RAS_BLEND_USE_SOURCE_ALPHA | RAS_BLEND_MASK)) == RAS_BLEND_COPY)
  {
    if (alpha == 1.0f)
    {
      if (d.stride == w && s.stride == w)
      {
        // Whole rows of both: one block.
        std::memcpy(d.Row(dy) + dx, s.Row(sy) + sx, size_t(w) * size_t(h) * sizeof(RAS_Pixel));
        return;
      }
      for (int j = 0; j < h; ++j)
        std::memcpy(d.Row(dy + j) + dx, s.Row(sy + j) + sx, size_t(w) * sizeof(RAS_Pixel));
      return;
    }
    if (alpha == 0.5f)
    {
      for (int j = 0; j < h; ++j)
      {
        RAS_Pixel* dp = d.Row(dy + j) + dx;
        const RAS_Pixel* sp = s.Row(sy + j) + sx;
        for (int i = 0; i < w; ++i)
          dp[i] = HalfMix(dp[i], sp[i]);
      }
      return;
    }
  }

  const int wt = RAS_Weight(alpha);
  RAS_DispatchCombine(mode, wt,
                      [&](auto op)
                      {
                        using Op = decltype(op);
                        for (int j = 0; j < h; ++j)
                          RAS_CombineRow<Op>(d.Row(dy + j) + dx, s.Row(sy + j) + sx, w, wt);
                      });
}
} // namespace

void RAS_Blit(RAS_IBitmap* dest, RAS_IBitmap* src, int dstx, int dsty, int srcx, int srcy, int srcw,
              int srch, float alpha, int mode)
{
  if (!dest || !src || alpha == 0.0f) return;
  RAS_RowAccess d, s;
  if (!d.Attach(dest) || !s.Attach(src)) return;
  int64_t dx = dstx, dy = dsty, sx = srcx, sy = srcy, w = srcw, h = srch;
  if (!ClipTransfer(dx, dy, sx, sy, w, h, s.width, s.height, d.width, d.height)) return;

  if (RectsShareMemory(d, int(dx), int(dy), s, int(sx), int(sy), int(w), int(h)))
  {
    // Reading pixels already overwritten would smear the image: blit from a copy.
    RAS_MemBitmap tmp(int(w), int(h), 4);
    RAS_RowAccess t;
    if (!t.Attach(&tmp)) return;
    for (int j = 0; j < int(h); ++j)
      std::memcpy(t.Row(j), s.Row(int(sy) + j) + sx, size_t(w) * sizeof(RAS_Pixel));
    BlitClipped(d, int(dx), int(dy), t, 0, 0, int(w), int(h), alpha, mode);
    return;
  }
  BlitClipped(d, int(dx), int(dy), s, int(sx), int(sy), int(w), int(h), alpha, mode);
}

void RAS_Blit(RAS_IBitmap* dest, RAS_IBitmap* src, int dstx, int dsty, const RAS_Rect* srcrect,
              float alpha, int mode)
{
  if (!src) return;
  if (!srcrect)
  {
    RAS_Blit(dest, src, dstx, dsty, 0, 0, src->getWidth(), src->getHeight(), alpha, mode);
    return;
  }
  const int64_t w = int64_t(srcrect->right) - srcrect->left;
  const int64_t h = int64_t(srcrect->bottom) - srcrect->top;
  if (w <= 0 || h <= 0 || w > INT32_MAX || h > INT32_MAX) return;
  RAS_Blit(dest, src, dstx, dsty, srcrect->left, srcrect->top, int(w), int(h), alpha, mode);
}

void RAS_Copy(RAS_IBitmap* dest, RAS_IBitmap* src)
{
  if (!dest || !src || dest == src) return;
  dest->resize(src->getWidth(), src->getHeight());
  RAS_Blit(dest, src, 0, 0, 0, 0, src->getWidth(), src->getHeight(), 1.0f, RAS_BLEND_COPY);
}

namespace
{
// Clips (x, y, w, h) to the bitmap. False when nothing is left.
bool ClipRect(const RAS_RowAccess& d, int& x, int& y, int& w, int& h)
{
  int64_t x0 = x, y0 = y, x1 = int64_t(x) + w, y1 = int64_t(y) + h;
  if (x0 < 0) x0 = 0;
  if (y0 < 0) y0 = 0;
  if (x1 > d.width) x1 = d.width;
  if (y1 > d.height) y1 = d.height;
  if (x1 <= x0 || y1 <= y0) return false;
  x = int(x0);
  y = int(y0);
  w = int(x1 - x0);
  h = int(y1 - y0);
  return true;
}

template <class F> void ForEachPixel(const RAS_RowAccess& d, int x, int y, int w, int h, F&& f)
{
  for (int j = 0; j < h; ++j)
  {
    RAS_Pixel* p = d.Row(y + j) + x;
    for (int i = 0; i < w; ++i)
      f(p[i]);
  }
}

void FillClipped(const RAS_RowAccess& d, int x, int y, int w, int h, RAS_Pixel color, float alpha,
                 int mode)
{
  int w8 = RAS_Weight(alpha);
  const int r = RAS_GetR(color), g = RAS_GetG(color), b = RAS_GetB(color);
  const int low = mode & RAS_BLEND_MASK;
  if (low == RAS_BLEND_COPY)
  {
    if (w8 <= 0) return;
    if (w8 > 256) w8 = 256; // beyond full weight the copy would overshoot and wrap
    const RAS_Pixel F = color;
    switch (w8)
    {
    case 64:
    {
      const RAS_Pixel f4 = (F >> 2) & 0x3F3F3F3Fu;
      ForEachPixel(d, x, y, w, h,
                   [f4](RAS_Pixel& p)
                   { p = f4 + ((p >> 1) & 0x7F7F7F7Fu) + ((p >> 2) & 0x3F3F3F3Fu); });
      return;
    }
    case 128:
    {
      const RAS_Pixel f2 = (F >> 1) & 0x7F7F7F7Fu;
      ForEachPixel(d, x, y, w, h, [f2](RAS_Pixel& p) { p = f2 + ((p >> 1) & 0x7F7F7F7Fu); });
      return;
    }
    case 192:
    {
      const RAS_Pixel f34 = ((F >> 2) & 0x3F3F3F3Fu) + ((F >> 1) & 0x7F7F7F7Fu);
      ForEachPixel(d, x, y, w, h, [f34](RAS_Pixel& p) { p = f34 + ((p >> 2) & 0x3F3F3F3Fu); });
      return;
    }
    case 256:
      ForEachPixel(d, x, y, w, h, [F](RAS_Pixel& p) { p = F; });
      return;
    default:
      // The weight doubles as the alpha component (the A byte moves toward w8).
      for (int j = 0; j < h; ++j)
        RAS_CopyColorRow(d.Row(y + j) + x, w, r, g, b, w8, w8);
      return;
    }
  }
  if (w8 == 0 || low > RAS_BLEND_HSVADJ) return;
  // The weight doubles as the alpha component; held to 0..256 so no operator's product
  // leaves its range.
  const int a = w8 < 0 ? 0 : (w8 > 256 ? 256 : w8);
  RAS_DispatchCombine(low, w8,
                      [&](auto op)
                      {
                        using Op = decltype(op);
                        ForEachPixel(d, x, y, w, h,
                                     [&](RAS_Pixel& p) {
                                       Op::Combine(reinterpret_cast<uint8_t*>(&p), r, g, b, a, w8);
                                     });
                      });
}
} // namespace

void RAS_FillRect(RAS_IBitmap* dest, int x, int y, int w, int h, RAS_Pixel color, float alpha,
                  int mode)
{
  if (mode & RAS_BLEND_USE_SOURCE_ALPHA) alpha *= float(RAS_GetA(color)) / 255.0f;
  if (alpha == 0.0f) return;
  RAS_RowAccess d;
  if (!d.Attach(dest) || !ClipRect(d, x, y, w, h)) return;
  FillClipped(d, x, y, w, h, color, alpha, mode);
}

void RAS_ClearRect(RAS_IBitmap* dest, int x, int y, int w, int h, RAS_Pixel mask, RAS_Pixel orbits)
{
  RAS_RowAccess d;
  if (!d.Attach(dest) || !ClipRect(d, x, y, w, h)) return;
  ForEachPixel(d, x, y, w, h, [mask, orbits](RAS_Pixel& p) { p = (p & mask) | orbits; });
}

RAS_Pixel RAS_GetPixel(RAS_IBitmap* bmp, int x, int y)
{
  RAS_RowAccess d;
  if (!d.Attach(bmp) || x < 0 || y < 0 || x >= d.width || y >= d.height) return 0;
  return d.Row(y)[x];
}

void RAS_PutPixel(RAS_IBitmap* bmp, int x, int y, RAS_Pixel color, float alpha, int mode)
{
  RAS_FillRect(bmp, x, y, 1, 1, color, alpha, mode);
}
