#pragma once
// The overdrive's signal-processing toolkit: 32 biquad slots, 8 one-pole low-pass
// and 8 one-pole high-pass slots, stateless waveshapers and a crossfader.
//
// Output must match a reference to the last bit, so every expression below keeps
// the reference's order of operations (the build forbids fused multiply-adds).
// Slot numbers are not checked: the owner keeps them in range.
// Every filter output gets 1e-20 added (keeps denormals away downstream); the
// stored state never includes it.
#include <cmath>

class FxDSP
{
public:
  static constexpr int kBiquadSlots = 32;
  static constexpr int kOnePoleSlots = 8;

  // Biquad types; anything outside 0..6 designs a low-pass.
  enum
  {
    kLowPass = 0,
    kHighPass = 1,
    kBandPass = 2,
    kNotch = 3,
    kPeaking = 4,
    kLowShelf = 5,
    kHighShelf = 6
  };

  // Waveshapers: x is the input, level an output scale, drive a gain applied to x first.
  static void distortion(double x, double level, double drive, double& out)
  {
    out = level * std::tanh(x * drive * 10.0);
  }

  // Quadratic soft clip: 10·level·(y − y|y|/0.4) below |y| = 0.2, ±level above.
  static void distortion2(double x, double level, double drive, double& out)
  {
    const double y = x * drive;
    if (std::fabs(y) >= 0.2)
    {
      const double s = y >= 0.0 ? 0.1 : -0.1;
      out = s * level * 10.0;
    }
    else
    {
      out = y * (1.0 + std::fabs(y) / -0.4) * level * 10.0;
    }
  }

  static void limiter(double x, double hi, double lo, double& out)
  {
    if (lo > x)
      out = lo;
    else if (hi < x)
      out = hi;
    else
      out = x;
  }

  // Negative half: slope 0.1 limited at -0.5; positive half: tanh limited at +0.5.
  static void fuzzdrive(double x, double level, double drive, double& out)
  {
    const double y = x * drive;
    out = Clamp(0.1 * y, -0.5, 0.0) + Clamp(level * std::tanh(10.0 * y), 0.0, 0.5);
  }

  static void fuzzdrive2(double x, double level, double drive, double& out)
  {
    const double y = x * drive;
    double s;
    distortion2(x, level, drive, s);
    out = Clamp(y, -0.5, 0.0) + Clamp(s, 0.0, 0.5);
  }

  static void fuzzdrive3(double x, double level, double drive, double& out)
  {
    const double y = x * drive;
    double s;
    distortion2(x, level, drive, s);
    const double k = y > -0.2 ? -0.2 : 0.02;
    out = Clamp(s, 0.0, 0.3) + k;
  }

  // mix +0.5 gives a alone, -0.5 gives b alone; beyond that it saturates.
  static void xmix(double a, double b, double mix, double& out)
  {
    const double m = Clamp(mix, -0.5, 0.5);
    out = (m + 0.5) * a + (0.5 - m) * b;
  }

  // freq in Hz, bandwidth in octaves, gainDb in dB. Coefficients only; state is kept
  // so that a redesign while audio runs takes effect from the next sample.
  void biquadFilterInit(int slot, int type, double freq, double bandwidth, double gainDb,
                        double sampleRate);

  // Direct form I: y = b0 x + b1 x1 + b2 x2 - a1 y1 - a2 y2 (summed in this order).
  void biquadFilterProcess(int slot, double x, double& out)
  {
    const double y = b0[slot] * x + b1[slot] * x1[slot] + b2[slot] * x2[slot] -
                     a1[slot] * y1[slot] - a2[slot] * y2[slot];
    x2[slot] = x1[slot];
    x1[slot] = x;
    y2[slot] = y1[slot];
    y1[slot] = y;
    out = y + 1e-20;
  }

  // Zeroes the state of every biquad slot, keeping the coefficients.
  void biquadFilterReset();

  void OnePoleLPFilterInit(int slot, double freq, double sampleRate);
  void OnePoleHPFilterInit(int slot, double freq, double sampleRate);

  // z = (1 - c) x + c z, written with the stored b1 = -c.
  void OnePoleLPFilterProcess(int slot, double x, double& out)
  {
    lpZ[slot] = lpA0[slot] * x - lpB1[slot] * lpZ[slot];
    out = lpZ[slot] + 1e-20;
  }

  // The input minus its own low-passed version.
  void OnePoleHPFilterProcess(int slot, double x, double& out)
  {
    hpZ[slot] = hpA0[slot] * x - hpB1[slot] * hpZ[slot];
    out = x - hpZ[slot] + 1e-20;
  }

  // Zeroes every coefficient and every state of all slots. The object has no
  // constructor; its owner calls this before designing any slot.
  void dspFullReset();

  // Biquad coefficients (a0 divided out), then state, indexed by slot.
  double b0[kBiquadSlots], b1[kBiquadSlots], b2[kBiquadSlots], a1[kBiquadSlots], a2[kBiquadSlots];
  double x1[kBiquadSlots], x2[kBiquadSlots], y1[kBiquadSlots], y2[kBiquadSlots];
  // One-pole low-pass: gain, feedback coefficient, state.
  double lpA0[kOnePoleSlots], lpB1[kOnePoleSlots], lpZ[kOnePoleSlots];
  // One-pole high-pass: gain, feedback coefficient, state of its inner low-pass.
  double hpA0[kOnePoleSlots], hpB1[kOnePoleSlots], hpZ[kOnePoleSlots];

private:
  // lo when v < lo, hi when v > hi, else v (NaN passes through).
  static double Clamp(double v, double lo, double hi)
  {
    if (v < lo) return lo;
    if (v > hi) return hi;
    return v;
  }
};
