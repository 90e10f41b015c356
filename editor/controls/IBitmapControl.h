#pragma once
// Shows the frame of a bitmap strip that matches the value; as wide as the bitmap
// and one frame high.
#include "editor/controls/IControl.h"

class IBitmapControl : public IControl
{
public:
  IBitmapControl(IEffectBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                 int blendMethod = IChannelBlend::kBlendNone);
  IBitmapControl(IEffectBase* plug, int x, int y, const IBitmap* bitmap,
                 int blendMethod = IChannelBlend::kBlendNone)
      : IBitmapControl(plug, x, y, -1, bitmap, blendMethod)
  {
  }
  bool Draw(IGraphics* graphics) override;
  const IBitmap* GetBitmap() const { return &mBitmap; }

protected:
  IBitmap mBitmap;
};
