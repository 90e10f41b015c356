#pragma once
// Conversion from the editor's pixels (bytes A, R, G, B in memory) to the words of a
// TrueColor visual. Plain arithmetic on the visual's masks, so it is tested without a
// display server.
#include <cstdint>

class X11PixelFormat
{
public:
  // redMask, greenMask, blueMask: the visual's channel masks, each one contiguous run of
  // bits; a channel is scaled to its run's width. depth: the visual's
  // depth; bits inside the depth that no channel uses (the alpha of a 32-bit visual) are
  // set, so the window shows opaque. swapBytes: the image's byte order differs from
  // this machine's.
  X11PixelFormat(uint32_t redMask, uint32_t greenMask, uint32_t blueMask, int depth,
                 bool swapBytes);

  // The visual's word for one colour.
  uint32_t Pack(uint8_t r, uint8_t g, uint8_t b) const
  {
    const uint32_t v = mRed[r] | mGreen[g] | mBlue[b] | mFill;
    return mSwap ? Swap(v) : v;
  }

  // n pixels from src (4 bytes each, A R G B) to dst (one 32-bit word each). The
  // editor's alpha byte plays no part: the window is opaque.
  void ConvertRow(const uint8_t* src, uint32_t* dst, int n) const;

private:
  uint32_t mRed[256], mGreen[256], mBlue[256];
  uint32_t mFill;
  bool mSwap;

  static uint32_t Swap(uint32_t v)
  {
    return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
  }
};
