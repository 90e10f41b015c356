#pragma once
// 32-bit raster bitmaps. A pixel is the little-endian value A | R << 8 | G << 16 | B << 24,
// so its bytes lie in memory as A, R, G, B; colours are not premultiplied by alpha.
#include <cstddef>
#include <cstdint>

typedef uint32_t RAS_Pixel;

// Packs separate 0..255 components into a pixel (each masked to 8 bits).
inline RAS_Pixel RAS_RGBA(int r, int g, int b, int a)
{
  return RAS_Pixel(a & 0xFF) | RAS_Pixel(r & 0xFF) << 8 | RAS_Pixel(g & 0xFF) << 16 |
         RAS_Pixel(b & 0xFF) << 24;
}
inline int RAS_GetA(RAS_Pixel p)
{
  return int(p & 0xFF);
}
inline int RAS_GetR(RAS_Pixel p)
{
  return int((p >> 8) & 0xFF);
}
inline int RAS_GetG(RAS_Pixel p)
{
  return int((p >> 16) & 0xFF);
}
inline int RAS_GetB(RAS_Pixel p)
{
  return int(p >> 24);
}

// Byte offsets of the channels inside a pixel in memory.
enum
{
  RAS_BYTE_A = 0,
  RAS_BYTE_R = 1,
  RAS_BYTE_G = 2,
  RAS_BYTE_B = 3
};

// A rectangle with exclusive right and bottom edges.
struct RAS_Rect
{
  int left, top, right, bottom;
};

class RAS_IBitmap
{
public:
  virtual ~RAS_IBitmap() {}
  // Pixel memory: the first row in memory (the top row unless flipped), null when empty.
  virtual RAS_Pixel* getBits() = 0;
  virtual int getWidth() const = 0;
  virtual int getHeight() const = 0;
  // Distance between rows in pixels, not bytes.
  virtual int getRowSpan() const = 0;
  // A flipped bitmap stores its bottom row first in memory.
  virtual bool isFlipped() const { return false; }
  // True when the size changed (or an allocation was attempted).
  virtual bool resize(int w, int h) = 0;
  // The platform drawing context behind the pixels, if any.
  virtual void* getDC() { return nullptr; }
  virtual intptr_t Extended(int id, void* data)
  {
    (void)id;
    (void)data;
    return 0;
  }
};

// Row addressing that honours flipped bitmaps: row y lives at row0 + y * stride, where the
// stride is negative for a flipped bitmap. Valid only while the bitmap is not resized.
struct RAS_RowAccess
{
  RAS_Pixel* row0 = nullptr;
  ptrdiff_t stride = 0;
  int width = 0;
  int height = 0;

  // False for a null or empty bitmap or one without pixels.
  bool Attach(RAS_IBitmap* bmp)
  {
    row0 = nullptr;
    stride = 0;
    width = height = 0;
    if (!bmp) return false;
    RAS_Pixel* bits = bmp->getBits();
    const int w = bmp->getWidth(), h = bmp->getHeight(), span = bmp->getRowSpan();
    if (!bits || w <= 0 || h <= 0 || span < w) return false;
    width = w;
    height = h;
    if (bmp->isFlipped())
    {
      stride = -ptrdiff_t(span);
      row0 = bits + ptrdiff_t(h - 1) * span;
    }
    else
    {
      stride = span;
      row0 = bits;
    }
    return true;
  }
  RAS_Pixel* Row(int y) const { return row0 + ptrdiff_t(y) * stride; }
};

// A bitmap in plain heap memory; rows start on 64-byte boundaries when the span allows.
class RAS_MemBitmap : public RAS_IBitmap
{
public:
  // linealign: row span granularity in pixels (its lowest set bit, at most 16); below 2 none.
  explicit RAS_MemBitmap(int w = 0, int h = 0, int linealign = 4);
  ~RAS_MemBitmap() override;
  RAS_MemBitmap(const RAS_MemBitmap&) = delete;
  RAS_MemBitmap& operator=(const RAS_MemBitmap&) = delete;

  RAS_Pixel* getBits() override;
  int getWidth() const override { return mWidth; }
  int getHeight() const override { return mHeight; }
  int getRowSpan() const override { return (mWidth + mAlignMask) & ~mAlignMask; }
  bool resize(int w, int h) override;

  // Bytes currently allocated for pixels (without the alignment slack).
  size_t GetAllocatedSize() const { return mAllocSize; }

private:
  void* mBlock = nullptr; // unaligned; getBits rounds it up to 64 bytes
  int mWidth = 0;
  int mHeight = 0;
  size_t mAllocSize = 0;
  int mAlignMask = 0;
};

struct SHIM_GfxContext;

// A bitmap whose pixels belong to a drawing-shim memory context, so that the platform can
// draw text into it and turn it into a screen image.
class RAS_SysBitmap : public RAS_IBitmap
{
public:
  explicit RAS_SysBitmap(int w = 0, int h = 0);
  ~RAS_SysBitmap() override;
  RAS_SysBitmap(const RAS_SysBitmap&) = delete;
  RAS_SysBitmap& operator=(const RAS_SysBitmap&) = delete;

  RAS_Pixel* getBits() override { return mBits; }
  int getWidth() const override { return mWidth; }
  int getHeight() const override { return mHeight; }
  int getRowSpan() const override { return mSpan; }
  bool resize(int w, int h) override;
  // The SHIM_GfxContext* behind the pixels.
  void* getDC() override { return mContext; }

private:
  int mWidth = 0;
  int mHeight = 0;
  int mSpan = 0;
  int mAllocHeight = 0;
  RAS_Pixel* mBits = nullptr;
  SHIM_GfxContext* mContext = nullptr;
};
