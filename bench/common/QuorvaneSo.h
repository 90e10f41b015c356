#pragma once
// The built Quorvane.so as the benchmarks load it: once per process, through its
// entry point, with a host that answers only what the plug-in asks at start-up.
// Programs using it define QUORVANE_SO as the library's path.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <cstdio>

#include "vst2/vst2_interface.h"

inline intptr_t QuietHost(AEffect*, int32_t opcode, int32_t, intptr_t, void* ptr, float)
{
  if (opcode == audioMasterGetProductString && ptr)
    std::snprintf(static_cast<char*>(ptr), 64, "bench");
  return opcode == audioMasterVersion ? kVstVersion : 0;
}

using EntryProc = AEffect* (*)(audioMasterCallback);

// The entry point, or null when the library cannot be loaded.
inline EntryProc Entry()
{
  static void* lib = dlopen(QUORVANE_SO, RTLD_NOW | RTLD_LOCAL);
  static EntryProc entry = lib ? reinterpret_cast<EntryProc>(dlsym(lib, "VSTPluginMain")) : nullptr;
  return entry;
}

// False, with the benchmark marked skipped, when the plug-in cannot be loaded.
inline bool Loadable(benchmark::State& state)
{
  if (Entry()) return true;
  state.SkipWithError("Quorvane.so not loadable");
  return false;
}

// A new instance after the usual start-up sequence; Entry() must not be null.
inline AEffect* StartInstance(double rate, int blockSize)
{
  AEffect* e = Entry()(QuietHost);
  e->dispatcher(e, effOpen, 0, 0, nullptr, 0.0f);
  e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, float(rate));
  e->dispatcher(e, effSetBlockSize, 0, blockSize, nullptr, 0.0f);
  e->dispatcher(e, effMainsChanged, 0, 1, nullptr, 0.0f);
  return e;
}
