#include "editor/controls/IEditableTextControl.h"

#include "editor/IGraphics.h"

#include <algorithm>

IEditableTextControl::IEditableTextControl(IEffectBase* plug, const IRECT& rect, const IText* text,
                                           const char* str, bool flag, bool password)
    : ITextControl(plug, rect, text, str), mBGColor(0, 0, 0, 0), mFlag(flag), mPassword(password)
{
  mDblAsSingleClick = true;
}

void IEditableTextControl::OnMouseDown(int, int, IMouseMod*)
{
  if (mDisablePrompt) return;
  PromptUserInput();
  mRedraw = true;
}

void IEditableTextControl::SetBGColor(const IColor* color)
{
  if (color)
    mBGColor = *color;
  else
    mBGColor.A = 0;
}

bool IEditableTextControl::Draw(IGraphics* graphics)
{
  if (!graphics) return false;
  if (mBGColor.A != 0 && !graphics->FillIRect(&mBGColor, &mRECT, nullptr)) return false;
  const int len = mStr.GetLength();
  if (len == 0) return true;
  if (!mPassword) return graphics->DrawIText(&mText, mStr.Get(), &mRECT);
  char stars[kMaxPasswordChars + 1];
  const int n = std::min(len, kMaxPasswordChars);
  std::fill(stars, stars + n, '*');
  stars[n] = '\0';
  return graphics->DrawIText(&mText, stars, &mRECT);
}
