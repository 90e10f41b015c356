#pragma once
// The frequency response graph's analysis: window, FFT, magnitudes resampled onto
// a logarithmic frequency axis, decibels mapped to pixel rows, meter-like
// smoothing. No editor state, so it runs and tests without a display.
#include "editor/controls/FFT.h"
#include "util/UTL_TypedBuf.h"

class IFreqResponseAnalysis
{
public:
  // An invalid fftSize falls back to kDefaultFFTSize. Negative sizes count as 0.
  IFreqResponseAnalysis(int width, int height, int fftSize, int window);

  static constexpr int kDefaultFFTSize = 1024;

  // Analyses GetFFTSize() samples and updates the column values. Null does nothing.
  void SetData(const double* samples);

  // Refused (false, previous size kept) unless a power of two in kMinFFTSize..kMaxFFTSize.
  // Allocates: call from the editor thread, not the audio path.
  bool SetFFTSize(int n);
  // Rebuilds the table and remembers the kind, so a later SetFFTSize keeps it.
  void SetWindow(int window);
  // Refused unless finite and positive.
  bool SetSRate(double rate);
  // 0 smooths like a meter, anything else shows each analysis raw.
  void SetDisplayMode(int mode) { mDisplayMode = mode; }
  // Refused unless 0 < low < high, both finite, and range > 0.
  bool SetScale(double lowHz, double highHz, double dbRange, double dbOffset);

  int GetWidth() const { return mWidth; }
  int GetHeight() const { return mHeight; }
  int GetFFTSize() const { return mFFTSize; }
  int GetWindow() const { return mWindow; }
  double GetSRate() const { return mSampleRate; }
  int GetDisplayMode() const { return mDisplayMode; }
  double GetOctaves() const { return mOctaves; }
  double GetDecadeSpan() const { return mDecadeSpan; }
  double GetLogLowFreq() const { return mLogLowFreq; }
  double GetIRGain() const { return mIRGain; }
  // Rows below the top edge, 0..height, one per pixel column.
  const double* GetColumns() const { return mColumns.Get(); }
  double GetColumn(int c) const { return c >= 0 && c < mWidth ? mColumns.Get()[c] : 0.0; }
  const double* GetWindowTable() const { return mWindowTable.Get(); }
  const double* GetMagnitudes() const { return mMagnitudes.Get(); }

  // Frequency under a pixel column offset and decibels under a row offset.
  double FreqAtX(int dx) const;
  double GainAtY(int dy) const;
  // The hover readout text for offsets from the drawing origin.
  void FormatReadout(int dx, int dy, char* buf, int size) const;

private:
  void Allocate();

  int mWidth, mHeight;
  int mFFTSize;
  int mWindow;
  double mSampleRate = 44100.0;
  double mLowFreq = 20.0;
  double mHighFreq = 20480.0;
  double mDbRange = 80.0;
  double mDbOffset = 30.0;
  double mOctaves = 0.0;
  double mDecadeSpan = 0.0;
  double mLogLowFreq = 0.0;
  int mDisplayMode = 0;
  double mIRGain = 1.0;

  UTL_TypedBuf<double> mWindowTable;
  UTL_TypedBuf<double> mMagnitudes;
  UTL_TypedBuf<double> mLogAxis;
  UTL_TypedBuf<double> mColumns;
  // One entry per column, so a graph of any width smooths every column.
  UTL_TypedBuf<double> mSmoothing;
  // FFT work arrays, kept so that an analysis allocates nothing.
  UTL_TypedBuf<double> mRe, mIm;
};
