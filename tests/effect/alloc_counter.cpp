// Replaces the global allocation functions of this test program with counting ones,
// so a test can assert that a call allocated nothing.
#include "alloc_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace
{
std::atomic<long> gAllocations{0};
}

long AllocationCount()
{
  return gAllocations.load();
}

void* operator new(std::size_t size)
{
  gAllocations.fetch_add(1);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}

void* operator new[](std::size_t size)
{
  return operator new(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
  gAllocations.fetch_add(1);
  return std::malloc(size ? size : 1);
}

void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept
{
  return operator new(size, tag);
}

void operator delete(void* p) noexcept
{
  std::free(p);
}

void operator delete[](void* p) noexcept
{
  std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
  std::free(p);
}

void operator delete[](void* p, std::size_t) noexcept
{
  std::free(p);
}
