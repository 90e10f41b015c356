#pragma once
// A mutex the owning thread may lock again: an owner thread and a recursion count
// over a plain, non-recursive mutex.
#include <atomic>
#include <mutex>
#include <thread>

class UTL_Mutex
{
public:
  UTL_Mutex() = default;
  UTL_Mutex(const UTL_Mutex&) = delete;
  UTL_Mutex& operator=(const UTL_Mutex&) = delete;

  void Enter()
  {
    const std::thread::id self = std::this_thread::get_id();
    if (mOwner.load(std::memory_order_relaxed) == self)
    {
      ++mCount;
      return;
    }
    mMutex.lock();
    mOwner.store(self, std::memory_order_relaxed);
    mCount = 0;
  }

  // Only the owner may leave; the mutex is released when the count falls below zero.
  void Leave()
  {
    if (mOwner.load(std::memory_order_relaxed) != std::this_thread::get_id()) return;
    if (--mCount < 0)
    {
      mOwner.store(std::thread::id(), std::memory_order_relaxed);
      mMutex.unlock();
    }
  }

  bool IsHeldByThisThread() const
  {
    return mOwner.load(std::memory_order_relaxed) == std::this_thread::get_id();
  }

private:
  std::mutex mMutex;
  std::atomic<std::thread::id> mOwner{};
  int mCount = 0;
};

// Holds a UTL_Mutex for the lifetime of a scope.
class UTL_MutexLock
{
public:
  explicit UTL_MutexLock(UTL_Mutex& m) : mMutex(m) { mMutex.Enter(); }
  ~UTL_MutexLock() { mMutex.Leave(); }
  UTL_MutexLock(const UTL_MutexLock&) = delete;
  UTL_MutexLock& operator=(const UTL_MutexLock&) = delete;

private:
  UTL_Mutex& mMutex;
};
