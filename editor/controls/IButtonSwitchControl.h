#pragma once
// A push button over a two-frame strip: frame 2 while held, the value toggles on
// release (a press that slides off and is released elsewhere still toggles, as the
// editor delivers the release to the captured control).
#include "editor/controls/ISwitchControl.h"

class IButtonSwitchControl : public ISwitchControl
{
public:
  IButtonSwitchControl(IEffectBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseUp(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;
  bool IsPressed() const { return mPressed; }

protected:
  bool mPressed = false;
};
