#include "editor/controls/IKnobControl.h"

IKnobControl::IKnobControl(IEffectBase* plug, const IRECT& rect, int paramIdx, EDirection direction,
                           double gearing)
    : IControl(plug, rect, paramIdx), mDirection(direction), mGearing(gearing)
{
}

void IKnobControl::OnMouseDrag(int, int, int dX, int dY, IMouseMod* mod)
{
  double g = mGearing;
  if (mod && (mod->C || mod->S)) g *= 10.0;
  // One full control height (or width) of travel changes the value by 1/g; moving up
  // (negative dY over a negative T - B) increases it.
  if (mDirection == kVertical)
  {
    const int span = mRECT.T - mRECT.B;
    if (span != 0) mValue += double(dY) / double(span) / g;
  }
  else
  {
    const int span = mRECT.R - mRECT.L;
    if (span != 0) mValue += double(dX) / double(span) / g;
  }
  SetDirty(true);
}
