#pragma once
// A knob drawn as the frame of a bitmap strip that matches its value.
#include "editor/controls/IKnobControl.h"

class IKnobMultiControl : public IKnobControl
{
public:
  IKnobMultiControl(IEffectBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                    EDirection direction = kVertical, double gearing = 4.0);
  bool Draw(IGraphics* graphics) override;

protected:
  IBitmap mBitmap;
};
