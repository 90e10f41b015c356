#include "editor/controls/IKnobLineControl.h"

#include "editor/IGraphics.h"

IKnobLineControl::IKnobLineControl(IEffectBase* plug, const IRECT& rect, int paramIdx,
                                   const IColor* color, double innerRadius, double outerRadius,
                                   double minAngle, double maxAngle, EDirection direction,
                                   double gearing)
    : IKnobControl(plug, rect, paramIdx, direction, gearing), mColor(color ? *color : COLOR_BLACK),
      mMinAngle(float(minAngle)), mMaxAngle(float(maxAngle)), mInnerRadius(float(innerRadius)),
      mOuterRadius(float(outerRadius))
{
  if (outerRadius == 0.0) mOuterRadius = float((rect.R - rect.L) * 0.5);
  mBlend = IChannelBlend(IChannelBlend::kBlendClobber);
}

bool IKnobLineControl::Draw(IGraphics* graphics)
{
  if (!graphics) return false;
  const double a = mMinAngle + mValue * (mMaxAngle - mMinAngle);
  const double s = sin(a), c = cos(a);
  const double cx = (mRECT.L + mRECT.R) * 0.5, cy = (mRECT.T + mRECT.B) * 0.5;
  // y grows downwards, so "up" is cy minus the radius.
  return graphics->DrawLine(&mColor, float(cx + mInnerRadius * s), float(cy - mInnerRadius * c),
                            float(cx + mOuterRadius * s), float(cy - mOuterRadius * c), &mBlend,
                            true);
}
