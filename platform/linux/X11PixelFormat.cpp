#include "platform/linux/X11PixelFormat.h"

namespace
{
// Channel value c (0..255) scaled to the mask's width and placed at its position:
// v = round(c * (2^n - 1) / 255) << shift. An empty mask gives 0.
void FillChannel(uint32_t* table, uint32_t mask)
{
  int shift = 0, bits = 0;
  if (mask)
  {
    while (!((mask >> shift) & 1u))
      ++shift;
    while (shift + bits < 32 && ((mask >> (shift + bits)) & 1u))
      ++bits;
  }
  const uint64_t top = bits >= 32 ? 0xFFFFFFFFull : (1ull << bits) - 1;
  for (uint32_t c = 0; c < 256; ++c)
    table[c] = bits ? uint32_t(((c * top + 127) / 255) << shift) & mask : 0;
}
} // namespace

X11PixelFormat::X11PixelFormat(uint32_t redMask, uint32_t greenMask, uint32_t blueMask, int depth,
                               bool swapBytes)
    : mSwap(swapBytes)
{
  FillChannel(mRed, redMask);
  FillChannel(mGreen, greenMask);
  FillChannel(mBlue, blueMask);
  const uint32_t depthBits = depth >= 32 ? 0xFFFFFFFFu : depth <= 0 ? 0u : (1u << depth) - 1;
  mFill = depthBits & ~(redMask | greenMask | blueMask);
}

void X11PixelFormat::ConvertRow(const uint8_t* src, uint32_t* dst, int n) const
{
  for (int i = 0; i < n; ++i, src += 4)
    dst[i] = Pack(src[1], src[2], src[3]);
}
