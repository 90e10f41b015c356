// The host's audio thread automates every parameter through the VST 2 callback and
// processes, while the editor's UI thread opens its window, applies, draws, resizes
// and closes it again, over and over. Run under ThreadSanitizer this is the race
// check of the hand-over; in any build the controls end on the last values pushed.
#include "editor/HeadlessGraphics.h"
#include "editor/controls/IControl.h"
#include "effect/Quorvane.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

namespace
{
// A bar as long as the value, so that drawing reads it.
class ValueBar : public IControl
{
public:
  ValueBar(IEffectBase* plug, const IRECT& rect, int paramIdx) : IControl(plug, rect, paramIdx) {}
  bool Draw(IGraphics* g) override
  {
    IRECT bar = mRECT;
    bar.R = bar.L + int(double(mRECT.W()) * GetValue());
    const IColor color(255, 200, 80, 20);
    return g->FillIRect(&color, &bar);
  }
};

// The effect lays its editor out again whenever the editor is resized, as an effect's
// editor layout does, and shows the current values on the new controls.
class LedQuorvane : public Quorvane
{
public:
  explicit LedQuorvane(IEffectInstanceInfo info) : Quorvane(info) {}
  void Layout(IGraphics* g)
  {
    for (int p = 0; p < Quorvane::kNumParams; ++p)
      g->AttachControl(new ValueBar(this, IRECT(0, 10 * p, 100, 10 * p + 8), p));
    mLedIdx = g->AttachControl(new ValueBar(this, IRECT(0, 70, 10, 78), -1));
  }
  void ResizeGraphics(int w, int h) override
  {
    // The audio thread reads the LED's index; under the instance mutex the values read
    // are also the newest, since no push is under way.
    UTL_MutexLock lock(mMutex);
    Quorvane::ResizeGraphics(w, h);
    Layout(GetGraphics(this));
    RedrawParamControls();
    GetGUI()->SetControlFromPlug(mLedIdx, IsEffectOn() ? 1.0 : 0.0);
  }
  int LedIdx() const { return mLedIdx; }
};

intptr_t QuietHost(AEffect*, int32_t, int32_t, intptr_t, void*, float)
{
  return 0;
}
} // namespace

TEST(UIThreadStress, AudioThreadAutomatesWhileTheEditorDrawsAndResizes)
{
  auto fx = std::make_unique<LedQuorvane>(IEffectInstanceInfo{&QuietHost});
  AEffect* e = fx->GetAEffect();
  e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, 44100.0f);
  e->dispatcher(e, effSetBlockSize, 0, 64, nullptr, 0.0f);
  e->dispatcher(e, effMainsChanged, 0, 1, nullptr, 0.0f);
  auto* editor = new HeadlessGraphics(fx.get(), 120, 80);
  editor->mRecordScreen = false;
  fx->Layout(editor);
  fx->AttachGraphics(editor); // owned by the plug-in from here on

  constexpr int kSteps = 30000;
  float lastPushed[Quorvane::kNumParams] = {};
  std::atomic<bool> done{false};
  std::thread audio(
      [&]
      {
        float in[2][64] = {}, out[2][64] = {};
        float* ins[2] = {in[0], in[1]};
        float* outs[2] = {out[0], out[1]};
        for (int i = 0; i < kSteps; ++i)
        {
          const int p = i % Quorvane::kNumParams;
          // The switch flips on and off; the knobs sweep their range.
          const float v = p == Quorvane::kEffect ? float((i / Quorvane::kNumParams) % 2)
                                                 : float(i % 101) / 100.0f;
          e->setParameter(e, p, v);
          lastPushed[p] = v;
          if (i % 8 == 0)
          {
            in[0][i % 64] = 0.5f;
            e->processReplacing(e, ins, outs, 64);
          }
        }
        done = true;
      });

  int window = 0, cycles = 0;
  while (!done.load())
  {
    editor->OpenWindow(&window);
    for (int tick = 0; tick < 12; ++tick)
    {
      editor->PumpOnce();
      if (tick % 5 == 4) editor->Resize(120 + tick % 2, 80);
      // What a preset chosen in the editor does.
      if (tick % 5 == 2) fx->RedrawParamControls();
    }
    editor->CloseWindow();
    // Without a window the audio thread applies directly; a resize then holds it off.
    if (++cycles % 4 == 0) editor->Resize(120, 80);
  }
  audio.join();

  // Every control shows the last value the host sent, the LED the switch's state.
  editor->OpenWindow(&window);
  editor->PumpOnce();
  for (int p = 0; p < Quorvane::kNumParams; ++p)
    EXPECT_NEAR(editor->GetControl(p)->GetValue(), double(lastPushed[p]), 1e-6) << p;
  EXPECT_EQ(editor->GetControl(fx->LedIdx())->GetValue(), fx->IsEffectOn() ? 1.0 : 0.0);
  EXPECT_EQ(fx->IsEffectOn(), lastPushed[Quorvane::kEffect] == 1.0f);
  editor->CloseWindow();
  EXPECT_GT(cycles, 0);
}
