#include "editor/controls/IKnobRotatingMaskControl.h"

#include "editor/IGraphics.h"

namespace
{
IRECT BitmapRECT(int x, int y, const IBitmap* b)
{
  return b ? IRECT(x, y, x + b->W, y + b->H) : IRECT(x, y, x, y);
}
} // namespace

IKnobRotatingMaskControl::IKnobRotatingMaskControl(IEffectBase* plug, int x, int y, int paramIdx,
                                                   const IBitmap* base, const IBitmap* mask,
                                                   const IBitmap* top, double minAngle,
                                                   double maxAngle, EDirection direction,
                                                   double gearing)
    : IKnobControl(plug, BitmapRECT(x, y, base), paramIdx, direction, gearing), mMinAngle(minAngle),
      mMaxAngle(maxAngle)
{
  if (base) mBase = *base;
  if (mask) mMask = *mask;
  if (top) mTop = *top;
}

bool IKnobRotatingMaskControl::Draw(IGraphics* graphics)
{
  if (!graphics) return false;
  const double angle = mMinAngle + mValue * (mMaxAngle - mMinAngle);
  return graphics->DrawRotatedMask(&mBase, &mMask, &mTop, mRECT.L, mRECT.T, angle, &mBlend);
}
