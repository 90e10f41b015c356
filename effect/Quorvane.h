#pragma once
// The overdrive: three parallel distortion branches on the summed input, an output
// level, a three-band equaliser and a fifteen-stage cabinet, the same mono result
// on both outputs. "Effect" off passes the mono sum through.
#include "effect/QuorvaneBinding.h"
#include "effect/FxDSP.h"

#include <atomic>
#include <cstdint>

class Quorvane : public QuorvaneBinding
{
public:
  enum EParams
  {
    kLevel = 0,
    kDrive,
    kLow,
    kMid,
    kHigh,
    kEffect,
    kNumParams
  };

  // Entries of the precomputed noise; sample i of a block reads entry i mod kNoiseLen.
  static constexpr int kNoiseLen = 44100;

  // Noise generator state, shared by every instance in the process. Only Init
  // draws from it; concurrent draws may interleave, which only changes which tiny
  // values come out.
  static std::atomic<uint32_t> rand_state;

  explicit Quorvane(IEffectInstanceInfo info);
  ~Quorvane() override;

  void Reset() override;
  void OnParamChange(int paramIdx) override;
  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override;

  // Designs every filter for the instance's sample rate and redraws the noise.
  void Init();

  // One sample through one stage of the chain (they advance that stage's filters).
  void DriveA(double x, double& out);
  void ClipperA(double x, double& out);
  void ClipperB(double x, double& out);
  void Cab(double x, double& out);

  // Adds one draw of the shared generator: a float of magnitude 6.8e-21 to 1.35e-20.
  static void add_white_noise(float& x);

  // Read access for tests and tools.
  const FxDSP& GetDsp() const { return mDsp; }
  const double* GetNoise() const { return mNoise; }
  double GetCurrentRate() const { return mCurrentRate; }
  double GetLevelGain() const { return mLevelGain; }
  double GetDrive() const { return mDrive; }
  bool IsEffectOn() const { return mEffectOn; }

protected:
  // Builds the editor with its controls and attaches it (QuorvaneEditor.cpp).
  void MakeEditor();

  double mCurrentRate;    // Hz the filters are designed for
  double mInitRate = 0.0; // Hz at which Init last ran
  double mLevelGain = 0.0;
  double mDrive = 0.0;
  int mLedIdx = -1; // editor index of the LED, set by the editor layout
  bool mEffectOn = true;
  FxDSP mDsp{};
  double mNoise[kNoiseLen];
};
