#include "editor/controls/IUserTextControl.h"

#include "editor/IGraphics.h"

#include <cstring>

IUserTextControl::IUserTextControl(IEffectBase* plug, const IRECT& rect, const IText* text,
                                   const char* str)
    : IControl(plug, rect), mStr(str)
{
  SetText(text);
  mDisablePrompt = true;
}

void IUserTextControl::OnMouseDown(int, int, IMouseMod*)
{
  if (IGraphics* gui = GetGUI()) gui->CreateTextEntry(this, &mText, &mRECT, mStr.Get(), nullptr);
}

void IUserTextControl::TextFromTextEntry(const char* str)
{
  mStr.Set(str);
  SetDirty(false);
}

void IUserTextControl::SetTextFromPlug(const char* str)
{
  if (!str) str = "";
  if (strcmp(mStr.Get(), str) != 0)
  {
    SetDirty(false);
    mStr.Set(str);
  }
}

bool IUserTextControl::Draw(IGraphics* graphics)
{
  if (mStr.GetLength() == 0) return true;
  if (!graphics) return false;
  return graphics->DrawIText(&mText, mStr.Get(), &mRECT);
}
