#pragma once
// Free text the user types: a click opens the editor's text entry over the control,
// and the committed text is stored and drawn. Bound to no parameter.
#include "editor/controls/IControl.h"
#include "util/UTL_String.h"

class IUserTextControl : public IControl
{
public:
  IUserTextControl(IEffectBase* plug, const IRECT& rect, const IText* text, const char* str = "");
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void TextFromTextEntry(const char* str) override;
  void SetTextFromPlug(const char* str) override;
  bool Draw(IGraphics* graphics) override;
  const char* GetTextString() const { return mStr.Get(); }

protected:
  UTL_String mStr;
};
