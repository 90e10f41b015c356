#pragma once
// Shows the magnitude spectrum of a block of samples from the plug-in (typically
// its filter's impulse response) as a poly-line over a logarithmic frequency axis.
// Redrawn on every editor tick; the plug-in calls SetDataFromPlug on the editor's
// thread or under the lock that drawing holds.
#include "editor/controls/IControl.h"
#include "editor/controls/IFreqResponseAnalysis.h"

class IFreqResponseGraph : public IControl
{
public:
  // The rectangle is the drawing area. An FFT size that is not a power of two of at
  // least 4 falls back to IFreqResponseAnalysis::kDefaultFFTSize.
  IFreqResponseGraph(IEffectBase* plug, IColor color, IRECT rect, int fftSize, EFFTWindow window);

  // Analyses GetFFTSize() samples.
  void SetDataFromPlug(const double* samples) { mAnalysis.SetData(samples); }
  void SetWindow(EFFTWindow window) { mAnalysis.SetWindow(window); }
  // False, and the previous size stays, for a size the analysis cannot take.
  bool SetFFTSize(int n) { return mAnalysis.SetFFTSize(n); }
  bool SetSRate(double rate) { return mAnalysis.SetSRate(rate); }
  void SetDisplayMode(int mode) { mAnalysis.SetDisplayMode(mode); }
  bool SetScale(double lowHz, double highHz, double dbRange, double dbOffset)
  {
    return mAnalysis.SetScale(lowHz, highHz, dbRange, dbOffset);
  }
  double GetIRGain() const { return mAnalysis.GetIRGain(); }
  int GetFFTSize() const { return mAnalysis.GetFFTSize(); }
  const IFreqResponseAnalysis& GetAnalysis() const { return mAnalysis; }
  // The transform the analysis runs; touches no state of the graph.
  static void fft(double* re, double* im, int log2n, int direction)
  {
    ::fft(re, im, log2n, direction);
  }

  void OnMouseOver(int x, int y, IMouseMod* mod) override;
  void OnMouseOut() override;
  // Draws the curve, then switches the editor's hover handling on.
  bool Draw(IGraphics* graphics) override;
  bool IsDirty() override { return true; }

  bool IsMouseOver() const { return mMouseOver; }
  // Frequency and gain under the pointer, kept up to date while it hovers; the graph
  // itself does not draw it.
  const char* GetReadout() const { return mReadout; }

protected:
  IColor mColor;
  int mLeft, mTop;
  IFreqResponseAnalysis mAnalysis;
  bool mMouseOver = false;
  int mMouseX = 0, mMouseY = 0;
  char mReadout[64] = "";
};
