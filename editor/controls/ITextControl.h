#pragma once
// A line of text drawn in the control's text style. Bound to no parameter; a value
// display of another control writes into it through SetTextFromPlug.
#include "editor/controls/IControl.h"
#include "util/UTL_String.h"

class ITextControl : public IControl
{
public:
  // A null style is the default one; a null text is empty.
  ITextControl(IEffectBase* plug, const IRECT& rect, const IText* text, const char* str = "");
  // Only a different text marks the control dirty (without informing the plug-in).
  void SetTextFromPlug(const char* str) override;
  void ClearTextFromPlug() { SetTextFromPlug(""); }
  bool Draw(IGraphics* graphics) override;
  const char* GetTextString() const { return mStr.Get(); }

protected:
  UTL_String mStr;
};
