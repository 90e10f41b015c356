#pragma once
// A console reporter that remembers each benchmark's CPU time per iteration and, after
// the run, prints chosen benchmarks as ratios to a reference measured in the same run.
// CPU time, not wall time: the machines are shared, and waiting is not our cost. With
// --benchmark_repetitions the median of the repetitions is used.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter
{
public:
  // Prints "<name> / <reference>: ratio <suffix>" for each pair, in order, when both ran.
  explicit RatioReporter(std::vector<std::pair<std::string, std::string>> pairs,
                         std::string suffix = "")
      : mPairs(std::move(pairs)), mSuffix(std::move(suffix))
  {
  }

  void ReportRuns(const std::vector<Run>& runs) override
  {
    for (const Run& run : runs)
    {
      const std::string name = run.run_name.str();
      if (run.run_type == Run::RT_Iteration && run.iterations > 0 && !mHasMedian.count(name))
        mCpuNs[name] = run.cpu_accumulated_time * 1e9 / double(run.iterations);
      else if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
      {
        mCpuNs[name] = run.GetAdjustedCPUTime() * TimeUnitToNs(run.time_unit);
        mHasMedian.insert(name);
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void Finalize() override
  {
    ConsoleReporter::Finalize();
    for (const auto& [name, reference] : mPairs)
    {
      const double n = CpuNs(name), r = CpuNs(reference);
      if (n > 0.0 && r > 0.0)
        std::printf("%s / %s: %.3f%s\n", name.c_str(), reference.c_str(), n / r, mSuffix.c_str());
    }
  }

  // CPU nanoseconds per iteration, 0 when the benchmark did not run.
  double CpuNs(const std::string& name) const
  {
    const auto it = mCpuNs.find(name);
    return it == mCpuNs.end() ? 0.0 : it->second;
  }

private:
  static double TimeUnitToNs(benchmark::TimeUnit unit)
  {
    switch (unit)
    {
    case benchmark::kSecond:
      return 1e9;
    case benchmark::kMillisecond:
      return 1e6;
    case benchmark::kMicrosecond:
      return 1e3;
    default:
      return 1.0;
    }
  }

  std::vector<std::pair<std::string, std::string>> mPairs;
  std::set<std::string> mHasMedian;
  std::string mSuffix;
  std::map<std::string, double> mCpuNs;
};

// The main of a benchmark program that ends with ratio lines.
inline int RunWithRatios(int argc, char** argv, RatioReporter& reporter)
{
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
