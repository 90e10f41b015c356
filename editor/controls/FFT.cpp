#include "editor/controls/FFT.h"

#include <cmath>

bool IsValidFFTSize(int n)
{
  return n >= kMinFFTSize && n <= kMaxFFTSize && (n & (n - 1)) == 0;
}

int FFTLog2(int n)
{
  if (n <= 0 || (n & (n - 1)) != 0) return -1;
  int m = 0;
  while ((1 << m) != n)
    ++m;
  return m;
}

void fft(double* re, double* im, int log2n, int direction)
{
  if (!re || !im || log2n < 0 || log2n > 30) return;
  const int n = 1 << log2n;

  // Butterflies: span le halves each stage; the twiddle turns by pi / h per column.
  for (int s = 1; s <= log2n; ++s)
  {
    const int le = 1 << (log2n + 1 - s);
    const int h = le / 2;
    const double theta = M_PI / h;
    const double wr = cos(theta);
    const double wi = direction == -1 ? -sin(theta) : sin(theta);
    double ur = 1.0, ui = 0.0;
    for (int j = 0; j < h; ++j)
    {
      for (int i = j; i < n; i += le)
      {
        const int ip = i + h;
        const double dr = re[i] - re[ip];
        const double di = im[i] - im[ip];
        re[i] += re[ip];
        im[i] += im[ip];
        re[ip] = dr * ur - di * ui;
        im[ip] = dr * ui + di * ur;
      }
      const double t = ur;
      ur = t * wr - ui * wi;
      ui = t * wi + ui * wr;
    }
  }

  // Decimation in frequency leaves the bins in bit-reversed order.
  for (int i = 1, j = 0; i < n; ++i)
  {
    int bit = n >> 1;
    for (; j & bit; bit >>= 1)
      j ^= bit;
    j |= bit;
    if (i < j)
    {
      double t = re[i];
      re[i] = re[j];
      re[j] = t;
      t = im[i];
      im[i] = im[j];
      im[j] = t;
    }
  }

  if (direction != -1)
  {
    const double scale = 1.0 / n;
    for (int i = 0; i < n; ++i)
    {
      re[i] *= scale;
      im[i] *= scale;
    }
  }
}

void FillFFTWindowTable(double* table, int n, int window)
{
  if (!table || n <= 0) return;
  if (n < 2 || window == kFFTWindowRectangular)
  {
    for (int i = 0; i < n; ++i)
      table[i] = 1.0;
    return;
  }
  // The shapes run over i / (n - 1): both end points are on the window's edges.
  const double len = n - 1;
  const double twoPi = 2.0 * M_PI;
  for (int i = 0; i < n; ++i)
  {
    double w;
    switch (window)
    {
    case kFFTWindowBlackman:
      w = 0.42 - 0.5 * cos(twoPi * i / len) + 0.08 * cos(2.0 * twoPi * i / len);
      break;
    case kFFTWindowBlackmanHarris:
    {
      const double u = i + 0.5;
      w = 0.35875 - 0.48829 * cos(twoPi * u / len) + 0.14128 * cos(2.0 * twoPi * u / len) -
          0.01168 * cos(3.0 * twoPi * u / len);
      break;
    }
    case kFFTWindowHamming:
      w = 0.54 - 0.46 * cos(twoPi * i / len);
      break;
    case kFFTWindowHann:
      w = 0.5 * (1.0 - cos(twoPi * i / len));
      break;
    case kFFTWindowSineCubed:
    {
      const double s = sin(M_PI * i / len);
      w = s * s * s;
      break;
    }
    case kFFTWindowHannSquared:
    {
      const double hann = 0.5 * (1.0 - cos(twoPi * i / len));
      w = hann * hann;
      break;
    }
    default: // kFFTWindowSine and anything unknown
      w = sin(M_PI * i / len);
      break;
    }
    table[i] = w * w;
  }
}
