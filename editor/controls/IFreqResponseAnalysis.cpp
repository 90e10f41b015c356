#include "editor/controls/IFreqResponseAnalysis.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace
{
constexpr double kLog10Of2 = 0.3010299956639812;

// Hermite interpolation of y around the fractional index p; the neighbourhood
// starts no lower than index 0. The reads reach two entries past the one under p:
// from index n on, either 0 (spectrum bins above Nyquist hold nothing) or the last
// entry repeated (the log axis ends at the top frequency, and a flat curve must
// stay flat up to the right edge). Never memory beyond the buffer.
double SampleAt(const double* y, int n, double p, bool holdLast)
{
  if (!(p >= 0.0)) p = 0.0;
  if (p >= double(n) + 2.0) return holdLast ? y[n - 1] : 0.0;
  const int k = int(floor(p));
  const int j = std::max(k, 1);
  auto at = [&](int i) { return i < n ? y[i] : holdLast ? y[n - 1] : 0.0; };
  return HermiteInterpolate(at(j - 1), at(j), at(j + 1), at(j + 2), p - k);
}
} // namespace

IFreqResponseAnalysis::IFreqResponseAnalysis(int width, int height, int fftSize, int window)
    : mWidth(std::max(width, 0)), mHeight(std::max(height, 0)),
      mFFTSize(IsValidFFTSize(fftSize) ? fftSize : kDefaultFFTSize), mWindow(window)
{
  SetScale(mLowFreq, mHighFreq, mDbRange, mDbOffset);
  mColumns.Resize(mWidth);
  mSmoothing.Resize(mWidth);
  Allocate();
}

void IFreqResponseAnalysis::Allocate()
{
  const int n = mFFTSize;
  // Fresh zeroed buffers: bins from n / 2 up are never written and must read as 0.
  mMagnitudes = UTL_TypedBuf<double>();
  mLogAxis = UTL_TypedBuf<double>();
  mMagnitudes.Resize(n);
  mLogAxis.Resize(n);
  mRe.Resize(n);
  mIm.Resize(n);
  mWindowTable.Resize(n);
  FillFFTWindowTable(mWindowTable.Get(), n, mWindow);
}

bool IFreqResponseAnalysis::SetFFTSize(int n)
{
  if (!IsValidFFTSize(n)) return false;
  mFFTSize = n;
  Allocate();
  return true;
}

void IFreqResponseAnalysis::SetWindow(int window)
{
  mWindow = window;
  FillFFTWindowTable(mWindowTable.Get(), mFFTSize, mWindow);
}

bool IFreqResponseAnalysis::SetSRate(double rate)
{
  if (!std::isfinite(rate) || rate <= 0.0) return false;
  mSampleRate = rate;
  return true;
}

bool IFreqResponseAnalysis::SetScale(double lowHz, double highHz, double dbRange, double dbOffset)
{
  if (!std::isfinite(lowHz) || !std::isfinite(highHz) || !(lowHz > 0.0) || !(highHz > lowHz) ||
      !std::isfinite(dbRange) || !(dbRange > 0.0) || !std::isfinite(dbOffset))
    return false;
  mLowFreq = lowHz;
  mHighFreq = highHz;
  mDbRange = dbRange;
  mDbOffset = dbOffset;
  mOctaves = log10(highHz) / kLog10Of2 - log10(lowHz) / kLog10Of2;
  mDecadeSpan = mOctaves * kLog10Of2;
  mLogLowFreq = log10(lowHz);
  return true;
}

void IFreqResponseAnalysis::SetData(const double* samples)
{
  if (!samples) return;
  const int n = mFFTSize;
  const double half = n * 0.5;
  double* re = mRe.Get();
  double* im = mIm.Get();
  const double* win = mWindowTable.Get();
  double* mag = mMagnitudes.Get();
  double* logAxis = mLogAxis.Get();

  for (int i = 0; i < n; ++i)
  {
    re[i] = samples[i] * win[i];
    im[i] = 0.0;
  }
  fft(re, im, FFTLog2(n), -1);

  // Only the lower half is meaningful for real input; the rest stays 0.
  double largest = 0.0;
  for (int k = 0; k < n / 2; ++k)
  {
    mag[k] = sqrt(re[k] * re[k] + im[k] * im[k]);
    if (mag[k] > largest) largest = mag[k];
  }
  mIRGain = 1.0 / largest; // +inf for silence, as a gain it means "no response"

  // Equal steps of log frequency from the low edge up: f = 10^(i / half * span + log10(low)).
  const double binsPerHz = half / (mSampleRate * 0.5);
  for (int i = 0; i < half; ++i)
  {
    const double f = pow(10.0, i / half * mDecadeSpan + mLogLowFreq);
    logAxis[i] = SampleAt(mag, n, f * binsPerHz, false);
  }

  // Meter ballistics in pixels: fast rise, slow fall, both relative to the height.
  const double h = mHeight;
  const double slow = exp(-1.0 / (0.3 * h));
  const double fast = exp(-1.0 / (0.03 * h));
  const double pixelsPerDb = h / mDbRange;
  const double step = half / mWidth;
  double* columns = mColumns.Get();
  double* memory = mSmoothing.Get();
  double x = 0.0;
  for (int c = 0; c < mWidth; ++c, x += step)
  {
    double v = SampleAt(logAxis, n / 2, x, true);
    // Rows below the top: the top edge is the offset in dB, the bottom offset - range.
    v = pixelsPerDb * mDbOffset + log10(std::max(v, 0.00001)) * -20.0 * pixelsPerDb;
    if (std::isnan(v)) v = h; // NaN input shows as silence instead of sticking in the memory
    if (mDisplayMode == 0)
    {
      const double m = memory[c];
      const double a = v > m ? slow : fast; // larger v is a lower level
      v = (m - v) * a + v;
      memory[c] = v;
    }
    columns[c] = std::min(std::max(v, 0.0), h);
  }
}

double IFreqResponseAnalysis::FreqAtX(int dx) const
{
  if (mWidth <= 0) return mLowFreq;
  return pow(10.0, double(dx) / mWidth * mDecadeSpan + mLogLowFreq);
}

double IFreqResponseAnalysis::GainAtY(int dy) const
{
  if (mHeight <= 0) return 0.0;
  return double(dy) * mDbRange / mHeight;
}

void IFreqResponseAnalysis::FormatReadout(int dx, int dy, char* buf, int size) const
{
  if (!buf || size <= 0) return;
  const double freq = FreqAtX(dx);
  const double gain = GainAtY(dy);
  if (freq >= 1000.0)
    snprintf(buf, size_t(size), "Freq: %2.3f kHz\nGain: -%4.1f dB", freq / 1000.0, gain);
  else
    snprintf(buf, size_t(size), "Freq: %4.0f Hz\nGain: -%4.1f dB", freq, gain);
}
