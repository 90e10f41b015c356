// Proves that buffer attachment and processing never touch the heap. This program
// replaces the global allocation functions and counts calls made while counting is
// switched on in the calling thread.
#include "core/TestEffect.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

namespace
{
std::atomic<int> gAllocations{0};
thread_local bool tCounting = false;

void Count()
{
  if (tCounting) ++gAllocations;
}

struct CountScope
{
  CountScope()
  {
    gAllocations = 0;
    tCounting = true;
  }
  ~CountScope() { tCounting = false; }
  int Stop()
  {
    tCounting = false;
    return gAllocations.load();
  }
};
} // namespace

// The replacements pair malloc with free on purpose; the compiler sees only the
// language-level new and delete around them.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

// Every form a sanitizer runtime may otherwise supply itself, so that none of them
// pairs with the wrong partner.
void* operator new(size_t size)
{
  Count();
  if (void* p = malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](size_t size)
{
  return operator new(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept
{
  Count();
  return malloc(size ? size : 1);
}
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept
{
  return operator new(size, tag);
}
void operator delete(void* p) noexcept
{
  free(p);
}
void operator delete[](void* p) noexcept
{
  free(p);
}
void operator delete(void* p, size_t) noexcept
{
  free(p);
}
void operator delete[](void* p, size_t) noexcept
{
  free(p);
}

// The C allocator too, through glibc's internal entry points. The sanitizers own
// malloc in their builds, so there only operator new is counted.
#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__) && !defined(__has_feature)
#define QUORVANE_COUNT_MALLOC 1
#elif defined(__GLIBC__) && defined(__has_feature)
#if !__has_feature(address_sanitizer)
#define QUORVANE_COUNT_MALLOC 1
#endif
#endif

#if defined(QUORVANE_COUNT_MALLOC)
extern "C"
{
  void* __libc_malloc(size_t);
  void* __libc_calloc(size_t, size_t);
  void* __libc_realloc(void*, size_t);

  void* malloc(size_t size)
  {
    Count();
    return __libc_malloc(size);
  }
  void* calloc(size_t n, size_t size)
  {
    Count();
    return __libc_calloc(n, size);
  }
  void* realloc(void* p, size_t size)
  {
    Count();
    return __libc_realloc(p, size);
  }
}
#endif

TEST(Allocation, CounterSeesAllocations)
{
  CountScope scope;
  std::vector<int>* v = new std::vector<int>(10);
  const int n = scope.Stop();
  delete v;
  EXPECT_GE(n, 2);
#if defined(QUORVANE_COUNT_MALLOC)
  CountScope c;
  void* p = malloc(16);
  const int m = c.Stop();
  free(p);
  EXPECT_EQ(m, 1);
#endif
}

TEST(Allocation, AttachingAndProcessingAllocateNothing)
{
  constexpr int kBlock = 256;
  TestEffect fx("1-1 2-2", 6, 1);
  for (int i = 0; i < 6; ++i)
    fx.GetParam(i)->InitDouble("p", 0.5, 0.0, 1.0, 0.01);
  fx.SetSampleRate(48000.0);
  fx.SetBlockSize(kBlock);
  fx.SetInputChannelConnections(0, 2, true);
  fx.SetOutputChannelConnections(0, 2, true);

  std::vector<float> inF(2 * kBlock, 0.25f), outF(2 * kBlock, 0.0f);
  std::vector<double> inD(2 * kBlock, 0.5), outD(2 * kBlock, 0.0);
  float* insF[] = {inF.data(), inF.data() + kBlock};
  float* outsF[] = {outF.data(), outF.data() + kBlock};
  double* insD[] = {inD.data(), inD.data() + kBlock};
  double* outsD[] = {outD.data(), outD.data() + kBlock};

  CountScope scope;
  for (int pass = 0; pass < 4; ++pass)
  {
    fx.AttachInputBuffers(0, 2, insF, kBlock);
    fx.AttachOutputBuffers(0, 2, outsF);
    fx.ProcessBuffers(0.0f, kBlock);
    fx.ProcessBuffersAccumulating(0.0f, kBlock);
    fx.PassThroughBuffers(0.0f, kBlock);
    fx.ProcessBuffers(0.0f, 2 * kBlock); // longer than a block: cut, not grown

    fx.AttachInputBuffers(0, 2, insD, kBlock);
    fx.AttachOutputBuffers(0, 2, outsD);
    fx.ProcessBuffers(0.0, kBlock);
    fx.PassThroughBuffers(0.0, kBlock);

    fx.SetInputChannelConnections(1, 1, pass % 2 == 0);
    fx.ZeroScratchBuffers();
    fx.SetBlockSize(kBlock); // unchanged size
    fx.GetParam(pass)->SetNormalized(0.3);
    (void)fx.GetParam(pass)->GetNormalized();
  }
  EXPECT_EQ(scope.Stop(), 0);
  EXPECT_EQ(outF[0], 0.25f);
  EXPECT_EQ(outD[kBlock], 0.5);
}
