// Counts global operator new calls, so tests can prove a path allocates nothing.
#include <atomic>
#include <cstdlib>
#include <new>

std::atomic<long> gAllocations{0};

void* operator new(std::size_t n)
{
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t n)
{
  return operator new(n);
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
// The nothrow forms count too, and pair with the deletes above.
void* operator new(std::size_t n, const std::nothrow_t&) noexcept
{
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  return std::malloc(n ? n : 1);
}
void* operator new[](std::size_t n, const std::nothrow_t& tag) noexcept
{
  return operator new(n, tag);
}
