// Which host calls wait for the instance lock. The audio thread holds it for every
// block, so calls that need none must never take it: a host's UI thread calling
// idle would otherwise stall behind processing (and make processing wait in turn).
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "tests/vst2/TestEffect.h"

TEST(LockScope, IdleAndRefusedChunksNeverWaitForTheInstanceLock)
{
  ScriptedHost host;
  ScriptedHost::current = &host;
  TestEffect fx(&host, {});
  AEffect* e = fx.GetAEffect();

  // Another thread (standing in for the audio thread) holds the lock meanwhile.
  std::promise<void> held, release;
  std::thread audio(
      [&]
      {
        UTL_MutexLock lock(fx.GetMutex());
        held.set_value();
        release.get_future().wait();
      });
  held.get_future().wait();

  auto calls = std::async(std::launch::async,
                          [&]
                          {
                            char shortHeader[6] = {'t', 'f', 'f', 'p', 0, 0};
                            intptr_t answers = 0;
                            answers += e->dispatcher(e, effIdle, 0, 0, nullptr, 0.0f);
                            answers += e->dispatcher(e, effEditIdle, 0, 0, nullptr, 0.0f);
                            answers += e->dispatcher(e, effSetChunk, 1, sizeof(shortHeader),
                                                     shortHeader, 0.0f);
                            answers += e->dispatcher(e, effSetChunk, 0, -4, shortHeader, 0.0f);
                            answers += e->dispatcher(e, effGetChunk, 1, 0, nullptr, 0.0f);
                            return answers;
                          });
  // A call that waited would finish only after the release below.
  const bool finished = calls.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
  release.set_value();
  audio.join();
  EXPECT_TRUE(finished);
  EXPECT_EQ(calls.get(), 0);
}
