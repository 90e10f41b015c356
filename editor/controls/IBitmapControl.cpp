#include "editor/controls/IBitmapControl.h"

#include "editor/IGraphics.h"

namespace
{
// One frame of the strip at (x, y); the orientation flag does not enter the size.
IRECT FrameRect(int x, int y, const IBitmap* bitmap)
{
  if (!bitmap) return IRECT(x, y, x, y);
  return IRECT(x, y, x + bitmap->W, y + bitmap->H / (bitmap->N < 1 ? 1 : bitmap->N));
}
} // namespace

IBitmapControl::IBitmapControl(IEffectBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                               int blendMethod)
    : IControl(plug, FrameRect(x, y, bitmap), paramIdx, blendMethod),
      mBitmap(bitmap ? *bitmap : IBitmap())
{
}

bool IBitmapControl::Draw(IGraphics* graphics)
{
  return graphics->DrawBitmap(&mBitmap, &mRECT, FrameForValue(mValue, mBitmap.N), &mBlend);
}
