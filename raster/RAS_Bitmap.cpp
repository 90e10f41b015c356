// Memory and system bitmaps.
#include "raster/RAS_Bitmap.h"

#include <cstdint>
#include <cstdlib>

#include "platform/common/SHIM.h"

namespace
{
// 16384 x 16384 pixels; keeps every byte count and row offset inside int range.
const int64_t kMaxBitmapBytes = int64_t(1) << 30;
} // namespace

RAS_MemBitmap::RAS_MemBitmap(int w, int h, int linealign)
{
  if (linealign >= 2)
  {
    int lowest = linealign & -linealign;
    // Past 16 pixels (64 bytes) a wider row alignment buys nothing and the mask would no
    // longer be of the 2^k - 1 form the span rounding needs.
    if (lowest > 16) lowest = 16;
    mAlignMask = lowest - 1;
  }
  if (w || h) resize(w, h);
}

RAS_MemBitmap::~RAS_MemBitmap()
{
  std::free(mBlock);
}

RAS_Pixel* RAS_MemBitmap::getBits()
{
  if (!mBlock || mWidth <= 0 || mHeight <= 0) return nullptr;
  return reinterpret_cast<RAS_Pixel*>((reinterpret_cast<uintptr_t>(mBlock) + 63) & ~uintptr_t(63));
}

bool RAS_MemBitmap::resize(int w, int h)
{
  if (w == mWidth && h == mHeight) return false;

  // Either side zero or negative is an empty bitmap (a negative times a negative must not
  // pass for a size).
  const int64_t span = w > 0 ? (int64_t(w) + mAlignMask) & ~int64_t(mAlignMask) : 0;
  int64_t n = 0;
  if (h > 0 && span > 0)
    n = h <= kMaxBitmapBytes / (span * 4) ? int64_t(h) * span * 4 : kMaxBitmapBytes + 1;
  if (n <= 0 || n > kMaxBitmapBytes)
  {
    std::free(mBlock);
    mBlock = nullptr;
    mAllocSize = 0;
    mWidth = mHeight = 0;
    return true;
  }
  mWidth = w;
  mHeight = h;
  if (mBlock && mAllocSize >= size_t(n)) return true;

  if (mBlock)
  {
    // Grow with a quarter to spare so that a working bitmap resized up and down settles.
    const size_t grown = size_t(n) / 4 * 5;
    void* p = std::realloc(mBlock, grown + 63);
    if (p)
    {
      mBlock = p;
      mAllocSize = grown;
      return true;
    }
    std::free(mBlock);
    mBlock = nullptr;
    mAllocSize = 0;
  }
  mBlock = std::malloc(size_t(n) + 63);
  if (!mBlock)
  {
    mAllocSize = 0;
    mWidth = mHeight = 0;
    return true;
  }
  mAllocSize = size_t(n);
  return true;
}

RAS_SysBitmap::RAS_SysBitmap(int w, int h)
{
  resize(w, h);
}

RAS_SysBitmap::~RAS_SysBitmap()
{
  SHIM_DeleteGfxContext(mContext);
}

bool RAS_SysBitmap::resize(int w, int h)
{
  if (w == mWidth && h == mHeight) return false;
  if (w > 0 && h > 0 && mBits && mSpan >= w && mAllocHeight >= h)
  {
    mWidth = w;
    mHeight = h;
    return true;
  }

  SHIM_DeleteGfxContext(mContext);
  mContext = nullptr;
  mBits = nullptr;
  mWidth = mHeight = mSpan = mAllocHeight = 0;
  if (w <= 0 || h <= 0 || w > (1 << 28)) return true;

  const int span = (w + 3) & ~3;
  mContext = SHIM_CreateMemContext(nullptr, span, h);
  if (!mContext) return true;
  mBits = static_cast<RAS_Pixel*>(SHIM_GetCtxFrameBuffer(mContext));
  mWidth = w;
  mHeight = h;
  mSpan = span;
  mAllocHeight = h;
  return true;
}
