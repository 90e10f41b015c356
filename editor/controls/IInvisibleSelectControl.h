#pragma once
// An invisible vertical selector: the release height within the rectangle becomes
// the value, 0 at the top edge.
#include "editor/controls/IControl.h"

class IInvisibleSelectControl : public IControl
{
public:
  IInvisibleSelectControl(IEffectBase* plug, const IRECT& rect, int paramIdx);
  // A zero-height rectangle has no positions to map: the value stays.
  void OnMouseUp(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics*) override { return true; }

protected:
  int mHeight;
  int mTop;
};
