#pragma once
// A number changed by dragging or by the wheel and shown as the parameter's text.
// Without a bound parameter it can drive a parameter of its own (not owned).
#include "editor/controls/ITextControl.h"

class ISpinnerControl : public ITextControl
{
public:
  ISpinnerControl(IEffectBase* plug, const IRECT& rect, int paramIdx, const IText* text,
                  IParam* ownParam = nullptr, bool showValue = true, bool showLabel = true,
                  EDirection direction = kVertical, double gearing = 1.0);
  // A full control height (or width) of travel changes the value by 1/gearing; no fine mode.
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;
  // One notch is the parameter's step (added to the normalised value as it is), or
  // 0.01 (0.001 with control or shift) when there is no step.
  void OnMouseWheel(int x, int y, IMouseMod* mod, int d) override;
  bool Draw(IGraphics* graphics) override;

protected:
  // The bound parameter when there is an index, else the own one.
  IParam* WheelParam() const;

  int mDirection;
  double mGearing;
  bool mShowValue;
  bool mShowLabel;
  IParam* mOwnParam;
};
