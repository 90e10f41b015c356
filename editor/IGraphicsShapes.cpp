// Lines, arcs, circles, rectangles and polygons of IGraphics. Unlike bitmaps these are
// not clipped to the draw rect: they draw wherever they are told.
#include "editor/IGraphics.h"

#include "editor/IGraphicsBlend.h"
#include "raster/RAS_Raster.h"
#include "raster/RAS_Shapes.h"

#include <algorithm>
#include <cmath>

bool IGraphics::DrawLine(const IColor* color, float x1, float y1, float x2, float y2,
                         const IChannelBlend* blend, bool antiAlias)
{
  if (!color) return false;
  RAS_Line(mDrawBitmap, CoordToInt(x1), CoordToInt(y1), CoordToInt(x2), CoordToInt(y2),
           IColorToPixel(*color), BlendWeight(blend), LineBlendMode(blend), antiAlias);
  return true;
}

bool IGraphics::DrawArc(const IColor* color, float cx, float cy, float r, float minAngle,
                        float maxAngle, const IChannelBlend* blend, bool antiAlias)
{
  if (!color) return false;
  RAS_Arc(mDrawBitmap, cx, cy, r, minAngle, maxAngle, IColorToPixel(*color), BlendWeight(blend),
          BitmapBlendMode(blend), antiAlias);
  return true;
}

bool IGraphics::DrawCircle(const IColor* color, float cx, float cy, float r,
                           const IChannelBlend* blend, bool antiAlias)
{
  if (!color) return false;
  RAS_Circle(mDrawBitmap, cx, cy, r, IColorToPixel(*color), BlendWeight(blend),
             BitmapBlendMode(blend), antiAlias);
  return true;
}

bool IGraphics::RoundRect(const IColor* color, IRECT* rect, const IChannelBlend* blend,
                          int cornerRadius, bool antiAlias)
{
  if (!color || !rect) return false;
  RAS_RoundRect(mDrawBitmap, rect->L, rect->T, rect->W(), rect->H(), cornerRadius,
                IColorToPixel(*color), BlendWeight(blend), BitmapBlendMode(blend), antiAlias);
  return true;
}

bool IGraphics::FillRoundRect(const IColor* color, IRECT* rect, const IChannelBlend* blend,
                              int cornerRadius, bool antiAlias)
{
  if (!color || !rect) return false;
  const RAS_Pixel c = IColorToPixel(*color);
  const float weight = BlendWeight(blend);
  const int mode = BitmapBlendMode(blend);
  const int r = cornerRadius, w = rect->W(), h = rect->H();
  const int L = rect->L, T = rect->T, R = rect->R, B = rect->B;
  // A cross of three rectangles and a disc in each corner; the discs' far centres sit one
  // pixel in because the right and bottom edges are exclusive.
  RAS_FillRect(mDrawBitmap, L + r, T, w - 2 * r, h, c, weight, mode);
  RAS_FillRect(mDrawBitmap, L, T + r, r, h - 2 * r, c, weight, mode);
  RAS_FillRect(mDrawBitmap, R - r, T + r, r, h - 2 * r, c, weight, mode);
  const float fr = float(r);
  RAS_FillCircle(mDrawBitmap, float(L + r), float(T + r), fr, c, weight, mode, antiAlias);
  RAS_FillCircle(mDrawBitmap, float(R - r - 1), float(B - r - 1), fr, c, weight, mode, antiAlias);
  RAS_FillCircle(mDrawBitmap, float(R - r - 1), float(T + r), fr, c, weight, mode, antiAlias);
  RAS_FillCircle(mDrawBitmap, float(L + r), float(B - r - 1), fr, c, weight, mode, antiAlias);
  return true;
}

bool IGraphics::FillCircle(const IColor* color, int cx, int cy, float r, const IChannelBlend* blend,
                           bool antiAlias)
{
  if (!color) return false;
  RAS_FillCircle(mDrawBitmap, float(cx), float(cy), r, IColorToPixel(*color), BlendWeight(blend),
                 BitmapBlendMode(blend), antiAlias);
  return true;
}

bool IGraphics::FillTriangle(const IColor* color, int x1, int y1, int x2, int y2, int x3, int y3,
                             const IChannelBlend* blend)
{
  if (!color) return false;
  RAS_FillTriangle(mDrawBitmap, x1, y1, x2, y2, x3, y3, IColorToPixel(*color), BlendWeight(blend),
                   BitmapBlendMode(blend));
  return true;
}

bool IGraphics::FillIConvexPolygon(const IColor* color, int* x, int* y, int n,
                                   const IChannelBlend* blend)
{
  if (!color || !x || !y || n < 3) return false;
  RAS_FillConvexPolygon(mDrawBitmap, x, y, n, IColorToPixel(*color), BlendWeight(blend),
                        BitmapBlendMode(blend));
  return true;
}

bool IGraphics::DrawVerticalLine(const IColor* color, int x, int y1, int y2)
{
  if (!color) return false;
  RAS_Line(mDrawBitmap, x, y1, x, y2, IColorToPixel(*color), 1.0f, kModeCopy, false);
  return true;
}

bool IGraphics::DrawHorizontalLine(const IColor* color, int y, int x1, int x2)
{
  if (!color) return false;
  RAS_Line(mDrawBitmap, x1, y, x2, y, IColorToPixel(*color), 1.0f, kModeCopy, false);
  return true;
}

bool IGraphics::DrawRect(const IColor* color, IRECT* rect)
{
  if (!color || !rect) return false;
  const RAS_Pixel c = IColorToPixel(*color);
  RAS_Line(mDrawBitmap, rect->L, rect->T, rect->R, rect->T, c, 1.0f, kModeCopy, false);
  RAS_Line(mDrawBitmap, rect->L, rect->B, rect->R, rect->B, c, 1.0f, kModeCopy, false);
  RAS_Line(mDrawBitmap, rect->L, rect->T, rect->L, rect->B, c, 1.0f, kModeCopy, false);
  RAS_Line(mDrawBitmap, rect->R, rect->T, rect->R, rect->B, c, 1.0f, kModeCopy, false);
  return true;
}

bool IGraphics::DrawVerticalLine(const IColor* color, IRECT* rect, float x)
{
  if (!color || !rect) return false;
  x = x > 0.0f ? std::min(x, 1.0f) : 0.0f; // NaN becomes 0
  const int xi = rect->L + int(float(rect->W()) * x);
  return DrawVerticalLine(color, xi, rect->T, rect->B);
}

bool IGraphics::DrawHorizontalLine(const IColor* color, IRECT* rect, float y)
{
  if (!color || !rect) return false;
  y = y > 0.0f ? std::min(y, 1.0f) : 0.0f;
  const int yi = rect->B - int(float(rect->H()) * y);
  return DrawHorizontalLine(color, yi, rect->L, rect->R);
}

bool IGraphics::DrawRadialLine(const IColor* color, float cx, float cy, float angle, float rMin,
                               float rMax, const IChannelBlend* blend, bool antiAlias)
{
  // Angle 0 points up and grows clockwise (y runs downwards).
  const float s = std::sin(angle), c = std::cos(angle);
  return DrawLine(color, cx + rMin * s, cy - rMin * c, cx + rMax * s, cy - rMax * c, blend,
                  antiAlias);
}
