// The pedal's editor as its constructor builds it: order, places, parameters, the LED.
#include "editor/IGraphics.h"
#include "editor/controls/IControl.h"
#include "effect/Quorvane.h"
#include "vst2/vst2_interface.h"

#include <gtest/gtest.h>

#include <memory>

TEST(QuorvaneEditorLayout, ControlsInOrderAtTheirPlacesBoundToTheirParameters)
{
  auto fx = std::make_unique<Quorvane>(IEffectInstanceInfo{});
  IGraphics* gui = GetGraphics(fx.get());
  ASSERT_NE(gui, nullptr);
  EXPECT_EQ(gui->Width(), 224);
  EXPECT_EQ(gui->Height(), 333);
  EXPECT_EQ(gui->GetWindow(), nullptr); // no window and no display until the host asks
  EXPECT_EQ(fx->GetAEffect()->flags, 0x1019);

  // Frame sizes of the artwork: LED 16, button 38, knob 48, about 212 x 176.
  const struct
  {
    IRECT rect;
    int param;
  } expected[] = {
      {{0, 0, 224, 333}, -1},                   // background
      {{104, 15, 120, 31}, -1},                 // LED
      {{93, 228, 131, 266}, Quorvane::kEffect}, // push button
      {{6, 106, 54, 154}, Quorvane::kLevel},    // knobs
      {{170, 106, 218, 154}, Quorvane::kDrive},
      {{44, 84, 92, 132}, Quorvane::kLow},
      {{88, 71, 136, 119}, Quorvane::kMid},
      {{131, 84, 179, 132}, Quorvane::kHigh},
      {{6, 148, 218, 324}, -1}, // about box
  };
  ASSERT_EQ(gui->GetNControls(), 9);
  for (int i = 0; i < 9; ++i)
  {
    IControl* c = gui->GetControl(i);
    const IRECT& r = *c->GetRECT();
    EXPECT_EQ(r.L, expected[i].rect.L) << i;
    EXPECT_EQ(r.T, expected[i].rect.T) << i;
    EXPECT_EQ(r.R, expected[i].rect.R) << i;
    EXPECT_EQ(r.B, expected[i].rect.B) << i;
    EXPECT_EQ(c->ParamIdx(), expected[i].param) << i;
  }
  // "Effect" starts on, so the LED is lit; the hidden about box answers only its mark
  // (its hit area follows what it last drew).
  EXPECT_EQ(gui->GetControl(1)->GetValue(), 1.0);
  IRECT all(0, 0, 224, 333);
  gui->Draw(&all);
  EXPECT_EQ(gui->GetMouseControlIdx(20, 45), 8);
  EXPECT_EQ(gui->GetMouseControlIdx(100, 200), 0);
}
