// Cost of the VST 2 binding as a host sees it, through the built Quorvane.so:
// a host scan (entry point, effOpen, effClose), the real-time factor of each
// process callback next to calling the effect's ProcessDoubleReplacing directly,
// and the resident memory each further instance adds.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <cstdio>
#include <memory>
#include <vector>

#include "common/QuorvaneSo.h"
#include "vst2/IEffectVST.h"
#include "vst2/vst2_interface.h"

namespace
{
constexpr int kBlock = 512;
constexpr double kRate = 48000.0;

AEffect* Start()
{
  return StartInstance(kRate, kBlock);
}

// A guitar-like test signal, the same for every benchmark.
template <class T> std::vector<T> Signal()
{
  std::vector<T> s(kBlock);
  for (int i = 0; i < kBlock; ++i)
    s[size_t(i)] = T(0.4 * std::sin(2.0 * M_PI * 110.0 * i / kRate) +
                     0.1 * std::sin(2.0 * M_PI * 330.0 * i / kRate));
  return s;
}

// Seconds of audio per second of processing time.
void SetRealTime(benchmark::State& state)
{
  state.counters["realtime_x"] =
      benchmark::Counter(double(state.iterations()) * kBlock / kRate, benchmark::Counter::kIsRate);
}

long ResidentBytes()
{
  long pages = 0, resident = 0;
  FILE* f = std::fopen("/proc/self/statm", "r");
  if (!f) return 0;
  if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
  std::fclose(f);
  return resident * sysconf(_SC_PAGESIZE);
}
} // namespace

static void BM_HostScan(benchmark::State& state)
{
  if (!Loadable(state)) return;
  for (auto _ : state)
  {
    AEffect* e = Entry()(QuietHost);
    e->dispatcher(e, effOpen, 0, 0, nullptr, 0.0f);
    e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
    benchmark::DoNotOptimize(e);
  }
}
BENCHMARK(BM_HostScan)->Unit(benchmark::kMicrosecond);

// The effect's own routine on the instance inside Quorvane.so, so that both sides of
// the ratio run the same machine code and only the binding's work differs.
static void BM_DirectProcessDoubleReplacing(benchmark::State& state)
{
  if (!Loadable(state)) return;
  AEffect* e = Start();
  IEffectBase* fx = static_cast<IEffectVST*>(e->object);
  std::vector<double> l = Signal<double>(), r = Signal<double>(), o0(kBlock), o1(kBlock);
  double* in[2] = {l.data(), r.data()};
  double* out[2] = {o0.data(), o1.data()};
  for (auto _ : state)
  {
    fx->ProcessDoubleReplacing(in, out, kBlock);
    benchmark::DoNotOptimize(o0.data());
  }
  SetRealTime(state);
  e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
}
BENCHMARK(BM_DirectProcessDoubleReplacing)->Unit(benchmark::kMicrosecond);

// mode 0: processReplacing, 1: process (accumulating), 2: processDoubleReplacing.
static void BM_Callback(benchmark::State& state)
{
  if (!Loadable(state)) return;
  AEffect* e = Start();
  std::vector<float> l = Signal<float>(), r = Signal<float>(), o0(kBlock), o1(kBlock);
  std::vector<double> dl = Signal<double>(), dr = Signal<double>(), d0(kBlock), d1(kBlock);
  float* in[2] = {l.data(), r.data()};
  float* out[2] = {o0.data(), o1.data()};
  double* din[2] = {dl.data(), dr.data()};
  double* dout[2] = {d0.data(), d1.data()};
  const int mode = int(state.range(0));
  for (auto _ : state)
  {
    if (mode == 0)
      e->processReplacing(e, in, out, kBlock);
    else if (mode == 1)
    {
      e->process(e, in, out, kBlock);
      o0[0] = o1[0] = 0.0f; // keep the sums from running away
    }
    else
      e->processDoubleReplacing(e, din, dout, kBlock);
    benchmark::DoNotOptimize(o0.data());
    benchmark::DoNotOptimize(d0.data());
  }
  SetRealTime(state);
  e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
}
BENCHMARK(BM_Callback)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->ArgName("replacing0_accumulating1_double2")
    ->Unit(benchmark::kMicrosecond);

// The binding's overhead without the machine's drift: the direct routine and the three
// callbacks take turns in short batches on one instance, and each keeps its quickest
// batch, so a slow minute on a shared machine hits all four alike.
static void BM_BindingOverhead(benchmark::State& state)
{
  if (!Loadable(state)) return;
  AEffect* e = Start();
  IEffectBase* fx = static_cast<IEffectVST*>(e->object);
  std::vector<float> l = Signal<float>(), r = Signal<float>(), o0(kBlock), o1(kBlock);
  std::vector<double> dl = Signal<double>(), dr = Signal<double>(), d0(kBlock), d1(kBlock);
  float* in[2] = {l.data(), r.data()};
  float* out[2] = {o0.data(), o1.data()};
  double* din[2] = {dl.data(), dr.data()};
  double* dout[2] = {d0.data(), d1.data()};
  auto cpuNs = []
  {
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e9 + double(ts.tv_nsec);
  };
  double best[4] = {1e30, 1e30, 1e30, 1e30};
  for (auto _ : state)
    for (int round = 0; round < 200; ++round)
      for (int mode = 0; mode < 4; ++mode)
      {
        const double t0 = cpuNs();
        for (int b = 0; b < 16; ++b)
        {
          if (mode == 0)
            fx->ProcessDoubleReplacing(din, dout, kBlock);
          else if (mode == 1)
            e->processReplacing(e, in, out, kBlock);
          else if (mode == 2)
          {
            e->process(e, in, out, kBlock);
            o0[0] = o1[0] = 0.0f;
          }
          else
            e->processDoubleReplacing(e, din, dout, kBlock);
          benchmark::DoNotOptimize(o0.data());
          benchmark::DoNotOptimize(d0.data());
        }
        best[mode] = std::min(best[mode], cpuNs() - t0);
      }
  state.counters["replacing_x"] = best[1] / best[0];
  state.counters["accumulating_x"] = best[2] / best[0];
  state.counters["double_x"] = best[3] / best[0];
  std::printf("binding overhead (quickest batches, callback / direct): processReplacing %.3f, "
              "process %.3f, processDoubleReplacing %.3f\n",
              best[1] / best[0], best[2] / best[0], best[3] / best[0]);
  e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
}
BENCHMARK(BM_BindingOverhead)->Iterations(1)->Unit(benchmark::kMillisecond);

static void BM_ResidentMemoryPerInstance(benchmark::State& state)
{
  if (!Loadable(state)) return;
  const int n = 64;
  AEffect* warm = Start(); // one instance first: code pages and allocator arenas
  std::vector<float> l = Signal<float>(), o(kBlock);
  float* in[2] = {l.data(), l.data()};
  float* out[2] = {o.data(), o.data()};
  warm->processReplacing(warm, in, out, kBlock);
  double perInstance = 0.0;
  for (auto _ : state)
  {
    const long before = ResidentBytes();
    std::vector<AEffect*> all;
    for (int i = 0; i < n; ++i)
    {
      all.push_back(Start());
      all.back()->processReplacing(all.back(), in, out, kBlock);
    }
    perInstance = double(ResidentBytes() - before) / n;
    state.PauseTiming();
    for (AEffect* e : all)
      e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
    state.ResumeTiming();
  }
  warm->dispatcher(warm, effClose, 0, 0, nullptr, 0.0f);
  state.counters["KiB_per_instance"] = perInstance / 1024.0;
}
BENCHMARK(BM_ResidentMemoryPerInstance)->Iterations(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
