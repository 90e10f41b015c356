// The one main of bench_raster; every other file here only registers benchmarks.
#include <benchmark/benchmark.h>

BENCHMARK_MAIN();
