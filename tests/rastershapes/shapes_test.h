#pragma once
// Helpers shared by the shape and text tests.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "raster/RAS_Bitmap.h"
#include "raster/RAS_Raster.h"

namespace shapes_test
{

const RAS_Pixel kWhite = 0xFFFFFFFFu;

inline void Clear(RAS_IBitmap* b, RAS_Pixel v = 0)
{
  for (int y = 0; y < b->getHeight(); ++y)
    for (int x = 0; x < b->getWidth(); ++x)
      b->getBits()[y * b->getRowSpan() + x] = v;
}

inline RAS_Pixel Px(RAS_IBitmap* b, int x, int y)
{
  return b->getBits()[y * b->getRowSpan() + x];
}
inline int Red(RAS_IBitmap* b, int x, int y)
{
  return RAS_GetR(Px(b, x, y));
}

// Pixels whose red byte is non-zero, as "x,y" strings in row order.
inline std::vector<std::string> Lit(RAS_IBitmap* b)
{
  std::vector<std::string> out;
  for (int y = 0; y < b->getHeight(); ++y)
    for (int x = 0; x < b->getWidth(); ++x)
      if (Red(b, x, y)) out.push_back(std::to_string(x) + "," + std::to_string(y));
  return out;
}

inline long Sum(RAS_IBitmap* b)
{
  long s = 0;
  for (int y = 0; y < b->getHeight(); ++y)
    for (int x = 0; x < b->getWidth(); ++x)
      s += Red(b, x, y);
  return s;
}

// A bitmap that is a window into a larger block filled with a sentinel, so that any write
// outside the window shows (and ASan sees reads and writes beyond the block).
class WindowBitmap : public RAS_IBitmap
{
public:
  static constexpr RAS_Pixel kSentinel = 0x5A5A5A5Au;
  WindowBitmap(int w, int h, int margin)
      : mW(w), mH(h), mM(margin), mSpan(w + 2 * margin),
        mBlock(size_t(mSpan) * size_t(h + 2 * margin), kSentinel)
  {
    Clear(this);
  }
  RAS_Pixel* getBits() override { return mBlock.data() + mM * mSpan + mM; }
  int getWidth() const override { return mW; }
  int getHeight() const override { return mH; }
  int getRowSpan() const override { return mSpan; }
  bool resize(int, int) override { return false; }
  // Number of sentinel pixels that changed.
  int Damage() const
  {
    int n = 0;
    for (int y = 0; y < mH + 2 * mM; ++y)
      for (int x = 0; x < mSpan; ++x)
      {
        const bool inside = x >= mM && x < mM + mW && y >= mM && y < mM + mH;
        if (!inside && mBlock[size_t(y) * mSpan + x] != kSentinel) ++n;
      }
    return n;
  }

private:
  int mW, mH, mM, mSpan;
  std::vector<RAS_Pixel> mBlock;
};

} // namespace shapes_test
