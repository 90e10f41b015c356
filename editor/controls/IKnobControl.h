#pragma once
// Base of the knobs: a drag changes the value by 1/gearing per control height (or
// width); control or shift makes it ten times finer.
#include "editor/controls/IControl.h"

class IKnobControl : public IControl
{
public:
  IKnobControl(IEffectBase* plug, const IRECT& rect, int paramIdx, EDirection direction = kVertical,
               double gearing = 4.0);
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;
  void SetGearing(double gearing) { mGearing = gearing; }
  double GetGearing() const { return mGearing; }
  int GetDirection() const { return mDirection; }

protected:
  int mDirection;
  double mGearing;
};
