#include "editor/controls/IFreqResponseGraph.h"

#include "editor/IGraphics.h"

IFreqResponseGraph::IFreqResponseGraph(IEffectBase* plug, IColor color, IRECT rect, int fftSize,
                                       EFFTWindow window)
    : IControl(plug, rect, -1), mColor(color), mLeft(rect.L), mTop(rect.T),
      mAnalysis(rect.R - rect.L, rect.B - rect.T, fftSize, window)
{
}

void IFreqResponseGraph::OnMouseOver(int x, int y, IMouseMod*)
{
  mMouseOver = true;
  mMouseX = x;
  mMouseY = y;
}

void IFreqResponseGraph::OnMouseOut()
{
  mMouseOver = false;
  mRedraw = true;
}

bool IFreqResponseGraph::Draw(IGraphics* graphics)
{
  if (!graphics) return false;
  const IChannelBlend blend(IChannelBlend::kBlendClobber, 1.0f);
  const double* col = mAnalysis.GetColumns();
  const int width = mAnalysis.GetWidth();
  const double h = mAnalysis.GetHeight();
  // Columns clamped onto an edge start no segment: silence and clipping draw nothing.
  for (int c = 0; c + 1 < width; ++c)
  {
    if (col[c] > 0.0 && col[c] < h)
      graphics->DrawLine(&mColor, float(mLeft + c), float(mTop + col[c]), float(mLeft + c + 1),
                         float(mTop + col[c + 1]), &blend, true);
  }
  if (mMouseOver)
    mAnalysis.FormatReadout(mMouseX - mLeft, mMouseY - mTop, mReadout, int(sizeof(mReadout)));
  graphics->HandleMouseOver(true);
  return true;
}
