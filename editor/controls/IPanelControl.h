#pragma once
// A plain colour fill.
#include "editor/controls/IControl.h"

class IPanelControl : public IControl
{
public:
  IPanelControl(IEffectBase* plug, const IRECT& rect, const IColor* color);
  bool Draw(IGraphics* graphics) override;

protected:
  IColor mColor;
};
