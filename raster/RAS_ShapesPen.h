#pragma once
// Private to the shape and text writers: a colour, weight and mode bound to one bitmap.
#include <algorithm>
#include <cstdint>

#include "raster/RAS_Bitmap.h"
#include "raster/RAS_Combine.h"

namespace RAS_ShapesDetail
{

struct Pen
{
  RAS_RowAccess rows;
  RAS_Pixel color = 0;
  int r = 0, g = 0, b = 0, a = 0;
  int mode = 0;
  int w = 0;
  bool plainCopy = false; // copy without source alpha: whole-pixel writers apply

  // Which whole-pixel writers a span may use in plain copy.
  enum Fast
  {
    kFastNone,    // the operator for every weight
    kFastHalf,    // 128 half-mix, 256 solid
    kFastQuarters // 64, 128, 192 and 256
  };

  // False when nothing can be drawn: no pixels, a weight that truncates to 0, or an unknown
  // operation.
  bool Setup(RAS_IBitmap* dest, RAS_Pixel c, float alpha, int m)
  {
    if (!rows.Attach(dest)) return false;
    w = std::min(RAS_Weight(alpha), 256);
    if (w <= 0 || (m & RAS_BLEND_MASK) > RAS_BLEND_HSVADJ) return false;
    color = c;
    r = RAS_GetR(c);
    g = RAS_GetG(c);
    b = RAS_GetB(c);
    a = RAS_GetA(c);
    mode = m;
    plainCopy = (m & (RAS_BLEND_MASK | RAS_BLEND_USE_SOURCE_ALPHA)) == RAS_BLEND_COPY;
    return true;
  }

  bool Inside(int x, int y) const
  {
    return unsigned(x) < unsigned(rows.width) && unsigned(y) < unsigned(rows.height);
  }

  void Blend(RAS_Pixel* p, int wt) const
  {
    RAS_DispatchCombine(mode, wt,
                        [&](auto op)
                        { decltype(op)::Combine(reinterpret_cast<uint8_t*>(p), r, g, b, a, wt); });
  }

  // One pixel at weight wt (1..256); outside the bitmap or at weight 0 nothing.
  void Put(int x, int y, int wt) const
  {
    if (wt <= 0 || !Inside(x, y)) return;
    Blend(rows.Row(y) + x, std::min(wt, 256));
  }

  // Rows ya..yb (inclusive) of column x, clipped.
  void VSpan(int x, int ya, int yb, int wt, Fast fast) const
  {
    if (wt <= 0 || unsigned(x) >= unsigned(rows.width)) return;
    ya = std::max(ya, 0);
    yb = std::min(yb, rows.height - 1);
    if (ya > yb) return;
    wt = std::min(wt, 256);
    if (plainCopy && fast != kFastNone && (wt == 256 || wt == 128))
    {
      const RAS_Pixel F = color, half = (F >> 1) & 0x7F7F7F7Fu;
      for (int y = ya; y <= yb; ++y)
      {
        RAS_Pixel* p = rows.Row(y) + x;
        *p = wt == 256 ? F : ((*p >> 1) & 0x7F7F7F7Fu) + half;
      }
      return;
    }
    RAS_DispatchCombine(mode, wt,
                        [&](auto op)
                        {
                          for (int y = ya; y <= yb; ++y)
                            decltype(op)::Combine(reinterpret_cast<uint8_t*>(rows.Row(y) + x), r, g,
                                                  b, a, wt);
                        });
  }

  // Columns xa..xb (inclusive) of row y, clipped.
  void HSpan(int y, int xa, int xb, int wt, Fast fast) const
  {
    if (wt <= 0 || unsigned(y) >= unsigned(rows.height)) return;
    xa = std::max(xa, 0);
    xb = std::min(xb, rows.width - 1);
    if (xa > xb) return;
    wt = std::min(wt, 256);
    RAS_Pixel* p = rows.Row(y) + xa;
    RAS_Pixel* const e = p + (xb - xa + 1);
    if (plainCopy && fast != kFastNone)
    {
      const RAS_Pixel F = color;
      switch (wt)
      {
      case 256:
        std::fill(p, e, F);
        return;
      case 128:
        for (; p < e; ++p)
          *p = ((*p >> 1) & 0x7F7F7F7Fu) + ((F >> 1) & 0x7F7F7F7Fu);
        return;
      case 64:
        if (fast != kFastQuarters) break;
        for (; p < e; ++p)
          *p = ((F >> 2) & 0x3F3F3F3Fu) + ((*p >> 1) & 0x7F7F7F7Fu) + ((*p >> 2) & 0x3F3F3F3Fu);
        return;
      case 192:
        if (fast != kFastQuarters) break;
        for (; p < e; ++p)
          *p = ((F >> 2) & 0x3F3F3F3Fu) + ((F >> 1) & 0x7F7F7F7Fu) + ((*p >> 2) & 0x3F3F3F3Fu);
        return;
      default:
        break;
      }
    }
    RAS_DispatchCombine(mode, wt,
                        [&](auto op)
                        {
                          for (; p < e; ++p)
                            decltype(op)::Combine(reinterpret_cast<uint8_t*>(p), r, g, b, a, wt);
                        });
  }
};

} // namespace RAS_ShapesDetail
