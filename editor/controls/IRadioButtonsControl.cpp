#include "editor/controls/IRadioButtonsControl.h"

#include "editor/IGraphics.h"

IRadioButtonsControl::IRadioButtonsControl(IEffectBase* plug, const IRECT& rect, int paramIdx,
                                           int nButtons, const IBitmap* bitmap,
                                           EDirection direction, bool reverse)
    : IControl(plug, rect, paramIdx)
{
  if (bitmap) mBitmap = *bitmap;
  if (nButtons < 1) return;
  const int w = mBitmap.W;
  const int h = int(double(mBitmap.H) / double(mBitmap.N)); // one frame of the strip
  // The gaps share what the buttons leave free; one button has no gap to share.
  const int gaps = nButtons - 1;
  int dX = 0, dY = 0;
  if (gaps > 0)
  {
    if (direction == kHorizontal)
      dX = int(double(rect.W() - nButtons * w) / double(gaps));
    else
      dY = int(double(rect.H() - nButtons * h) / double(gaps));
  }

  // Reversed layouts mirror the plain ones: the first button sits flush with the far
  // edge. Starting a further gap in would push the last button out past the near edge,
  // where it could never be clicked.
  IRECT* r = mRECTs.Resize(nButtons);
  int x, y;
  if (direction == kHorizontal)
  {
    y = rect.T;
    x = reverse ? rect.R - w : rect.L;
  }
  else
  {
    x = rect.L;
    y = reverse ? rect.B - h : rect.T;
  }
  for (int i = 0; i < nButtons; ++i)
  {
    r[i] = IRECT(x, y, x + w, y + h);
    if (direction == kHorizontal)
      x += reverse ? -(w + dX) : w + dX;
    else
      y += reverse ? -(h + dY) : h + dY;
  }
}

void IRadioButtonsControl::OnMouseDown(int x, int y, IMouseMod* mod)
{
  if (mod && mod->R)
  {
    PromptUserInput();
    return;
  }
  const int n = NButtons();
  for (int i = 0; i < n; ++i)
  {
    if (mRECTs.Get()[i].Contains(x, y))
    {
      if (n == 1)
        mValue = mValue < 0.5 ? 1.0 : 0.0;
      else
        mValue = double(i) / double(n - 1);
      break;
    }
  }
  // A click between buttons still resends the value, closing the host's gesture cleanly.
  SetDirty(true);
}

bool IRadioButtonsControl::Draw(IGraphics* graphics)
{
  const int n = NButtons();
  if (n == 0) return true;
  if (!graphics) return false;
  int active;
  if (n == 1)
    active = mValue >= 0.5 ? 0 : -1;
  else
  {
    active = int(0.5 + mValue * (n - 1));
    active = active < 0 ? 0 : active > n - 1 ? n - 1 : active;
  }
  bool ok = true;
  for (int i = 0; i < n; ++i)
    ok &= graphics->DrawBitmap(&mBitmap, &mRECTs.Get()[i], i == active ? 2 : 1, &mBlend);
  return ok;
}
