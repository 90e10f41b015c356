#include "platform/linux/EmbeddedPNGBitmap.h"

#include "raster/RAS_Raster.h"

#include <cstring>

namespace
{
// Signature, then the IHDR chunk: length, type, width and height (big-endian).
constexpr unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr size_t kHeaderBytes = 24;
// Larger images are refused before any memory is spent on them.
constexpr long kMaxSide = 16384;

long BigEndian32(const unsigned char* p)
{
  return long(p[0]) << 24 | long(p[1]) << 16 | long(p[2]) << 8 | long(p[3]);
}
} // namespace

EmbeddedPNGBitmap* EmbeddedPNGBitmap::Create(const unsigned char* data, size_t size)
{
  if (!data || size < kHeaderBytes || std::memcmp(data, kSignature, sizeof(kSignature)) != 0 ||
      std::memcmp(data + 12, "IHDR", 4) != 0)
    return nullptr;
  const long w = BigEndian32(data + 16), h = BigEndian32(data + 20);
  if (w < 1 || h < 1 || w > kMaxSide || h > kMaxSide) return nullptr;
  return new EmbeddedPNGBitmap(data, size, int(w), int(h));
}

EmbeddedPNGBitmap::EmbeddedPNGBitmap(const unsigned char* data, size_t size, int w, int h)
    : mData(data), mSize(size), mHeaderWidth(w), mHeaderHeight(h), mPixels(0, 0, 4)
{
}

void EmbeddedPNGBitmap::Decode() const
{
  std::call_once(mOnce,
                 [this]
                 {
                   if (!RAS_LoadPNGFromMemory(mData, mSize, &mPixels)) mPixels.resize(0, 0);
                   mDecoded.store(true, std::memory_order_release);
                 });
}

RAS_Pixel* EmbeddedPNGBitmap::getBits()
{
  Decode();
  return mPixels.getBits();
}

int EmbeddedPNGBitmap::getWidth() const
{
  return mDecoded.load(std::memory_order_acquire) ? mPixels.getWidth() : mHeaderWidth;
}

int EmbeddedPNGBitmap::getHeight() const
{
  return mDecoded.load(std::memory_order_acquire) ? mPixels.getHeight() : mHeaderHeight;
}

int EmbeddedPNGBitmap::getRowSpan() const
{
  Decode();
  return mPixels.getRowSpan();
}

bool EmbeddedPNGBitmap::resize(int w, int h)
{
  Decode();
  return mPixels.resize(w, h);
}
