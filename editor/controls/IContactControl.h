#pragma once
// A momentary contact: a press advances like a switch, the release returns to 0.
#include "editor/controls/ISwitchControl.h"

class IContactControl : public ISwitchControl
{
public:
  IContactControl(IEffectBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap);
  void OnMouseUp(int x, int y, IMouseMod* mod) override;
};
