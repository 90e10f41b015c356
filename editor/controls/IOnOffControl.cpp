#include "editor/controls/IOnOffControl.h"

#include "editor/IGraphics.h"

IOnOffControl::IOnOffControl(IEffectBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap)
    : IControl(plug,
               bitmap ? IRECT(x, y, x + bitmap->W, y + bitmap->H / (bitmap->N < 1 ? 1 : bitmap->N))
                      : IRECT(x, y, x, y),
               paramIdx, IChannelBlend::kBlendNone),
      mBitmap(bitmap ? *bitmap : IBitmap())
{
}

void IOnOffControl::OnMouseDown(int, int, IMouseMod*)
{
  mValue = mValue < 0.5 ? 1.0 : 0.0;
  mShownFrame = 2;
  SetDirty(true);
}

void IOnOffControl::OnMouseUp(int, int, IMouseMod*)
{
  mShownFrame = 1;
  SetDirty(true);
}

bool IOnOffControl::Draw(IGraphics* graphics)
{
  return graphics->DrawBitmap(&mBitmap, &mRECT, mShownFrame, &mBlend);
}
