#include "editor/controls/FFT.h"
#include "editor/controls/IFreqResponseAnalysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdint>
#include <vector>

namespace
{
// O(n^2) reference: X[k] = sum x[i] e^(-2 pi i k i / n), angles reduced exactly.
std::vector<std::complex<double>> NaiveDFT(const std::vector<double>& re,
                                           const std::vector<double>& im)
{
  const size_t n = re.size();
  std::vector<std::complex<double>> out(n);
  for (size_t k = 0; k < n; ++k)
    for (size_t i = 0; i < n; ++i)
    {
      const double a = -2.0 * M_PI * double((i * k) % n) / double(n);
      out[k] += std::complex<double>(re[i], im[i]) * std::complex<double>(cos(a), sin(a));
    }
  return out;
}

// Deterministic noise in [-1, 1].
double Noise(uint32_t& s)
{
  s = s * 1664525u + 1013904223u;
  return (s >> 8) / double(1 << 23) - 1.0;
}
} // namespace

TEST(FFT, MatchesNaiveDFTAndInverseRoundTrips)
{
  uint32_t seed = 1;
  for (int m : {0, 1, 2, 3, 5, 8, 10})
  {
    const int n = 1 << m;
    std::vector<double> re(n), im(n);
    for (int i = 0; i < n; ++i)
    {
      re[i] = Noise(seed);
      im[i] = Noise(seed);
    }
    const std::vector<double> re0 = re, im0 = im;
    const auto expect = NaiveDFT(re, im);

    fft(re.data(), im.data(), m, -1);
    const double tol = 1e-12 * n;
    for (int k = 0; k < n; ++k)
    {
      EXPECT_NEAR(re[k], expect[k].real(), tol) << "n " << n << " bin " << k;
      EXPECT_NEAR(im[k], expect[k].imag(), tol) << "n " << n << " bin " << k;
    }

    fft(re.data(), im.data(), m, 1); // inverse, scaled by 1/n
    for (int i = 0; i < n; ++i)
    {
      EXPECT_NEAR(re[i], re0[i], 1e-13 * n);
      EXPECT_NEAR(im[i], im0[i], 1e-13 * n);
    }
  }
}

TEST(FFT, RefusesImpossibleSizes)
{
  double re[2] = {1, 2}, im[2] = {3, 4};
  fft(re, im, -1, -1);
  fft(re, im, 31, -1);
  fft(nullptr, im, 1, -1);
  EXPECT_EQ(re[0], 1);
  EXPECT_EQ(im[1], 4);

  struct Case
  {
    int n;
    bool valid;
    int log2;
  } cases[] = {{0, false, -1},      {1, false, 0},       {2, false, 1},    {3, false, -1},
               {4, true, 2},        {6, false, -1},      {1024, true, 10}, {-8, false, -1},
               {1 << 20, true, 20}, {1 << 21, false, 21}};
  for (const Case& c : cases)
  {
    EXPECT_EQ(IsValidFFTSize(c.n), c.valid) << c.n;
    EXPECT_EQ(FFTLog2(c.n), c.log2) << c.n;
  }
}

TEST(FFTWindow, EdgesCentreAndSymmetry)
{
  // Odd length so that i = (n - 1) / 2 is the exact centre, where every shape
  // peaks at 1; at the edges the cosines are all 1 and the sines 0.
  struct Case
  {
    int kind;
    double edge; // squared window at i = 0 and i = n - 1
  } cases[] = {
      {kFFTWindowRectangular, 1.0},
      {kFFTWindowBlackman, 0.0},
      {kFFTWindowHamming, 0.08 * 0.08},
      {kFFTWindowHann, 0.0},
      {kFFTWindowSine, 0.0},
      {kFFTWindowSineCubed, 0.0},
      {kFFTWindowHannSquared, 0.0},
      {8, 0.0},
      {-3, 0.0},
  };
  const int n = 9;
  for (const Case& c : cases)
  {
    double t[n];
    FillFFTWindowTable(t, n, c.kind);
    EXPECT_NEAR(t[0], c.edge, 1e-15) << c.kind;
    EXPECT_NEAR(t[n - 1], c.edge, 1e-15) << c.kind;
    EXPECT_NEAR(t[n / 2], 1.0, 1e-15) << c.kind;
    for (int i = 0; i < n; ++i)
      EXPECT_NEAR(t[i], t[n - 1 - i], 1e-15) << c.kind << " at " << i;
  }

  // Unknown kinds are the sine window; sine cubed and Hann squared are powers of
  // sine and Hann (the table holds squares, so compare through the exponents).
  double sine[16], unknown[16], cubed[16], hann[16], hann2[16];
  FillFFTWindowTable(sine, 16, kFFTWindowSine);
  FillFFTWindowTable(unknown, 16, 42);
  FillFFTWindowTable(cubed, 16, kFFTWindowSineCubed);
  FillFFTWindowTable(hann, 16, kFFTWindowHann);
  FillFFTWindowTable(hann2, 16, kFFTWindowHannSquared);
  for (int i = 0; i < 16; ++i)
  {
    EXPECT_EQ(unknown[i], sine[i]);
    EXPECT_NEAR(cubed[i], std::pow(sine[i], 3.0), 1e-15);
    EXPECT_NEAR(hann2[i], hann[i] * hann[i], 1e-15);
    // Hann is sine squared: sin^2(pi i / n) = (1 - cos(2 pi i / n)) / 2.
    EXPECT_NEAR(hann[i], sine[i] * sine[i], 1e-15);
  }

  // Blackman-Harris is sampled half a sample in: its first value is w(0.5) with
  // n = 15, and it is symmetric about i = 7, not 7.5.
  double bh[16];
  FillFFTWindowTable(bh, 16, kFFTWindowBlackmanHarris);
  const double a = 2.0 * M_PI * 0.5 / 15.0;
  const double w0 = 0.35875 - 0.48829 * cos(a) + 0.14128 * cos(2 * a) - 0.01168 * cos(3 * a);
  EXPECT_NEAR(bh[0], w0 * w0, 1e-15);
  for (int i = 0; i < 15; ++i)
    EXPECT_NEAR(bh[i], bh[14 - i], 1e-15) << i;
  EXPECT_GT(std::fabs(bh[1] - bh[14]), 1e-6);

  double one[1] = {0.0};
  FillFFTWindowTable(one, 1, kFFTWindowHann); // no division by n - 1 = 0
  EXPECT_EQ(one[0], 1.0);
}

TEST(FFT, HermiteInterpolationPassesThroughAndKeepsLines)
{
  EXPECT_DOUBLE_EQ(HermiteInterpolate(5, 1, 7, -2, 0.0), 1.0);
  EXPECT_DOUBLE_EQ(HermiteInterpolate(5, 1, 7, -2, 1.0), 7.0);
  for (double t : {0.0, 0.25, 0.5, 0.9})
    EXPECT_NEAR(HermiteInterpolate(1, 3, 5, 7, t), 3 + 2 * t, 1e-14);
  // A quadratic is reproduced too: y = x^2 at x = -1, 0, 1, 2.
  EXPECT_NEAR(HermiteInterpolate(1, 0, 1, 4, 0.5), 0.25, 1e-14);
}

namespace
{
std::vector<double> Impulse(int n, double amp = 1.0)
{
  std::vector<double> s(size_t(n), 0.0);
  s[0] = amp;
  return s;
}
} // namespace

TEST(FreqResponseAnalysis, ImpulseAndSilenceInRawMode)
{
  IFreqResponseAnalysis a(200, 160, 512, kFFTWindowRectangular);
  a.SetDisplayMode(1);
  EXPECT_NEAR(a.GetOctaves(), 10.0, 1e-12);
  EXPECT_NEAR(a.GetDecadeSpan(), log10(1024.0), 1e-12);
  EXPECT_NEAR(a.GetLogLowFreq(), log10(20.0), 1e-15);

  const auto imp = Impulse(512);
  a.SetData(imp.data());
  EXPECT_DOUBLE_EQ(a.GetIRGain(), 1.0);
  for (int k = 0; k < 256; ++k)
    ASSERT_DOUBLE_EQ(a.GetMagnitudes()[k], 1.0);
  // 0 dB lies 30 of the 80 dB below the top.
  for (int c = 0; c < 200; ++c)
    ASSERT_NEAR(a.GetColumn(c), 160.0 / 80.0 * 30.0, 1e-9) << c;

  const std::vector<double> zeros(512, 0.0);
  a.SetData(zeros.data());
  EXPECT_TRUE(std::isinf(a.GetIRGain()));
  for (int c = 0; c < 200; ++c)
    ASSERT_EQ(a.GetColumn(c), 160.0) << c;

  a.SetData(nullptr); // ignored
  EXPECT_EQ(a.GetColumn(0), 160.0);
}

TEST(FreqResponseAnalysis, SmoothingFallsSlowlyAndRisesFast)
{
  const double h = 100.0;
  const double slow = exp(-1.0 / 30.0), fast = exp(-1.0 / 3.0);
  IFreqResponseAnalysis a(64, int(h), 256, kFFTWindowRectangular);
  ASSERT_EQ(a.GetDisplayMode(), 0);

  // Flat 0 dB: 37.5 rows down. The memory starts at 0 (the top), so the first
  // analysis is a fall and moves 1 - slow of the way.
  auto imp = Impulse(256);
  a.SetData(imp.data());
  const double first = 37.5 * (1.0 - slow);
  EXPECT_NEAR(a.GetColumn(10), first, 1e-9);
  EXPECT_NEAR(first / 37.5, 0.0328, 1e-4);

  // An amplitude of 30 lies 20 log10(30) dB higher, 1.25 rows per dB, above the
  // first result: a rise, 1 - fast of the way.
  imp[0] = 30.0;
  a.SetData(imp.data());
  const double target = 37.5 - 1.25 * 20.0 * log10(30.0);
  ASSERT_LT(target, first);
  const double second = (first - target) * fast + target;
  EXPECT_NEAR(a.GetColumn(10), second, 1e-9);
  EXPECT_NEAR((first - second) / (first - target), 0.2835, 1e-4);
}

TEST(FreqResponseAnalysis, ToneShowsAtItsLogAxisColumn)
{
  // A cosine exactly on bin 64 of 1024 at 44.1 kHz: 2756.25 Hz.
  const int n = 1024, width = 300;
  IFreqResponseAnalysis a(width, 100, n, kFFTWindowRectangular);
  a.SetDisplayMode(1);
  std::vector<double> s(n);
  for (int i = 0; i < n; ++i)
    s[size_t(i)] = cos(2.0 * M_PI * 64.0 * i / n);
  a.SetData(s.data());
  EXPECT_NEAR(a.GetIRGain(), 1.0 / 512.0, 1e-12);

  int best = 0;
  for (int c = 1; c < width; ++c)
    if (a.GetColumn(c) < a.GetColumn(best)) best = c;
  // Columns are equal steps of log frequency from 20 Hz over log10(1024) decades.
  const double expected = log10(2756.25 / 20.0) / log10(1024.0) * width;
  EXPECT_NEAR(best, expected, 2.0);
  EXPECT_NEAR(a.FreqAtX(best), 2756.25, 2756.25 * 0.03);
}

TEST(FreqResponseAnalysis, RefusedSettingsKeepThePreviousOnes)
{
  IFreqResponseAnalysis a(50, 50, 3, kFFTWindowHann); // invalid size: default
  EXPECT_EQ(a.GetFFTSize(), IFreqResponseAnalysis::kDefaultFFTSize);
  ASSERT_TRUE(a.SetFFTSize(64));
  for (int bad : {0, 2, 3, 48, -64, 1 << 21})
  {
    EXPECT_FALSE(a.SetFFTSize(bad)) << bad;
    EXPECT_EQ(a.GetFFTSize(), 64);
  }
  for (double bad : {0.0, -44100.0, double(NAN), double(INFINITY)})
    EXPECT_FALSE(a.SetSRate(bad));
  EXPECT_EQ(a.GetSRate(), 44100.0);

  struct
  {
    double lo, hi, range, offset;
  } badScales[] = {{0, 1000, 80, 30}, {-20, 1000, 80, 30}, {1000, 1000, 80, 30},
                   {20, 1000, 0, 30}, {20, NAN, 80, 30},   {20, 1000, 80, INFINITY}};
  for (const auto& s : badScales)
    EXPECT_FALSE(a.SetScale(s.lo, s.hi, s.range, s.offset));
  EXPECT_NEAR(a.GetOctaves(), 10.0, 1e-12);
  EXPECT_TRUE(a.SetScale(100, 10000, 60, 0));
  EXPECT_NEAR(a.GetDecadeSpan(), 2.0, 1e-12);
}

TEST(FreqResponseAnalysis, WindowKindSurvivesAResize)
{
  IFreqResponseAnalysis a(10, 10, 16, kFFTWindowRectangular);
  EXPECT_EQ(a.GetWindowTable()[0], 1.0);
  a.SetWindow(kFFTWindowHann);
  EXPECT_EQ(a.GetWindowTable()[0], 0.0);
  ASSERT_TRUE(a.SetFFTSize(32));
  EXPECT_EQ(a.GetWindow(), kFFTWindowHann);
  EXPECT_EQ(a.GetWindowTable()[0], 0.0);
  EXPECT_EQ(a.GetWindowTable()[31], 0.0);
}

TEST(FreqResponseAnalysis, WideGraphsAndFrequenciesPastNyquistStayInBounds)
{
  // 2000 columns (wider than any fixed memory), the smallest FFT and a larger one,
  // a top frequency far above Nyquist: the sanitizer build checks every access.
  for (int n : {4, 64})
  {
    IFreqResponseAnalysis a(2000, 80, n, kFFTWindowRectangular);
    ASSERT_TRUE(a.SetScale(20, 200000, 80, 30));
    auto imp = Impulse(n);
    for (int pass = 0; pass < 3; ++pass)
      a.SetData(imp.data());
    for (int c = 0; c < 2000; ++c)
    {
      ASSERT_GE(a.GetColumn(c), 0.0);
      ASSERT_LE(a.GetColumn(c), 80.0);
    }
    a.SetDisplayMode(1);
    a.SetData(imp.data());
    // Past Nyquist everything reads as silence: the bottom edge.
    if (n == 64)
    {
      EXPECT_EQ(a.GetColumn(1999), 80.0);
    }

    std::vector<double> nan(size_t(n), NAN);
    a.SetDisplayMode(0);
    a.SetData(nan.data());
    a.SetData(imp.data()); // a NaN never sticks in the smoothing memory
    for (int c = 0; c < 2000; ++c)
      ASSERT_FALSE(std::isnan(a.GetColumn(c))) << c;
  }
}
