#pragma once
// Shows a parameter's display text, optionally followed by its label. Once prompting
// is enabled a click or double click asks for a new value.
#include "editor/controls/ITextControl.h"

class ICaptionControl : public ITextControl
{
public:
  ICaptionControl(IEffectBase* plug, const IRECT& rect, int paramIdx, const IText* text,
                  bool showParamLabel = true);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;

protected:
  bool mShowParamLabel;
};
