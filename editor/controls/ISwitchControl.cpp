#include "editor/controls/ISwitchControl.h"

ISwitchControl::ISwitchControl(IEffectBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                               int blendMethod)
    : IBitmapControl(plug, x, y, paramIdx, bitmap, blendMethod)
{
}

void ISwitchControl::OnMouseDown(int, int, IMouseMod*)
{
  mValue += mBitmap.N >= 2 ? 1.0 / double(mBitmap.N - 1) : 1.0;
  // The tolerance lets the last step land on 1 despite rounding; past it, wrap to 0.
  if (mValue > 1.001) mValue = 0.0;
  SetDirty(true);
}

void ISwitchControl::OnMouseDblClick(int x, int y, IMouseMod* mod)
{
  OnMouseDown(x, y, mod);
}
