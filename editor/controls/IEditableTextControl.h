#pragma once
// Text on an optional background fill, shown as asterisks when it is a password.
#include "editor/controls/ITextControl.h"

class IEditableTextControl : public ITextControl
{
public:
  // Longest run of asterisks drawn for a password.
  static constexpr int kMaxPasswordChars = 99;

  IEditableTextControl(IEffectBase* plug, const IRECT& rect, const IText* text, const char* str,
                       bool flag = false, bool password = false);
  // Prompts once prompting is enabled (the control needs a parameter for that).
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;

  // A null colour removes the background.
  void SetBGColor(const IColor* color);
  const IColor& GetBGColor() const { return mBGColor; }
  bool GetFlag() const { return mFlag; }
  bool IsPassword() const { return mPassword; }

protected:
  IColor mBGColor; // alpha 0: no background
  bool mFlag;
  bool mPassword;
};
