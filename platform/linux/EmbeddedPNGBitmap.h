#pragma once
// An image compiled into the plug-in, decoded when its pixels are first needed. Its size
// comes from the PNG header alone, which is all the editor's layout asks for: a host that
// constructs the plug-in and never opens the editor never pays for decoding.
#include "raster/RAS_Bitmap.h"

#include <atomic>
#include <cstddef>
#include <mutex>

class EmbeddedPNGBitmap : public RAS_IBitmap
{
public:
  // Null when the bytes do not start with a PNG header of a sensible size. The bytes are
  // not copied: they must outlive the bitmap (embedded data lives as long as the program).
  static EmbeddedPNGBitmap* Create(const unsigned char* data, size_t size);

  // Any thread; the first caller decodes. An image that fails to decode has no pixels.
  RAS_Pixel* getBits() override;
  int getWidth() const override;
  int getHeight() const override;
  int getRowSpan() const override;
  bool resize(int w, int h) override;

private:
  EmbeddedPNGBitmap(const unsigned char* data, size_t size, int w, int h);
  void Decode() const;

  const unsigned char* mData;
  size_t mSize;
  int mHeaderWidth, mHeaderHeight;
  mutable std::once_flag mOnce;
  mutable std::atomic<bool> mDecoded{false};
  mutable RAS_MemBitmap mPixels; // written once, inside mOnce
};
