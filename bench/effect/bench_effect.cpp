// Speed of the overdrive at 48 kHz in 512-frame blocks, through the processor and
// through the straight-line floor of the same arithmetic; prints their ratio.
#include "effect/EffectFloor.h"
#include "effect/Quorvane.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <unistd.h>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
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

// Remembers each benchmark's CPU time per block for the closing summary. CPU time,
// not wall time: the build machine is shared, and waiting is not our cost.
class SummaryReporter : public benchmark::ConsoleReporter
{
public:
  SummaryReporter() : ConsoleReporter(isatty(1) ? OO_Defaults : OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override
  {
    for (const Run& r : runs)
      if (r.run_type == Run::RT_Iteration && r.iterations > 0)
        mNsPerBlock[r.run_name.function_name] = r.cpu_accumulated_time * 1e9 / double(r.iterations);
    ConsoleReporter::ReportRuns(runs);
  }

  // 0 when the benchmark did not run.
  double NsPerBlock(const std::string& name) const
  {
    const auto it = mNsPerBlock.find(name);
    return it == mNsPerBlock.end() ? 0.0 : it->second;
  }

private:
  std::map<std::string, double> mNsPerBlock;
};

} // namespace

int main(int argc, char** argv)
{
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  SummaryReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double effect = reporter.NsPerBlock("BM_Effect"), floor = reporter.NsPerBlock("BM_Floor");
  for (const auto& [name, ns] : {std::pair{"effect", effect}, std::pair{"floor", floor}})
    if (ns > 0)
      std::printf("%s: %.2f ns/sample, real-time factor %.0f\n", name, ns / kBlock,
                  kBlock / kRate * 1e9 / ns);
  if (effect > 0 && floor > 0) std::printf("ratio effect/floor: %.3f\n", effect / floor);
  benchmark::Shutdown();
  return 0;
}
