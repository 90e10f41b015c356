#pragma once
// Shared helpers of the raster benchmarks: the editor-sized canvas and a memcpy reference
// measured in the same run, so every figure can be printed as a ratio to memcpy.
// The program's main is in main.cpp; benchmark files only register benchmarks.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <map>
#include <vector>

// CPU time of this thread in nanoseconds: steadier than wall time on a shared machine.
inline double RasterBenchCpuNs()
{
  timespec ts;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return double(ts.tv_sec) * 1e9 + double(ts.tv_nsec);
}

// The editor's window.
constexpr int kBenchW = 224;
constexpr int kBenchH = 333;

// Best-of-15 CPU nanoseconds per call of work, each round averaging reps calls: the
// quietest figure a shared machine gives, measured the same way for every operation.
template <class Work> double RasterBenchBestNs(Work&& work, int reps)
{
  double best = 1e30;
  for (int round = 0; round < 15; ++round)
  {
    const double t0 = RasterBenchCpuNs();
    for (int i = 0; i < reps; ++i)
    {
      work();
      benchmark::ClobberMemory();
    }
    best = std::min(best, (RasterBenchCpuNs() - t0) / reps);
  }
  return best;
}

// Nanoseconds memcpy needs for `bytes` bytes with warm caches; measured once per size and
// run.
inline double RasterBenchMemcpyNs(size_t bytes)
{
  static std::map<size_t, double> cache;
  auto it = cache.find(bytes);
  if (it != cache.end()) return it->second;
  std::vector<uint8_t> a(bytes, 1), b(bytes, 2);
  uint8_t* from = a.data();
  uint8_t* to = b.data();
  benchmark::DoNotOptimize(from);
  benchmark::DoNotOptimize(to);
  const double ns = RasterBenchBestNs([&] { std::memcpy(to, from, bytes); }, 64);
  cache[bytes] = ns;
  return ns;
}

// Runs the benchmark loop over work and reports megapixels per second and the time
// relative to memcpy of the same bytes ("x_memcpy": 1.0 is memcpy speed, 4.0 four times
// slower; both best-of-rounds, so machine load does not skew the ratio).
template <class Work> void RasterBenchRun(benchmark::State& state, int64_t pixels, Work&& work)
{
  for (auto _ : state)
  {
    work();
    benchmark::ClobberMemory();
  }
  const double ref = RasterBenchMemcpyNs(size_t(pixels) * 4);
  const double ns = RasterBenchBestNs(work, 8);
  state.counters["MPix/s"] = benchmark::Counter(double(pixels) * double(state.iterations()) / 1e6,
                                                benchmark::Counter::kIsRate);
  state.counters["best_MPix/s"] = double(pixels) / ns * 1e3;
  state.counters["memcpy_MPix/s"] = double(pixels) / ref * 1e3;
  state.counters["x_memcpy"] = ns / ref;
}
