#pragma once
// A push button: toggles its value on press; frame 2 shows while pressed, frame 1
// otherwise, whatever the value (a separate indicator shows the state).
#include "editor/controls/IControl.h"

class IOnOffControl : public IControl
{
public:
  IOnOffControl(IEffectBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  // Sends the same value to the plug-in again.
  void OnMouseUp(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;
  int GetShownFrame() const { return mShownFrame; }

protected:
  int mShownFrame = 1;
  IBitmap mBitmap;
};
