// Values pushed into the editor: at once on its UI thread or without a window, held in
// pending slots from any other thread until the UI thread's next idle tick.
#include "EditorTestUtil.h"

#include <gtest/gtest.h>

#include <thread>

namespace
{
template <class F> void OnOtherThread(F f)
{
  std::thread t(f);
  t.join();
}

// A plug-in and its editor with two controls: one bound to "Gain", one driven by its
// index as the effect drives its LED.
struct GainAndLed
{
  std::vector<std::string> log; // outlives the controls
  TestEffect fx{"1-1", 4};
  HeadlessGraphics* g = new HeadlessGraphics(&fx, 100, 100); // owned by fx once attached
  ProbeControl* gain = new ProbeControl(&fx, IRECT(0, 0, 10, 10), 0, &log, "gain");
  ProbeControl* led = new ProbeControl(&fx, IRECT(20, 0, 30, 10), -1, &log, "led");
  int ledIdx = -1;
  GainAndLed()
  {
    InitTestParams(fx);
    g->AttachControl(gain);
    ledIdx = g->AttachControl(led);
    fx.AttachGraphics(g);
  }
};
} // namespace

TEST(EditorUIThread, OtherThreadsWaitForTheIdleTickWhileAWindowIsOpen)
{
  GainAndLed t;
  TestEffect& fx = t.fx;
  HeadlessGraphics& g = *t.g;
  ProbeControl *gain = t.gain, *led = t.led;
  const int ledIdx = t.ledIdx;
  IRECT dirty, all(0, 0, 100, 100);
  g.Draw(&all);

  // No window: every thread applies at once (nothing draws meanwhile).
  OnOtherThread(
      [&]
      {
        g.SetParameterFromPlug(0, 0.2, true);
        g.SetControlFromPlug(ledIdx, 1.0);
      });
  EXPECT_EQ(gain->GetValue(), 0.2);
  EXPECT_EQ(led->GetValue(), 1.0);

  int window = 0;
  g.OpenWindow(&window);
  g.Draw(&all);
  // The UI thread's own pushes apply at once.
  g.SetParameterFromPlug(0, 0.3, true);
  EXPECT_EQ(gain->GetValue(), 0.3);
  EXPECT_TRUE(gain->IsDirty());
  for (int i = 0; i < 3 && g.IsDirty(&(dirty = IRECT())); ++i)
    g.Draw(&all);

  // Another thread's pushes leave the controls alone; the idle tick applies the latest
  // value of each slot (a plain value normalised on the way), and only then are the
  // controls dirty.
  OnOtherThread(
      [&]
      {
        g.SetParameterFromPlug(0, 0.4, true);
        g.SetParameterFromPlug(0, 5.0, false);
        g.SetControlFromPlug(ledIdx, 0.0);
        g.SetControlFromPlug(99, 1.0); // no such control
        g.ApplyPendingFromPlug();      // not the UI thread: does nothing
      });
  EXPECT_EQ(gain->GetValue(), 0.3);
  EXPECT_EQ(led->GetValue(), 1.0);
  EXPECT_FALSE(g.IsDirty(&(dirty = IRECT())));
  g.ApplyPendingFromPlug();
  EXPECT_EQ(gain->GetValue(), 0.5);
  EXPECT_EQ(led->GetValue(), 0.0);
  EXPECT_TRUE(g.IsDirty(&(dirty = IRECT())));
  EXPECT_EQ(dirty, IRECT(0, 0, 30, 10));

  // A value that waited is older than a later push on the UI thread and never lands
  // on top of it.
  OnOtherThread([&] { g.SetParameterFromPlug(0, 0.6, true); });
  g.SetParameterFromPlug(0, 0.7, true);
  g.ApplyPendingFromPlug();
  EXPECT_EQ(gain->GetValue(), 0.7);

  // So is a host value that waited when the user turns the control.
  OnOtherThread([&] { g.SetParameterFromPlug(0, 0.1, true); });
  gain->SetValueFromUserInput(0.9);
  g.ApplyPendingFromPlug();
  EXPECT_EQ(gain->GetValue(), 0.9);
  EXPECT_EQ(fx.GetParam(0)->GetNormalized(), 0.9);

  // Rebuilding the controls while values wait: they land on the new controls.
  OnOtherThread([&] { g.SetControlFromPlug(ledIdx, 1.0); });
  g.Resize(100, 100);
  auto* led2 = new ProbeControl(&fx, IRECT(20, 0, 30, 10), -1, &t.log, "led");
  g.AttachControl(new ProbeControl(&fx, IRECT(0, 0, 10, 10), 0, &t.log, "gain"));
  g.AttachControl(led2);
  g.ApplyPendingFromPlug();
  EXPECT_EQ(led2->GetValue(), 1.0);

  // Closing the window applies what waits; pushes then apply at once again.
  OnOtherThread([&] { g.SetControlFromPlug(ledIdx, 0.25); });
  EXPECT_EQ(led2->GetValue(), 1.0);
  g.CloseWindow();
  EXPECT_EQ(led2->GetValue(), 0.25);
  OnOtherThread([&] { g.SetControlFromPlug(ledIdx, 0.5); });
  EXPECT_EQ(led2->GetValue(), 0.5);

  // A window opened on another thread makes this one a foreign thread, and the values
  // it pushes reach the controls when that window closes.
  std::atomic<int> step{0};
  std::thread ui(
      [&]
      {
        g.OpenWindow(&window);
        step = 1;
        while (step.load() != 2)
          std::this_thread::yield();
        g.CloseWindow();
      });
  while (step.load() != 1)
    std::this_thread::yield();
  g.SetControlFromPlug(ledIdx, 0.75);
  EXPECT_EQ(led2->GetValue(), 0.5);
  step = 2;
  ui.join();
  EXPECT_EQ(led2->GetValue(), 0.75);
}

// One thread pushes a rising series while the window opens and closes under it: after
// the last close every slot shows the last value pushed, whatever the interleaving.
TEST(EditorUIThread, NoValueIsLostWhileTheWindowOpensAndCloses)
{
  GainAndLed t;
  HeadlessGraphics& g = *t.g;
  ProbeControl *gain = t.gain, *led = t.led;
  const int ledIdx = t.ledIdx;

  // The pusher stops once the window has come and gone often enough, or at the end of
  // its series.
  constexpr int kSeries = 1 << 22, kCycles = 2000;
  std::atomic<int> cycles{0}, last{0};
  std::atomic<bool> done{false};
  std::thread pusher(
      [&]
      {
        for (int i = 1; i <= kSeries && cycles.load() < kCycles; ++i)
        {
          g.SetParameterFromPlug(0, double(i) / kSeries, true);
          g.SetControlFromPlug(ledIdx, double(kSeries - i) / kSeries);
          last = i;
        }
        done = true;
      });
  int window = 0;
  double lastSeen = 0.0;
  while (last.load() == 0)
    std::this_thread::yield();
  for (; !done.load(); ++cycles)
  {
    g.OpenWindow(&window);
    for (int tick = 0; tick < 3; ++tick)
    {
      g.PumpOnce();
      // The UI thread sees the series in order.
      EXPECT_GE(gain->GetValue(), lastSeen);
      lastSeen = gain->GetValue();
    }
    g.CloseWindow();
  }
  pusher.join();
  EXPECT_EQ(gain->GetValue(), double(last.load()) / kSeries);
  EXPECT_EQ(led->GetValue(), double(kSeries - last.load()) / kSeries);
}
