#pragma once
// How the editor's blend records become raster weights and mode words. Unknown methods
// draw like the default (copy using source alpha).
#include "editor/IGraphicsTypes.h"

#include <cmath>

// Mode words of the raster library: low byte the operation (0 copy, 1 add, 2 colour
// dodge), 0x100 bilinear filtering, 0x10000 use source alpha.
enum
{
  kModeCopy = 0,
  kModeAdd = 1,
  kModeColorDodge = 2,
  kModeBilinear = 0x100,
  kModeSourceAlpha = 0x10000
};

inline float BlendWeight(const IChannelBlend* blend)
{
  return blend ? blend->mWeight : 1.0f;
}

// Points and lines take only the operation.
inline int LineBlendMode(const IChannelBlend* blend)
{
  if (!blend) return kModeCopy;
  switch (blend->mMethod)
  {
  case IChannelBlend::kBlendAdd:
    return kModeAdd;
  case IChannelBlend::kBlendColorDodge:
    return kModeColorDodge;
  default:
    return kModeCopy;
  }
}

// Bitmaps, fills, arcs, circles, rounded rectangles and polygons.
inline int BitmapBlendMode(const IChannelBlend* blend)
{
  if (blend && blend->mMethod == IChannelBlend::kBlendClobber) return kModeCopy;
  return LineBlendMode(blend) | kModeSourceAlpha;
}

// Rotated bitmaps add bilinear filtering.
inline int RotatedBlendMode(const IChannelBlend* blend)
{
  return BitmapBlendMode(blend) | kModeBilinear;
}

// A float coordinate to pixels by truncation; far-off or NaN values land outside any
// bitmap instead of overflowing the conversion.
inline int CoordToInt(float v)
{
  if (!(v > -1.0e7f)) return -10000000;
  if (v > 1.0e7f) return 10000000;
  return int(v);
}
