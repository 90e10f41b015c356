// The "Effect" switch drives the editor's LED by value, when an editor is attached.
#include "editor/HeadlessGraphics.h"
#include "effect/Quorvane.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

namespace
{

class RecordingGraphics : public HeadlessGraphics
{
public:
  using HeadlessGraphics::HeadlessGraphics;
  void SetControlFromPlug(int controlIdx, double normalizedValue) override
  {
    mCalls.emplace_back(controlIdx, normalizedValue);
    HeadlessGraphics::SetControlFromPlug(controlIdx, normalizedValue);
  }
  std::vector<std::pair<int, double>> mCalls;
};

class LedEffect : public Quorvane
{
public:
  LedEffect() : Quorvane(IEffectInstanceInfo{}) {}
  void SetLedIdx(int idx) { mLedIdx = idx; }
};

} // namespace

TEST(QuorvaneLed, FollowsTheEffectSwitch)
{
  auto fx = std::make_unique<LedEffect>();
  // Without an editor the switch still works.
  fx->GetParam(Quorvane::kEffect)->Set(0);
  fx->OnParamChange(Quorvane::kEffect);
  EXPECT_FALSE(fx->IsEffectOn());

  auto* gui = new RecordingGraphics(fx.get(), 224, 333);
  fx->AttachGraphics(gui); // owned by the effect from here on
  fx->SetLedIdx(7);
  gui->mCalls.clear();

  const struct
  {
    double value;
    bool on;
    std::vector<std::pair<int, double>> calls;
  } steps[] = {{1, true, {{7, 1.0}}}, {0, false, {{7, 0.0}}}, {0, false, {{7, 0.0}}}};
  for (const auto& s : steps)
  {
    gui->mCalls.clear();
    fx->GetParam(Quorvane::kEffect)->Set(s.value);
    fx->OnParamChange(Quorvane::kEffect);
    EXPECT_EQ(fx->IsEffectOn(), s.on) << s.value;
    EXPECT_EQ(gui->mCalls, s.calls) << s.value;
  }

  // Other parameters never touch the LED.
  gui->mCalls.clear();
  for (int idx : {0, 1, 2, 3, 4, 6, -1})
    fx->OnParamChange(idx);
  EXPECT_TRUE(gui->mCalls.empty());
}
