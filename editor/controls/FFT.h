#pragma once
// Radix-2 FFT, analysis windows and the 4-point interpolation used by the
// frequency response graph. Plain functions: no editor state involved.

// Window shapes for spectrum analysis. Tables hold the squared window.
enum EFFTWindow
{
  kFFTWindowRectangular = 0,
  kFFTWindowBlackman = 1,
  kFFTWindowBlackmanHarris = 2, // 4-term, sampled half a sample off the grid
  kFFTWindowHamming = 3,
  kFFTWindowHann = 4,
  kFFTWindowSine = 5,
  kFFTWindowSineCubed = 6,
  kFFTWindowHannSquared = 7,
};

// Sizes the analysis accepts: powers of two from kMinFFTSize to kMaxFFTSize. The
// interpolation reads two bins past the one under each frequency, hence at least 4.
constexpr int kMinFFTSize = 4;
constexpr int kMaxFFTSize = 1 << 20;
bool IsValidFFTSize(int n);
// log2 of a power of two, -1 for anything else.
int FFTLog2(int n);

// In-place radix-2 decimation-in-frequency transform of 2^log2n points, output in
// natural order. direction -1 is the forward transform, X[k] = sum x[i] e^(-2 pi i k / n),
// unscaled; any other direction is the inverse, scaled by 1/n. log2n outside
// 0..30 does nothing.
void fft(double* re, double* im, int log2n, int direction);

// Fills n entries with the square of the window of the given kind; unknown kinds
// are the sine window. Fewer than 2 points hold 1 (the shapes divide by n - 1).
void FillFFTWindowTable(double* table, int n, int window);

// 4-point, third-order Hermite interpolation between y1 (t = 0) and y2 (t = 1).
inline double HermiteInterpolate(double y0, double y1, double y2, double y3, double t)
{
  const double c1 = (y2 - y0) * 0.5;
  const double c2 = y0 + 2.0 * y2 - (5.0 * y1 + y3) * 0.5;
  const double c3 = (3.0 * (y1 - y2) - y0 + y3) * 0.5;
  return ((c3 * t + c2) * t + c1) * t + y1;
}
