#include "editor/controls/IBitmapOverlayControl.h"

#include "editor/IGraphics.h"

IBitmapOverlayControl::IBitmapOverlayControl(IEffectBase* plug, int x, int y, int paramIdx,
                                             const IBitmap* bitmap, const IRECT& targetArea)
    : ISwitchControl(plug, x, y, paramIdx, bitmap), mTargetArea(targetArea)
{
}

bool IBitmapOverlayControl::Draw(IGraphics* graphics)
{
  // The hit area follows the drawn state, so it changes only from the first draw on.
  if (mValue < 0.5)
  {
    mTargetRECT = mTargetArea;
    return true;
  }
  mTargetRECT = mRECT;
  return IBitmapControl::Draw(graphics);
}
