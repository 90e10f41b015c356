#include "editor/controls/ITextControl.h"

#include "editor/IGraphics.h"

#include <cstring>

ITextControl::ITextControl(IEffectBase* plug, const IRECT& rect, const IText* text, const char* str)
    : IControl(plug, rect), mStr(str)
{
  SetText(text);
}

void ITextControl::SetTextFromPlug(const char* str)
{
  if (!str) str = "";
  if (strcmp(mStr.Get(), str) != 0)
  {
    SetDirty(false);
    mStr.Set(str);
  }
}

bool ITextControl::Draw(IGraphics* graphics)
{
  if (mStr.GetLength() == 0) return true;
  if (!graphics) return false;
  return graphics->DrawIText(&mText, mStr.Get(), &mRECT);
}
