#pragma once
// A knob whose one bitmap turns about the rectangle's centre. Angles in radians,
// clockwise; the y offset moves the pivot for artwork whose axis is off centre.
#include "editor/controls/IKnobControl.h"

#include <cmath>

class IKnobRotaterControl : public IKnobControl
{
public:
  // The rectangle is the bitmap's size at (x, y).
  IKnobRotaterControl(IEffectBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                      double minAngle = -0.75 * M_PI, double maxAngle = 0.75 * M_PI,
                      int yOffsetZeroDeg = 0, EDirection direction = kVertical,
                      double gearing = 4.0);
  bool Draw(IGraphics* graphics) override;

protected:
  IBitmap mBitmap;
  double mMinAngle, mMaxAngle;
  int mYOffset;
};
