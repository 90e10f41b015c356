#include "editor/controls/IButtonSwitchControl.h"

#include "editor/IGraphics.h"

IButtonSwitchControl::IButtonSwitchControl(IEffectBase* plug, int x, int y, int paramIdx,
                                           const IBitmap* bitmap)
    : ISwitchControl(plug, x, y, paramIdx, bitmap)
{
}

void IButtonSwitchControl::OnMouseDown(int, int, IMouseMod*)
{
  mPressed = true;
  SetDirty(true);
}

void IButtonSwitchControl::OnMouseUp(int, int, IMouseMod*)
{
  mPressed = false;
  mValue = mValue < 0.5 ? 1.0 : 0.0;
  SetDirty(true);
}

bool IButtonSwitchControl::Draw(IGraphics* graphics)
{
  if (!graphics) return false;
  return graphics->DrawBitmap(&mBitmap, &mRECT, mPressed ? 2 : 1, &mBlend);
}
