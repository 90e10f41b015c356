#include "effect/FxDSP.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstring>
#include <memory>

namespace
{

using LD = long double;

struct Coeffs
{
  LD b0, b1, b2, a1, a2;
};

// Analog biquad (n2 s² + n1 s + n0) / (d2 s² + d1 s + d0) through the bilinear
// transform s = (1/K)(1 - z⁻¹)/(1 + z⁻¹), K = tan(w0/2): a derivation independent
// of the sin/cos/alpha form the filters are designed with.
Coeffs Bilinear(LD K, LD n2, LD n1, LD n0, LD d2, LD d1, LD d0)
{
  const LD B0 = n2 + n1 * K + n0 * K * K, B1 = 2 * (n0 * K * K - n2), B2 = n2 - n1 * K + n0 * K * K;
  const LD A0 = d2 + d1 * K + d0 * K * K, A1 = 2 * (d0 * K * K - d2), A2 = d2 - d1 * K + d0 * K * K;
  return {B0 / A0, B1 / A0, B2 / A0, A1 / A0, A2 / A0};
}

std::unique_ptr<FxDSP> MakeDsp()
{
  auto d = std::make_unique<FxDSP>();
  d->dspFullReset();
  return d;
}

// |H(e^{jw})| of slot s.
double Magnitude(const FxDSP& d, int s, double w)
{
  const std::complex<double> z1 = std::polar(1.0, -w), z2 = z1 * z1;
  return std::abs((d.b0[s] + d.b1[s] * z1 + d.b2[s] * z2) / (1.0 + d.a1[s] * z1 + d.a2[s] * z2));
}

bool SameCoeffs(const FxDSP& d, int s, int t)
{
  return d.b0[s] == d.b0[t] && d.b1[s] == d.b1[t] && d.b2[s] == d.b2[t] && d.a1[s] == d.a1[t] &&
         d.a2[s] == d.a2[t];
}

} // namespace

TEST(FxDSPBiquad, CoefficientsMatchBilinearPrototypes)
{
  struct Case
  {
    int type;
    double freq, bw, gainDb, rate;
  };
  const Case cases[] = {
      {0, 650, 1.4, 0, 44100},      {0, 7500, 1.5, 0, 48000}, {1, 730, 1.4, 0, 44100},
      {1, 9700, 0.555, 0, 96000},   {2, 1000, 1, 0, 44100},   {2, 50, 2.5, 0, 48000},
      {3, 440, 0.3, 0, 44100},      {3, 12000, 1, 0, 48000},  {4, 200, 2, 30, 44100},
      {4, 5910, 0.1, -28.8, 44100}, {4, 1200, 3, -18, 96000}, {6, 9500, 1, -21, 44100},
      {6, 3100, 3, 12, 48000},
  };
  for (const Case& c : cases)
  {
    auto d = MakeDsp();
    d->biquadFilterInit(3, c.type, c.freq, c.bw, c.gainDb, c.rate);

    const LD w0 = 2 * 3.14159265358979323846L * c.freq / c.rate;
    const LD K = std::tan(w0 / 2);
    const LD Q = 1 / (2 * std::sinh(std::log(2.0L) / 2 * c.bw * w0 / std::sin(w0)));
    const LD A = std::pow(10.0L, c.gainDb / 40.0L);
    Coeffs r{};
    switch (c.type)
    {
    case 0:
      r = Bilinear(K, 0, 0, 1, 1, 1 / Q, 1);
      break;
    case 1:
      r = Bilinear(K, 1, 0, 0, 1, 1 / Q, 1);
      break;
    case 2:
      r = Bilinear(K, 0, 1 / Q, 0, 1, 1 / Q, 1);
      break;
    case 3:
      r = Bilinear(K, 1, 0, 1, 1, 1 / Q, 1);
      break;
    case 4:
      r = Bilinear(K, 1, A / Q, 1, 1, 1 / (A * Q), 1);
      break;
    case 6: // shelf slope 1, Q = 1/√2
      r = Bilinear(K, A * A, A * std::sqrt(2 * A), A, 1, std::sqrt(2 * A), A);
      break;
    }
    SCOPED_TRACE(testing::Message() << "type " << c.type << " at " << c.freq << " Hz");
    EXPECT_NEAR(d->b0[3], double(r.b0), 1e-12 * (1 + std::fabs(double(r.b0))));
    EXPECT_NEAR(d->b1[3], double(r.b1), 1e-12 * (1 + std::fabs(double(r.b1))));
    EXPECT_NEAR(d->b2[3], double(r.b2), 1e-12 * (1 + std::fabs(double(r.b2))));
    EXPECT_NEAR(d->a1[3], double(r.a1), 1e-12);
    EXPECT_NEAR(d->a2[3], double(r.a2), 1e-12);
  }
}

TEST(FxDSPBiquad, LowShelfUsesSkewedCosineAndSlope)
{
  // The shelf multiplied out by hand in c = cos(0.41 w0) and g = √A sin(w0) / 1.41,
  // e.g. a0 = A(1 + c) + (1 - c) + g, evaluated in long double.
  const double rates[] = {44100, 48000};
  const double gains[] = {-12, 0.5, 9};
  for (double rate : rates)
    for (double gainDb : gains)
    {
      auto d = MakeDsp();
      d->biquadFilterInit(0, FxDSP::kLowShelf, 300, 1.0, gainDb, rate);
      const LD w0 = 2 * 3.14159265358979323846L * 300 / rate;
      const LD A = std::pow(10.0L, gainDb / 40.0L);
      const LD c = std::cos(w0 * LD(0.41f)), g = std::sqrt(A) * std::sin(w0) / LD(1.41f);
      const LD a0 = A * (1 + c) + (1 - c) + g;
      const LD b0 = A * A * (1 - c) + A * (1 + c) + A * g;
      const LD b1 = 2 * A * (A * (1 - c) - (1 + c));
      const LD b2 = A * A * (1 - c) + A * (1 + c) - A * g;
      const LD a1 = -2 * (A * (1 + c) - (1 - c));
      const LD a2 = A * (1 + c) + (1 - c) - g;
      SCOPED_TRACE(testing::Message() << gainDb << " dB at " << rate);
      EXPECT_NEAR(d->b0[0], double(b0 / a0), 1e-12);
      EXPECT_NEAR(d->b1[0], double(b1 / a0), 1e-12);
      EXPECT_NEAR(d->b2[0], double(b2 / a0), 1e-12);
      EXPECT_NEAR(d->a1[0], double(a1 / a0), 1e-12);
      EXPECT_NEAR(d->a2[0], double(a2 / a0), 1e-12);
      // Whatever the skew, the shelf reaches A² at DC and unity at Nyquist.
      EXPECT_NEAR(Magnitude(*d, 0, 0.0), std::pow(10.0, gainDb / 20), 1e-9);
      EXPECT_NEAR(Magnitude(*d, 0, M_PI), 1.0, 1e-9);
    }
}

TEST(FxDSPBiquad, TypeSelectionAndIgnoredArguments)
{
  auto d = MakeDsp();
  d->biquadFilterInit(0, FxDSP::kLowPass, 1000, 1.2, 0, 44100);
  // Unknown types design the low-pass; low-pass ignores the gain.
  d->biquadFilterInit(1, 7, 1000, 1.2, 0, 44100);
  d->biquadFilterInit(2, -1, 1000, 1.2, 0, 44100);
  d->biquadFilterInit(3, 1000, 1000, 1.2, -30, 44100);
  for (int s = 1; s <= 3; ++s)
    EXPECT_TRUE(SameCoeffs(*d, 0, s)) << s;

  // Filters without gain ignore it; shelves ignore the bandwidth.
  for (int type : {1, 2, 3})
  {
    d->biquadFilterInit(4, type, 2000, 0.7, 0, 48000);
    d->biquadFilterInit(5, type, 2000, 0.7, 24, 48000);
    EXPECT_TRUE(SameCoeffs(*d, 4, 5)) << type;
  }
  for (int type : {5, 6})
  {
    d->biquadFilterInit(4, type, 2000, 0.2, -6, 48000);
    d->biquadFilterInit(5, type, 2000, 3.0, -6, 48000);
    EXPECT_TRUE(SameCoeffs(*d, 4, 5)) << type;
  }

  // A 0 dB peak is an identity filter: numerator and denominator coincide exactly.
  d->biquadFilterInit(6, FxDSP::kPeaking, 800, 1, 0, 44100);
  EXPECT_EQ(d->b0[6], 1.0);
  EXPECT_EQ(d->b1[6], d->a1[6]);
  EXPECT_EQ(d->b2[6], d->a2[6]);
}

TEST(FxDSPBiquad, DirectFormOneByHand)
{
  auto d = MakeDsp();
  // Exact binary coefficients so every sample can be worked by hand.
  d->b0[7] = 1, d->b1[7] = 2, d->b2[7] = 3, d->a1[7] = 0.5, d->a2[7] = 0.25;
  // y[n] = x[n] + 2x[n-1] + 3x[n-2] - 0.5y[n-1] - 0.25y[n-2], impulse in.
  const double expected[] = {1, 1.5, 2, -1.375, 0.1875, 0.25};
  for (int n = 0; n < 6; ++n)
  {
    double out;
    d->biquadFilterProcess(7, n == 0 ? 1.0 : 0.0, out);
    EXPECT_EQ(out, expected[n] + 1e-20) << n;
    EXPECT_EQ(d->y1[7], expected[n]) << "stored output excludes the offset";
  }
  EXPECT_EQ(d->y2[7], expected[4]);
  EXPECT_EQ(d->x1[7], 0.0);

  // Resetting clears the state of every slot but keeps coefficients.
  d->biquadFilterReset();
  EXPECT_EQ(d->y1[7], 0.0);
  EXPECT_EQ(d->y2[7], 0.0);
  EXPECT_EQ(d->b2[7], 3.0);
  for (int n = 0; n < 4; ++n)
  {
    double out;
    d->biquadFilterProcess(7, 0.0, out);
    EXPECT_EQ(out, 1e-20);
  }
  EXPECT_EQ(d->y1[7], 0.0);
  EXPECT_EQ(d->x1[7], 0.0);
}

TEST(FxDSPOnePole, StepResponsesFollowThePole)
{
  const double freq = 723.4310302734375, rate = 44100;
  const double c = std::exp(-2 * M_PI * freq / rate);
  auto d = MakeDsp();
  d->OnePoleLPFilterInit(4, freq, rate);
  d->OnePoleHPFilterInit(4, freq, rate);
  EXPECT_NEAR(d->lpA0[4], 1 - c, 1e-15);
  EXPECT_NEAR(d->hpB1[4], -c, 1e-15);
  for (int n = 1; n <= 50; ++n)
  {
    double lo, hi;
    d->OnePoleLPFilterProcess(4, 1.0, lo);
    d->OnePoleHPFilterProcess(4, 1.0, hi);
    // Unit step: the low-pass approaches 1 as 1 - cⁿ, the high-pass decays as cⁿ.
    EXPECT_NEAR(lo, 1 - std::pow(c, n), 1e-13) << n;
    EXPECT_NEAR(hi, std::pow(c, n), 1e-13) << n;
  }
}

TEST(FxDSPReset, ClearedSlotsPassOnlyTheOffset)
{
  auto d = std::make_unique<FxDSP>();
  // Whatever the memory held before, a full reset leaves every slot at zero.
  std::memset(static_cast<void*>(d.get()), 0x5a, sizeof(FxDSP));
  d->dspFullReset();
  for (double x : {0.0, 1.0, -0.3, 1e6})
  {
    double out;
    d->biquadFilterProcess(31, x, out);
    EXPECT_EQ(out, 1e-20);
    d->OnePoleLPFilterProcess(7, x, out);
    EXPECT_EQ(out, 1e-20);
    d->OnePoleHPFilterProcess(0, x, out);
    EXPECT_EQ(out, x + 1e-20);
  }
  EXPECT_EQ(d->hpZ[0], 0.0);
}

TEST(FxDSPShapers, Distortion2Curve)
{
  double out;
  FxDSP::distortion2(1.0, 0.5, 1, out);
  EXPECT_EQ(out, 0.5);
  FxDSP::distortion2(0.1, 0.5, 1, out);
  EXPECT_DOUBLE_EQ(out, 0.375);
  FxDSP::distortion2(0.0, 0.5, 1, out);
  EXPECT_EQ(out, 0.0);
  FxDSP::distortion2(-7.0, 0.5, 3, out);
  EXPECT_EQ(out, -0.5);

  // Below the knee it is level·(2u - u|u|) in u = 5y: odd, monotonic, meeting ±level.
  for (double y = -0.199; y < 0.2; y += 0.0131)
  {
    const double u = 5 * y;
    FxDSP::distortion2(y / 4, 0.5, 4, out);
    EXPECT_NEAR(out, 0.5 * (2 * u - u * std::fabs(u)), 1e-15) << y;
  }
  FxDSP::distortion2(0.19999999, 1, 1, out);
  EXPECT_NEAR(out, 1.0, 1e-12);
}

TEST(FxDSPShapers, OtherShapersAndMixer)
{
  double out;
  FxDSP::distortion(0.05, 0.5, 2, out);
  EXPECT_DOUBLE_EQ(out, 0.5 * std::tanh(1.0));

  const struct
  {
    double x, hi, lo, out;
  } lim[] = {{0.3, 1, -1, 0.3}, {2, 1, -1, 1}, {-2, 1, -1, -1}, {0, -1, 1, 1}};
  for (const auto& l : lim)
  {
    FxDSP::limiter(l.x, l.hi, l.lo, out);
    EXPECT_EQ(out, l.out) << l.x;
  }

  // fuzzdrive: slope 0.1 below zero (floor -0.5), clipped tanh above (ceiling 0.5).
  FxDSP::fuzzdrive(-1, 0.5, 2, out);
  EXPECT_DOUBLE_EQ(out, -0.2);
  FxDSP::fuzzdrive(-10, 0.5, 1, out);
  EXPECT_EQ(out, -0.5);
  FxDSP::fuzzdrive(0.01, 0.5, 1, out);
  EXPECT_DOUBLE_EQ(out, 0.5 * std::tanh(0.1));
  FxDSP::fuzzdrive(1, 2, 1, out);
  EXPECT_EQ(out, 0.5);

  FxDSP::fuzzdrive2(-0.3, 0.5, 1, out); // -0.3 + 0
  EXPECT_DOUBLE_EQ(out, -0.3);
  FxDSP::fuzzdrive2(1, 0.5, 1, out); // 0 + 0.5
  EXPECT_EQ(out, 0.5);
  FxDSP::fuzzdrive2(-2, 0.5, 1, out); // -0.5 + 0
  EXPECT_EQ(out, -0.5);

  FxDSP::fuzzdrive3(0, 0.5, 1, out);
  EXPECT_EQ(out, -0.2);
  FxDSP::fuzzdrive3(1, 0.5, 1, out); // 0.3 - 0.2
  EXPECT_DOUBLE_EQ(out, 0.1);
  FxDSP::fuzzdrive3(-0.2, 0.5, 1, out); // 0 + 0.02
  EXPECT_EQ(out, 0.02);

  const struct
  {
    double mix, out;
  } mixes[] = {{0.5, 3}, {2, 3}, {-0.5, 7}, {-9, 7}, {0, 5}, {0.25, 4}};
  for (const auto& m : mixes)
  {
    FxDSP::xmix(3, 7, m.mix, out);
    EXPECT_EQ(out, m.out) << m.mix;
  }
}
