#include "editor/controls/IContactControl.h"

IContactControl::IContactControl(IEffectBase* plug, int x, int y, int paramIdx,
                                 const IBitmap* bitmap)
    : ISwitchControl(plug, x, y, paramIdx, bitmap)
{
}

void IContactControl::OnMouseUp(int, int, IMouseMod*)
{
  mValue = 0.0;
  SetDirty(true);
}
