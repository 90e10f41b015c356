#pragma once
// A knob drawn as one anti-aliased radial line, from the inner to the outer radius.
// Angles in radians, 0 straight up, clockwise.
#include "editor/controls/IKnobControl.h"

#include <cmath>

class IKnobLineControl : public IKnobControl
{
public:
  // An outer radius of 0 reaches the rectangle's half width. A null colour is black.
  IKnobLineControl(IEffectBase* plug, const IRECT& rect, int paramIdx, const IColor* color,
                   double innerRadius = 0.0, double outerRadius = 0.0,
                   double minAngle = -0.75 * M_PI, double maxAngle = 0.75 * M_PI,
                   EDirection direction = kVertical, double gearing = 4.0);
  bool Draw(IGraphics* graphics) override;

protected:
  IColor mColor;
  float mMinAngle, mMaxAngle, mInnerRadius, mOuterRadius;
};
