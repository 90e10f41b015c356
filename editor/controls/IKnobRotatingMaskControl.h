#pragma once
// A knob built from three layers: a fixed base, a mask that turns with the value and
// adds its light to the base, and a fixed top. Angles in degrees, clockwise.
#include "editor/controls/IKnobControl.h"

class IKnobRotatingMaskControl : public IKnobControl
{
public:
  // The rectangle is the base bitmap's size at (x, y).
  IKnobRotatingMaskControl(IEffectBase* plug, int x, int y, int paramIdx, const IBitmap* base,
                           const IBitmap* mask, const IBitmap* top, double minAngle = -151.0,
                           double maxAngle = 151.0, EDirection direction = kVertical,
                           double gearing = 4.0);
  bool Draw(IGraphics* graphics) override;

protected:
  IBitmap mBase, mMask, mTop;
  double mMinAngle, mMaxAngle;
};
