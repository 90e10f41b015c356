// A host that takes its own lock in the automation callback and holds the same lock
// around processing: the plug-in must not call it while holding the instance mutex.
#include "effect/Quorvane.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>

namespace
{
struct LockingHost
{
  std::mutex lock;
  std::atomic<bool> processNow{false};
  std::atomic<int> automations{0};
  std::atomic<bool> timedOut{false};
};
LockingHost* gHost = nullptr;

intptr_t LockingCallback(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float)
{
  if (opcode != audioMasterAutomate || !gHost) return 0;
  // Let the audio thread into processing, give it time to reach the instance mutex,
  // then take the host lock as the host's UI would. Bounded, so that a deadlock shows
  // as a failure instead of a hang.
  gHost->processNow = true;
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (!gHost->lock.try_lock())
  {
    if (std::chrono::steady_clock::now() > giveUp)
    {
      gHost->timedOut = true;
      ++gHost->automations;
      return 0;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  gHost->lock.unlock();
  ++gHost->automations;
  return 0;
}
} // namespace

TEST(HostLock, AutomationIsReportedOutsideTheInstanceMutex)
{
  LockingHost host;
  gHost = &host;
  auto fx = std::make_unique<Quorvane>(IEffectInstanceInfo{&LockingCallback});
  AEffect* e = fx->GetAEffect();
  e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, 44100.0f);
  e->dispatcher(e, effSetBlockSize, 0, 64, nullptr, 0.0f);
  e->dispatcher(e, effMainsChanged, 0, 1, nullptr, 0.0f);

  float in[2][64] = {}, out[2][64] = {};
  float* ins[2] = {in[0], in[1]};
  float* outs[2] = {out[0], out[1]};
  std::atomic<bool> holding{false};
  std::thread audio(
      [&]
      {
        // The host's audio thread: its lock held around the whole processing call.
        std::lock_guard<std::mutex> hold(host.lock);
        holding = true;
        while (!host.processNow.load())
          std::this_thread::yield();
        e->processReplacing(e, ins, outs, 64);
      });
  while (!holding.load())
    std::this_thread::yield();

  // A knob turned in the editor.
  fx->SetParameterFromGUI(Quorvane::kDrive, 0.75);
  audio.join();
  gHost = nullptr;

  EXPECT_EQ(host.automations.load(), 1);
  EXPECT_FALSE(host.timedOut.load()) << "the host was called with the instance mutex held";
  EXPECT_EQ(fx->GetParam(Quorvane::kDrive)->GetNormalized(), 0.75);
}
