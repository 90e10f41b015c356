#pragma once
// A row or column of buttons drawn from a two-frame strip (frame 1 off, frame 2 on);
// button i stands for the value i / (n - 1). A single button toggles between 0 and 1.
#include "editor/controls/IControl.h"
#include "util/UTL_TypedBuf.h"

class IRadioButtonsControl : public IControl
{
public:
  // The buttons are spread evenly over the rectangle, one frame in size; reversed
  // layouts start at the far edge.
  IRadioButtonsControl(IEffectBase* plug, const IRECT& rect, int paramIdx, int nButtons,
                       const IBitmap* bitmap, EDirection direction = kVertical,
                       bool reverse = false);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;

  int NButtons() const { return mRECTs.GetSize(); }
  const IRECT* GetButtonRECT(int i) const
  {
    return i >= 0 && i < NButtons() ? &mRECTs.Get()[i] : nullptr;
  }

protected:
  UTL_TypedBuf<IRECT> mRECTs;
  IBitmap mBitmap;
};
