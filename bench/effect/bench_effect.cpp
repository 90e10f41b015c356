// Speed of the overdrive at 48 kHz in 512-frame blocks, through the processor and
// through the straight-line floor of the same arithmetic; prints their ratio.
#include "effect/EffectFloor.h"
#include "effect/Quorvane.h"

#include <benchmark/benchmark.h>
#include "common/RatioReporter.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

namespace
{

constexpr double kRate = 48000.0;
constexpr int kBlock = 512;
constexpr int kBlocks = 90; // a little under a second of audio, cycled

// A plucked-string-like test signal: decaying harmonics at guitar pitches.
std::vector<double> TestSignal()
{
  std::vector<double> s(kBlock * kBlocks, 0.0);
  const double notes[] = {82.41, 110.0, 146.83, 196.0};
  for (size_t i = 0; i < s.size(); ++i)
  {
    const int note = int(i / 10000) % 4;
    const double t = double(i % 10000) / kRate, f = notes[note];
    double v = 0;
    for (int h = 1; h <= 6; ++h)
      v += std::sin(2 * M_PI * f * h * t) / h;
    s[i] = 0.25 * v * std::exp(-3 * t);
  }
  return s;
}

std::unique_ptr<Quorvane> MakeEffect()
{
  auto fx = std::make_unique<Quorvane>(IEffectInstanceInfo{});
  fx->SetSampleRate(kRate);
  fx->Reset();
  return fx;
}

// Both per CPU second: seconds per sample (printed with an SI prefix, e.g. 40n) and
// seconds of 48 kHz audio processed per second (the real-time factor).
void SetCounters(benchmark::State& state)
{
  const double frames = double(state.iterations()) * kBlock;
  state.counters["s/sample"] =
      benchmark::Counter(frames, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["realtime_x"] = benchmark::Counter(frames / kRate, benchmark::Counter::kIsRate);
}

void BM_Effect(benchmark::State& state)
{
  const std::vector<double> in = TestSignal();
  std::vector<double> zero(kBlock, 0.0), out0(kBlock, 0.0), out1(kBlock, 0.0);
  auto fx = MakeEffect();
  int block = 0;
  for (auto _ : state)
  {
    double* ins[2] = {const_cast<double*>(in.data()) + block * kBlock, zero.data()};
    double* outs[2] = {out0.data(), out1.data()};
    fx->ProcessDoubleReplacing(ins, outs, kBlock);
    benchmark::DoNotOptimize(out0.data());
    benchmark::ClobberMemory();
    block = (block + 1) % kBlocks;
  }
  SetCounters(state);
}

void BM_Floor(benchmark::State& state)
{
  const std::vector<double> in = TestSignal();
  std::vector<double> zero(kBlock, 0.0), out0(kBlock, 0.0), out1(kBlock, 0.0);
  auto fx = MakeEffect();
  FxDSP dsp = fx->GetDsp();
  const double drive = fx->GetDrive(), gain = fx->GetLevelGain();
  int block = 0;
  for (auto _ : state)
  {
    effect_floor::Process(dsp, fx->GetNoise(), drive, gain, in.data() + block * kBlock, zero.data(),
                          out0.data(), out1.data(), kBlock);
    benchmark::DoNotOptimize(out0.data());
    benchmark::ClobberMemory();
    block = (block + 1) % kBlocks;
  }
  SetCounters(state);
}

BENCHMARK(BM_Effect)->MinTime(1.0);
BENCHMARK(BM_Floor)->MinTime(1.0);

} // namespace

int main(int argc, char** argv)
{
  RatioReporter reporter({{"BM_Effect/min_time:1.000", "BM_Floor/min_time:1.000"}},
                         " (effect / straight-line floor)");
  const int rc = RunWithRatios(argc, argv, reporter);
  for (const char* name : {"BM_Effect/min_time:1.000", "BM_Floor/min_time:1.000"})
    if (const double ns = reporter.CpuNs(name); ns > 0)
      std::printf("%s: %.2f ns/sample, real-time factor %.0f\n", name, ns / kBlock,
                  kBlock / kRate * 1e9 / ns);
  return rc;
}
