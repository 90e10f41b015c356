#pragma once
// Coverage masks for the artwork: a float per pixel (0 outside, 1 inside), made from signed
// distance functions so that every edge is anti-aliased by its exact distance to the pixel
// centre, then painted onto raster bitmaps by the raster library's own combiners.
#include <functional>
#include <vector>

#include "raster/RAS_Bitmap.h"

// Signed distance in pixels from (x, y) to a shape's edge: negative inside.
using ArtDistance = std::function<double(double x, double y)>;

struct ArtColor
{
  double r, g, b; // 0..1
};
// The colour of a shape at (x, y) (pixel centres, bitmap coordinates).
using ArtShader = std::function<ArtColor(double x, double y)>;

class ArtMask
{
public:
  ArtMask() = default;
  ArtMask(int w, int h) : mWidth(w), mHeight(h), mCov(size_t(w > 0 && h > 0 ? w * h : 0), 0.0f) {}
  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  // 0 outside the mask.
  float At(int x, int y) const
  {
    return x < 0 || y < 0 || x >= mWidth || y >= mHeight ? 0.0f : mCov[size_t(y * mWidth + x)];
  }
  void Set(int x, int y, float c)
  {
    if (x >= 0 && y >= 0 && x < mWidth && y < mHeight) mCov[size_t(y * mWidth + x)] = c;
  }

private:
  int mWidth = 0;
  int mHeight = 0;
  std::vector<float> mCov;
};

// Coverage of the shape at each pixel centre: 0.5 - distance, held to 0..1 (a one-pixel ramp
// straddling the edge).
ArtMask MaskFromDistance(int w, int h, const ArtDistance& d);
// Box blur, three passes (close to a Gaussian of the given radius).
ArtMask Blurred(const ArtMask& m, int radius);
// Per pixel: a * b, max(a, b), a * (1 - b).
ArtMask Intersected(const ArtMask& a, const ArtMask& b);
ArtMask United(const ArtMask& a, const ArtMask& b);
ArtMask Subtracted(const ArtMask& a, const ArtMask& b);
// Every coverage scaled by k (held to 0..1).
ArtMask Scaled(const ArtMask& m, double k);

// Distance functions.
ArtDistance Circle(double cx, double cy, double r);
ArtDistance Ring(double cx, double cy, double r, double thickness);
ArtDistance RoundRect(double left, double top, double right, double bottom, double radius);
// A segment with round ends, radius halfWidth.
ArtDistance Capsule(double x1, double y1, double x2, double y2, double halfWidth);

// Paints the mask at (ox, oy) in one colour at opacity 0..1 (RAS_DrawGlyph, copy mode).
void PaintSolid(RAS_IBitmap* dest, const ArtMask& m, int ox, int oy, RAS_Pixel color,
                double opacity = 1.0);
// Paints the mask at (ox, oy), each pixel in the shader's colour (the shader sees bitmap
// coordinates).
void PaintShaded(RAS_IBitmap* dest, const ArtMask& m, int ox, int oy, const ArtShader& shader,
                 double opacity = 1.0);
// Replaces the bitmap's alpha byte by the mask's coverage (a channel-copy blit).
void SetAlphaFromMask(RAS_IBitmap* dest, const ArtMask& m, int ox, int oy);

RAS_Pixel ToPixel(const ArtColor& c, int alpha = 255);
ArtColor Mix(const ArtColor& a, const ArtColor& b, double t);
ArtColor Hex(unsigned rgb);
// Held to 0..1.
double Clamp01(double v);
// 0 below e0, 1 above e1, a smooth cubic between.
double SmoothStep(double e0, double e1, double v);
