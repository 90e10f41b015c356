#pragma once
// Row loops of the blits: one source pixel combined into each destination pixel.
// The source-alpha copies, which the editor draws every bitmap with, have vector loops
// (RAS_BlitRows.cpp) that give exactly the operators' results several pixels at a time.
#include "raster/RAS_Combine.h"

template <class Op> inline void RAS_CombineRow(RAS_Pixel* d, const RAS_Pixel* s, int n, int w)
{
  for (int i = 0; i < n; ++i)
    RAS_CombinePixel<Op>(d + i, s[i], w);
}

// RAS_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp over a row.
void RAS_CopySourceAlphaFullRow(RAS_Pixel* d, const RAS_Pixel* s, int n);
// RAS_CombinePixelsCopySourceAlphaNoClamp at weight w over a row.
void RAS_CopySourceAlphaRow(RAS_Pixel* d, const RAS_Pixel* s, int n, int w);
// The same at a chosen vector level, so that tests can check every one on one machine:
// 0 scalar, 1 SSE2, 2 AVX2, 3 AVX-512; capped at what the processor runs.
void RAS_CopySourceAlphaFullRowAt(int level, RAS_Pixel* d, const RAS_Pixel* s, int n);
void RAS_CopySourceAlphaRowAt(int level, RAS_Pixel* d, const RAS_Pixel* s, int n, int w);

// RAS_CombinePixelsCopyNoClamp of one colour (r, g, b, a) at weight w over a row: fills.
void RAS_CopyColorRow(RAS_Pixel* d, int n, int r, int g, int b, int a, int w);

template <>
inline void RAS_CombineRow<RAS_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>(
    RAS_Pixel* d, const RAS_Pixel* s, int n, int)
{
  RAS_CopySourceAlphaFullRow(d, s, n);
}

template <>
inline void RAS_CombineRow<RAS_CombinePixelsCopySourceAlphaNoClamp>(RAS_Pixel* d,
                                                                    const RAS_Pixel* s, int n,
                                                                    int w)
{
  RAS_CopySourceAlphaRow(d, s, n, w);
}
