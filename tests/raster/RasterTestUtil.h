#pragma once
// Helpers for the raster tests: patterned bitmaps, a flipped bitmap and a per-byte view.
#include <cstdint>
#include <vector>

#include "raster/RAS_Bitmap.h"

// A deterministic, well-mixed pixel for (x, y, seed): every byte varies.
inline RAS_Pixel PatternPixel(int x, int y, uint32_t seed = 1)
{
  uint32_t v = uint32_t(x) * 0x9E3779B1u ^ uint32_t(y) * 0x85EBCA77u ^ seed * 0xC2B2AE3Du;
  v ^= v >> 15;
  v *= 0x2C1B3C6Du;
  v ^= v >> 12;
  return v;
}

inline void FillPattern(RAS_IBitmap& bmp, uint32_t seed = 1)
{
  RAS_RowAccess a;
  if (!a.Attach(&bmp)) return;
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x)
      a.Row(y)[x] = PatternPixel(x, y, seed);
}

inline void FillSolid(RAS_IBitmap& bmp, RAS_Pixel p)
{
  RAS_RowAccess a;
  if (!a.Attach(&bmp)) return;
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x)
      a.Row(y)[x] = p;
}

inline int ByteOf(RAS_Pixel p, int i)
{
  return int((p >> (8 * i)) & 0xFF);
}

// A bitmap that stores its bottom row first, as some platforms do.
class FlippedBitmap : public RAS_IBitmap
{
public:
  FlippedBitmap(int w, int h) : mW(w), mH(h), mPixels(size_t(w) * h, 0) {}
  RAS_Pixel* getBits() override { return mPixels.data(); }
  int getWidth() const override { return mW; }
  int getHeight() const override { return mH; }
  int getRowSpan() const override { return mW; }
  bool isFlipped() const override { return true; }
  bool resize(int w, int h) override { return w != mW || h != mH; } // cannot change size
  // Memory row m holds picture row h - 1 - m.
  RAS_Pixel Memory(int x, int memRow) const { return mPixels[size_t(memRow) * mW + x]; }

private:
  int mW, mH;
  std::vector<RAS_Pixel> mPixels;
};
