#include "util/UTL_Mutex.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

TEST(UTL_Mutex, SameThreadMayEnterAgainAndOtherThreadWaitsForLastLeave)
{
  UTL_Mutex m;
  m.Enter();
  m.Enter(); // recursion: count 1
  std::atomic<bool> entered{false};
  std::thread other(
      [&]
      {
        m.Enter();
        entered = true;
        m.Leave();
      });
  m.Leave(); // count 0: still held
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(entered.load());
  m.Leave(); // released
  other.join();
  EXPECT_TRUE(entered.load());
  EXPECT_FALSE(m.IsHeldByThisThread());
}

TEST(UTL_Mutex, LeaveFromANonOwnerIsIgnored)
{
  UTL_Mutex m;
  m.Enter();
  std::thread([&] { m.Leave(); }).join();
  EXPECT_TRUE(m.IsHeldByThisThread());
  m.Leave();
  EXPECT_FALSE(m.IsHeldByThisThread());
}

TEST(UTL_Mutex, CountsStayConsistentUnderContention)
{
  UTL_Mutex m;
  int counter = 0;
  auto work = [&]
  {
    for (int i = 0; i < 20000; ++i)
    {
      UTL_MutexLock outer(m);
      UTL_MutexLock inner(m);
      ++counter;
    }
  };
  std::thread a(work), b(work);
  a.join();
  b.join();
  EXPECT_EQ(counter, 40000);
}
