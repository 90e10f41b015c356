// The benchmark's straight-line floor must be the processor's algorithm exactly:
// same samples to the last bit, same filter state afterwards.
#include "bench/effect/EffectFloor.h"
#include "effect/Quorvane.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

TEST(EffectFloor, MatchesTheProcessorBitForBit)
{
  Quorvane::rand_state = 3;
  auto fx = std::make_unique<Quorvane>(IEffectInstanceInfo{});
  fx->SetSampleRate(48000);
  fx->Reset();
  const struct
  {
    int param;
    double value;
  } settings[] = {{Quorvane::kDrive, 0.83},
                  {Quorvane::kLevel, 0.7},
                  {Quorvane::kLow, 0.1},
                  {Quorvane::kMid, 0.9},
                  {Quorvane::kHigh, 0.35}};
  for (const auto& s : settings)
  {
    fx->GetParam(s.param)->Set(s.value);
    fx->OnParamChange(s.param);
  }

  FxDSP dsp = fx->GetDsp();
  uint32_t seed = 11;
  for (int n : {512, 1, 333, 4096, 512})
  {
    const size_t len = static_cast<size_t>(n);
    std::vector<double> a(len), b(len), o0(len), o1(len), f0(len), f1(len);
    for (int i = 0; i < n; ++i)
    {
      seed = seed * 1664525u + 1013904223u;
      a[size_t(i)] = 0.4 * std::sin(i * 0.013) + (int32_t(seed) / 2147483648.0) * 0.05;
      b[size_t(i)] = 0.2 * std::sin(i * 0.0031);
    }
    double* ins[2] = {a.data(), b.data()};
    double* outs[2] = {o0.data(), o1.data()};
    fx->ProcessDoubleReplacing(ins, outs, n);
    effect_floor::Process(dsp, fx->GetNoise(), fx->GetDrive(), fx->GetLevelGain(), a.data(),
                          b.data(), f0.data(), f1.data(), n);
    ASSERT_EQ(0, std::memcmp(o0.data(), f0.data(), len * sizeof(double))) << n;
    ASSERT_EQ(0, std::memcmp(o1.data(), f1.data(), len * sizeof(double))) << n;
    ASSERT_EQ(0, std::memcmp(&dsp, &fx->GetDsp(), sizeof(FxDSP))) << n;
  }
}
