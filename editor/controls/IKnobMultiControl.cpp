#include "editor/controls/IKnobMultiControl.h"

#include "editor/IGraphics.h"

namespace
{
IRECT FrameRect(int x, int y, const IBitmap* bitmap)
{
  if (!bitmap) return IRECT(x, y, x, y);
  return IRECT(x, y, x + bitmap->W, y + bitmap->H / (bitmap->N < 1 ? 1 : bitmap->N));
}
} // namespace

IKnobMultiControl::IKnobMultiControl(IEffectBase* plug, int x, int y, int paramIdx,
                                     const IBitmap* bitmap, EDirection direction, double gearing)
    : IKnobControl(plug, FrameRect(x, y, bitmap), paramIdx, direction, gearing),
      mBitmap(bitmap ? *bitmap : IBitmap())
{
}

bool IKnobMultiControl::Draw(IGraphics* graphics)
{
  return graphics->DrawBitmap(&mBitmap, &mRECT, FrameForValue(mValue, mBitmap.N), &mBlend);
}
