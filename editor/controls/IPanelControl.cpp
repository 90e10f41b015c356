#include "editor/controls/IPanelControl.h"

#include "editor/IGraphics.h"

IPanelControl::IPanelControl(IEffectBase* plug, const IRECT& rect, const IColor* color)
    : IControl(plug, rect), mColor(color ? *color : COLOR_BLACK)
{
}

bool IPanelControl::Draw(IGraphics* graphics)
{
  return graphics->FillIRect(&mColor, &mRECT, &mBlend);
}
