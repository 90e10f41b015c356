#include "editor/controls/IFaderControl.h"

#include "editor/IGraphics.h"

namespace
{
IRECT FaderRECT(int x, int y, int len, const IBitmap* b, EDirection direction)
{
  const int w = b ? b->W : 0, h = b ? b->H : 0;
  return direction == kHorizontal ? IRECT(x, y, x + len, y + h) : IRECT(x, y, x + w, y + len);
}
} // namespace

IFaderControl::IFaderControl(IEffectBase* plug, int x, int y, int len, int paramIdx,
                             const IBitmap* bitmap, EDirection direction, bool onlyHandle)
    : IControl(plug, FaderRECT(x, y, len, bitmap, direction), paramIdx), mLen(len),
      mHandleHeadroom(0), mDirection(direction), mOnlyHandle(onlyHandle)
{
  if (bitmap) mBitmap = *bitmap;
  mHandleHeadroom = direction == kHorizontal ? mBitmap.W : mBitmap.H;
}

IRECT IFaderControl::GetHandleRECT(double value) const
{
  if (value < 0.0) value = mValue;
  const int span = mLen - mHandleHeadroom;
  IRECT r(mRECT.L, mRECT.T, mRECT.L + mBitmap.W, mRECT.T + mBitmap.H);
  if (mDirection == kHorizontal)
  {
    const int offs = int(value * span);
    r.L += offs;
    r.R += offs;
  }
  else
  {
    const int offs = int((1.0 - value) * span);
    r.T += offs;
    r.B += offs;
  }
  return r;
}

void IFaderControl::SnapToMouse(int x, int y)
{
  const int span = mLen - mHandleHeadroom;
  // A handle as long as the track has nowhere to go.
  if (span != 0)
  {
    if (mDirection == kHorizontal)
      mValue = double(x - mRECT.L - mHandleHeadroom / 2) / double(span);
    else
      mValue = 1.0 - double(y - mRECT.T - mHandleHeadroom / 2) / double(span);
  }
  SetDirty(true);
}

void IFaderControl::OnMouseDown(int x, int y, IMouseMod* mod)
{
  if (mod && mod->R)
  {
    PromptUserInput();
    return;
  }
  SnapToMouse(x, y);
}

void IFaderControl::OnMouseDrag(int x, int y, int, int, IMouseMod*)
{
  SnapToMouse(x, y);
}

bool IFaderControl::IsHit(int x, int y)
{
  if (mOnlyHandle) return GetHandleRECT().Contains(x, y);
  return mTargetRECT.Contains(x, y);
}

bool IFaderControl::Draw(IGraphics* graphics)
{
  if (!graphics) return false;
  IRECT r = GetHandleRECT();
  return graphics->DrawBitmap(&mBitmap, &r, 1, &mBlend);
}
