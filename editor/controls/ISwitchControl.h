#pragma once
// Each click advances the value by one frame of its strip, wrapping to 0 past the last.
#include "editor/controls/IBitmapControl.h"

class ISwitchControl : public IBitmapControl
{
public:
  ISwitchControl(IEffectBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                 int blendMethod = IChannelBlend::kBlendNone);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  // A double click advances again.
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override;
};
