#include "editor/controls/IKnobRotaterControl.h"

#include "editor/IGraphics.h"

namespace
{
IRECT BitmapRECT(int x, int y, const IBitmap* b)
{
  return b ? IRECT(x, y, x + b->W, y + b->H) : IRECT(x, y, x, y);
}
} // namespace

IKnobRotaterControl::IKnobRotaterControl(IEffectBase* plug, int x, int y, int paramIdx,
                                         const IBitmap* bitmap, double minAngle, double maxAngle,
                                         int yOffsetZeroDeg, EDirection direction, double gearing)
    : IKnobControl(plug, BitmapRECT(x, y, bitmap), paramIdx, direction, gearing),
      mMinAngle(minAngle), mMaxAngle(maxAngle), mYOffset(yOffsetZeroDeg)
{
  if (bitmap) mBitmap = *bitmap;
}

bool IKnobRotaterControl::Draw(IGraphics* graphics)
{
  if (!graphics) return false;
  const int cx = (mRECT.L + mRECT.R) / 2, cy = (mRECT.T + mRECT.B) / 2;
  const double angle = mMinAngle + mValue * (mMaxAngle - mMinAngle);
  return graphics->DrawRotatedBitmap(&mBitmap, cx, cy, angle, mYOffset, &mBlend);
}
