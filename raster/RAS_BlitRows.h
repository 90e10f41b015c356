#pragma once
// Row loops of the blits: one source pixel combined into each destination pixel.
// The source-alpha copies, which the editor draws every bitmap with, get dedicated loops.
#include "raster/RAS_Combine.h"

template <class Op>
inline void RAS_CombineRow(RAS_Pixel* d, const RAS_Pixel* s, int n, int w)
{
  for (int i = 0; i < n; ++i) RAS_CombinePixel<Op>(d + i, s[i], w);
}
