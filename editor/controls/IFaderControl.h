#pragma once
// A handle that slides along a track of the given length; the track itself is part
// of the background. Vertical faders have value 1 at the top.
#include "editor/controls/IControl.h"

class IFaderControl : public IControl
{
public:
  // The rectangle is len long and as thick as the handle bitmap; the handle's own
  // extent along the track is its headroom.
  IFaderControl(IEffectBase* plug, int x, int y, int len, int paramIdx, const IBitmap* bitmap,
                EDirection direction = kVertical, bool onlyHandle = false);

  // A press snaps the handle's centre to the pointer; a right press prompts instead.
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;
  // With only-handle set, only the handle reacts to the mouse.
  bool IsHit(int x, int y) override;

  // The handle's rectangle at a value; a negative value means the current one.
  IRECT GetHandleRECT(double value = -1.0) const;
  int GetLength() const { return mLen; }
  int GetHandleHeadroom() const { return mHandleHeadroom; }

protected:
  void SnapToMouse(int x, int y);

  int mLen;
  int mHandleHeadroom;
  IBitmap mBitmap;
  int mDirection;
  bool mOnlyHandle;
};
