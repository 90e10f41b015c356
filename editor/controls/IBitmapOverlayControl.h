#pragma once
// An image shown over other controls (an about box). While hidden (value < 0.5) only
// its target area reacts to the mouse; a click there shows it, a click on the shown
// image hides it again. Attach it after the controls it covers.
#include "editor/controls/ISwitchControl.h"

class IBitmapOverlayControl : public ISwitchControl
{
public:
  IBitmapOverlayControl(IEffectBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                        const IRECT& targetArea);
  IBitmapOverlayControl(IEffectBase* plug, int x, int y, const IBitmap* bitmap,
                        const IRECT& targetArea)
      : IBitmapOverlayControl(plug, x, y, -1, bitmap, targetArea)
  {
  }
  bool Draw(IGraphics* graphics) override;

protected:
  IRECT mTargetArea;
};
