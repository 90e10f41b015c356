#include "editor/controls/IInvisibleSelectControl.h"

IInvisibleSelectControl::IInvisibleSelectControl(IEffectBase* plug, const IRECT& rect, int paramIdx)
    : IControl(plug, rect, paramIdx, IChannelBlend::kBlendClobber), mHeight(rect.B - rect.T),
      mTop(rect.T)
{
  mDisablePrompt = true;
}

void IInvisibleSelectControl::OnMouseUp(int, int y, IMouseMod*)
{
  if (mHeight == 0) return;
  mValue = double(y - mTop) / double(mHeight);
  SetDirty(true); // clamps a release outside the rectangle to the nearest end
}
