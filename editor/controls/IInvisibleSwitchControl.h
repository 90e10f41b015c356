#pragma once
// An area that toggles its parameter on press and draws nothing: lays a switch over
// artwork that is already in the background.
#include "editor/controls/IControl.h"

class IInvisibleSwitchControl : public IControl
{
public:
  IInvisibleSwitchControl(IEffectBase* plug, const IRECT& rect, int paramIdx);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics*) override { return true; }
};
