#include "effect/Quorvane.h"
#include "effect/QuorvaneIdentity.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{

using QuorvaneIdentity::kEffectName;
using QuorvaneIdentity::kMfrID;
using QuorvaneIdentity::kMfrName;
using QuorvaneIdentity::kProductName;
using QuorvaneIdentity::kUniqueID;
using QuorvaneIdentity::kVersion;

// Identity handed to the plug-in base (names and numbers in QuorvaneIdentity.h).
constexpr const char* kChannelIO = "1-1 2-2";
constexpr int kNumPresets = 1;
constexpr int kLatency = 0;

// Normalises the level curve so that "Level" 0 maps to zero gain.
const double c1 = 1.0 / (1.0 - std::exp(-3.0));

// Slot plan of the chain (biquads unless named otherwise).
enum
{
  kInputLP = 0,
  kAIn = 1,
  kAOut = 2,
  kDHP = 3,
  kDLP = 4,
  kDBandLo = 5,
  kDBandHi = 6,
  kDBandTop = 7,
  kEqLow = 8,
  kEqMid = 9,
  kEqHigh = 10,
  kCabFirst = 11,
  kCabLast = 25
};

// The two odd one-pole frequencies are the single-precision values of 720.484 and
// 723.431 Hz, used exactly.
constexpr double kHz720 = 720.4840087890625;
constexpr double kHz723 = 723.4310302734375;

// A biquad designed at or above Nyquist has its poles on or outside the unit circle
// and its output runs off to infinity for good; below a 20.2 kHz rate the highest
// stages would be. Their frequency is held at 0.46 of the rate instead: close enough
// to Nyquist for 3-octave bands to keep a safe pole margin, and high enough to leave
// every design at 22.05 kHz and above untouched (the top stage is 10.1 kHz).
//
// Gains beyond +-120 dB come only from parameter values outside a knob's range (a
// host may send any normalised value, and parameters are not clamped at their
// minimum). A cut much deeper than that puts a peaking filter's poles on the unit
// circle, and from about -12900 dB its design is NaN, which the filter state never
// recovers from; the gain is held at the limit instead.
constexpr double kGainLimitDb = 120.0;

inline void DesignBiquad(FxDSP& d, int slot, int type, double freq, double bw, double gainDb,
                         double rate)
{
  const double highest = 0.46 * rate;
  const double gain = std::max(-kGainLimitDb, std::min(gainDb, kGainLimitDb));
  d.biquadFilterInit(slot, type, freq < highest ? freq : highest, bw, gain, rate);
}

struct CabStage
{
  int type;
  double freq, bw, gainDb;
};

const CabStage kCabinet[kCabLast - kCabFirst + 1] = {
    {FxDSP::kHighShelf, 9500, 1, -21},    {FxDSP::kPeaking, 100, 1, 7.2},
    {FxDSP::kPeaking, 7250, 1, 5.4},      {FxDSP::kPeaking, 750, 1, -6},
    {FxDSP::kPeaking, 1400, 0.5, -5.7},   {FxDSP::kPeaking, 5500, 0.2, 10.8},
    {FxDSP::kPeaking, 5910, 0.1, -28.8},  {FxDSP::kPeaking, 3300, 1.6, 26.1},
    {FxDSP::kPeaking, 4300, 0.2, 7.2},    {FxDSP::kHighShelf, 7500, 1, -29.7},
    {FxDSP::kPeaking, 400, 1, -4.2},      {FxDSP::kPeaking, 1650, 0.3, 3.9},
    {FxDSP::kPeaking, 7000, 1, 8.4},      {FxDSP::kPeaking, 8700, 0.1, -28.5},
    {FxDSP::kHighShelf, 10100, 1, -14.4},
};

// The chain's stages as free functions over one FxDSP, so the block loop can run
// them on a local copy whose state the compiler may keep in registers (the output
// buffers cannot alias a local).
inline void StageDriveA(FxDSP& d, double drive, double x, double& out)
{
  double t, u, v, w;
  d.biquadFilterProcess(kDHP, x, t);
  d.biquadFilterProcess(kDLP, t, t);
  FxDSP::distortion2(t, 0.5, drive * 500.0, t);
  d.OnePoleLPFilterProcess(3, t, t);
  d.biquadFilterProcess(kDBandLo, t, u);
  d.biquadFilterProcess(kDBandHi, t, v);
  v = v * 2.1;
  d.biquadFilterProcess(kDBandTop, t, w);
  out = w * 1.305 + (u * 1.017 + v * 1.593);
}

inline void StageClipperA(FxDSP& d, double x, double& out)
{
  double q, h, s;
  d.biquadFilterProcess(kAIn, x, q);
  d.OnePoleHPFilterProcess(0, q, h);
  FxDSP::distortion2(h, 0.5, 32.4, s);
  q = q + s;
  d.OnePoleLPFilterProcess(0, q, q);
  d.biquadFilterProcess(kAOut, q, out);
}

inline void StageClipperB(FxDSP& d, double drive, double x, double& out)
{
  double r, lo, hi;
  d.OnePoleLPFilterProcess(1, x, r);
  d.OnePoleHPFilterProcess(1, r, r);
  FxDSP::distortion2(r, 0.5, drive * 75.0 + 3.0, r);
  FxDSP::distortion2(r, 0.5, 1.0, r);
  d.OnePoleLPFilterProcess(2, r, lo);
  d.OnePoleHPFilterProcess(2, r, hi);
  out = (hi * -0.07 + lo) * 0.6;
}

inline void StageCab(FxDSP& d, double x, double& out)
{
  for (int s = kCabFirst; s <= kCabLast; ++s)
    d.biquadFilterProcess(s, x, x);
  out = x;
}

// Biquads first..last in series.
inline double Series(FxDSP& d, int first, int last, double x)
{
  for (int s = first; s <= last; ++s)
    d.biquadFilterProcess(s, x, x);
  return x;
}

// Frames per pass of the block loop (two stack buffers of this many doubles).
constexpr int kChunk = 128;

} // namespace

std::atomic<uint32_t> Quorvane::rand_state{1};

Quorvane::Quorvane(IEffectInstanceInfo info)
    : QuorvaneBinding(info, kNumParams, kChannelIO, kNumPresets, kEffectName, kProductName,
                      kMfrName, kVersion, kUniqueID, kMfrID, kLatency, false, false, false, 0),
      mCurrentRate(GetSampleRate())
{
  GetParam(kLevel)->InitDouble("Level", 0.5, 0.0, 1.0, 0.001, "", "", 1.0);
  GetParam(kDrive)->InitDouble("Drive", 0.5, 0.0, 1.0, 0.001, "", "", 1.0);
  GetParam(kLow)->InitDouble("Low", 0.5, 0.0, 1.0, 0.001, "", "", 1.0);
  GetParam(kMid)->InitDouble("Mid", 0.5, 0.0, 1.0, 0.001, "", "", 1.0);
  GetParam(kHigh)->InitDouble("High", 0.5, 0.0, 1.0, 0.001, "", "", 1.0);
  IParam* effect = GetParam(kEffect);
  effect->InitEnum("Effect", 1, 2, "", "");
  effect->SetDisplayText(0, "Off");
  effect->SetDisplayText(1, "On");

  // Doubles for the five knobs, an int for the enum: the values are read as varargs.
  MakePreset("Init", 0.5, 0.5, 0.5, 0.5, 0.5, 1);
  // Fills any slot MakePreset left empty (with one slot, none).
  MakeDefaultPreset("Init", 15);

  // Before Init, so that Init's OnParamChange lights the LED for "Effect" on.
  MakeEditor();
  Init();
}

Quorvane::~Quorvane() = default;

void Quorvane::add_white_noise(float& x)
{
  const uint32_t state = rand_state.load(std::memory_order_relaxed) * 1234567u + 890123u;
  rand_state.store(state, std::memory_order_relaxed);
  // Sign from bit 31, exponent field 60 (2^-67), top seven mantissa bits from bits 16-22.
  const uint32_t bits = (state & 0x807F0000u) | 0x1E000000u;
  float n;
  std::memcpy(&n, &bits, sizeof n);
  x += n;
}

void Quorvane::Init()
{
  OnParamChange(kLevel);
  OnParamChange(kDrive);
  OnParamChange(kEffect);
  OnParamChange(kLow);
  OnParamChange(kMid);
  OnParamChange(kHigh);

  mCurrentRate = GetSampleRate();
  mInitRate = mCurrentRate;
  const double sr = mCurrentRate;

  mDsp.dspFullReset();
  DesignBiquad(mDsp, kInputLP, FxDSP::kLowPass, 650, 1.4, 0, sr);
  DesignBiquad(mDsp, kAIn, FxDSP::kLowPass, 2000, 1.4, 0, sr);
  DesignBiquad(mDsp, kAOut, FxDSP::kHighShelf, 3100, 3, 12, sr);
  mDsp.OnePoleHPFilterInit(0, kHz720, sr);
  mDsp.OnePoleLPFilterInit(0, kHz723, sr);
  mDsp.OnePoleHPFilterInit(1, kHz720, sr);
  mDsp.OnePoleLPFilterInit(1, 2000, sr);
  mDsp.OnePoleHPFilterInit(2, kHz723, sr);
  mDsp.OnePoleLPFilterInit(2, 2700, sr);
  mDsp.OnePoleLPFilterInit(3, 6500, sr);
  DesignBiquad(mDsp, kDHP, FxDSP::kHighPass, 730, 1.4, 0, sr);
  DesignBiquad(mDsp, kDLP, FxDSP::kLowPass, 650, 1.4, 0, sr);
  DesignBiquad(mDsp, kDBandLo, FxDSP::kLowPass, 400, 0.755, 0, sr);
  DesignBiquad(mDsp, kDBandHi, FxDSP::kHighPass, 9700, 0.555, 0, sr);
  DesignBiquad(mDsp, kDBandTop, FxDSP::kLowPass, 7500, 1.5, 0, sr);
  DesignBiquad(mDsp, kEqLow, FxDSP::kPeaking, 200, 2, 40.0 * GetParam(kLow)->Value() - 10.0, sr);
  DesignBiquad(mDsp, kEqMid, FxDSP::kPeaking, 1200, 3, 36.0 * GetParam(kMid)->Value() - 18.0, sr);
  DesignBiquad(mDsp, kEqHigh, FxDSP::kPeaking, 6000, 3, 36.0 * GetParam(kHigh)->Value() - 18.0, sr);
  for (int s = kCabFirst; s <= kCabLast; ++s)
  {
    const CabStage& c = kCabinet[s - kCabFirst];
    DesignBiquad(mDsp, s, c.type, c.freq, c.bw, c.gainDb, sr);
  }

  // Entry i is the single-precision sum of the first i + 1 draws.
  float acc = 0.0f;
  for (int i = 0; i < kNoiseLen; ++i)
  {
    add_white_noise(acc);
    mNoise[i] = acc;
  }
}

void Quorvane::OnParamChange(int paramIdx)
{
  UTL_MutexLock lock(mMutex);
  const IParam* param = GetParam(paramIdx);
  if (!param) return;
  const double v = param->Value();

  switch (paramIdx)
  {
  case kLevel:
    mLevelGain = 1.0 - (1.0 - std::exp((v * -0.5 + 1.0) * -3.0)) * c1;
    break;
  case kDrive:
    mDrive = v;
    break;
  case kLow:
    DesignBiquad(mDsp, kEqLow, FxDSP::kPeaking, 200, 2, 40.0 * v - 10.0, mCurrentRate);
    break;
  case kMid:
    DesignBiquad(mDsp, kEqMid, FxDSP::kPeaking, 1200, 3, 36.0 * v - 18.0, mCurrentRate);
    break;
  case kHigh:
    DesignBiquad(mDsp, kEqHigh, FxDSP::kPeaking, 6000, 3, 36.0 * v - 18.0, mCurrentRate);
    break;
  case kEffect:
    // The value truncated toward zero: 1 switches on, 0 off, anything else (NaN
    // included) is ignored. Compared as doubles, since converting an out-of-range
    // double to int is undefined.
    if (v >= 1.0 && v < 2.0)
    {
      if (mGraphics) mGraphics->SetControlFromPlug(mLedIdx, 1.0);
      mEffectOn = true;
    }
    else if (v > -1.0 && v < 1.0)
    {
      if (mGraphics) mGraphics->SetControlFromPlug(mLedIdx, 0.0);
      mEffectOn = false;
    }
    break;
  default:
    break;
  }
}

void Quorvane::Reset()
{
  UTL_MutexLock lock(mMutex);
  const double rate = GetSampleRate();
  // A rate that is not a positive finite number (or is subnormal, where the design
  // frequencies underflow to 0) would design NaN filters whose state never
  // recovers; the current design is kept instead.
  if (!(std::isnormal(rate) && rate > 0.0)) return;
  mCurrentRate = rate;
  if (mCurrentRate != mInitRate)
  {
    mInitRate = mCurrentRate;
    Init();
  }
}

void Quorvane::DriveA(double x, double& out)
{
  StageDriveA(mDsp, mDrive, x, out);
}

void Quorvane::ClipperA(double x, double& out)
{
  StageClipperA(mDsp, x, out);
}

void Quorvane::ClipperB(double x, double& out)
{
  StageClipperB(mDsp, mDrive, x, out);
}

void Quorvane::Cab(double x, double& out)
{
  StageCab(mDsp, x, out);
}

void Quorvane::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames)
{
  if (nFrames <= 0) return;
  const double* in0 = inputs[0];
  const double* in1 = inputs[1];
  double* out0 = outputs[0];
  double* out1 = outputs[1];

  if (!mEffectOn)
  {
    // Mono sum, not an average; the filters keep their state for when it returns.
    for (int i = 0; i < nFrames; ++i)
    {
      const double s = in0[i] + in1[i];
      out1[i] = s;
      out0[i] = s;
    }
    return;
  }

  // Work on a local copy of the filter bank: the output buffers cannot alias it, so
  // the compiler need not reload the state after every store.
  FxDSP dsp = mDsp;
  const double drive = mDrive, levelGain = mLevelGain;

  // One sample's path runs through some twenty biquads in series, too long for the
  // processor to overlap consecutive samples. So each chunk goes through the chain
  // in passes, each pass a shorter path; every stage still sees its samples in
  // order, so the output is bit for bit that of the sample-by-sample chain.
  double pre[kChunk], mid[kChunk];
  int noiseIdx = 0;
  for (int start = 0; start < nFrames; start += kChunk)
  {
    const int n = nFrames - start < kChunk ? nFrames - start : kChunk;
    const double* a = in0 + start;
    const double* b = in1 + start;
    double* o0 = out0 + start;
    double* o1 = out1 + start;

    // Input low-pass and branch D (which takes the unfiltered input).
    for (int i = 0; i < n; ++i)
    {
      const double x = a[i] + b[i] + mNoise[noiseIdx];
      // Blocks longer than the noise table wrap around it.
      if (++noiseIdx == kNoiseLen) noiseIdx = 0;
      dsp.biquadFilterProcess(kInputLP, x, pre[i]);
      StageDriveA(dsp, drive, x, mid[i]);
    }
    // Branches A and B, the mix and the level.
    for (int i = 0; i < n; ++i)
    {
      double A, B;
      StageClipperA(dsp, pre[i], A);
      StageClipperB(dsp, drive, pre[i], B);
      mid[i] = (mid[i] + A + B) * levelGain;
    }
    // Equaliser and cabinet.
    for (int i = 0; i < n; ++i)
      mid[i] = Series(dsp, kEqLow, 15, mid[i]);
    for (int i = 0; i < n; ++i)
      mid[i] = Series(dsp, 16, 20, mid[i]);
    for (int i = 0; i < n; ++i)
    {
      const double y = Series(dsp, 21, kCabLast, mid[i]);
      o1[i] = y;
      o0[i] = y;
    }
  }
  mDsp = dsp;
}
