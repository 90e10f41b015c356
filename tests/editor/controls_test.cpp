// Value rules of the control base and of the controls the effect's editor is built from.
#include "EditorTestUtil.h"

#include "editor/controls/IBitmapControl.h"
#include "editor/controls/IBitmapOverlayControl.h"
#include "editor/controls/IKnobMultiControl.h"
#include "editor/controls/IOnOffControl.h"
#include "editor/controls/IPanelControl.h"
#include "editor/controls/ISwitchControl.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
// A text control stand-in: remembers the last text and whether it changed.
class TextSink : public IControl
{
public:
  explicit TextSink(IEffectBase* plug) : IControl(plug, IRECT(0, 0, 1, 1)) {}
  bool Draw(IGraphics*) override { return true; }
  void SetTextFromPlug(const char* text) override
  {
    if (mText == text) return;
    mText = text;
    ++mChanges;
  }
  std::string mText;
  int mChanges = 0;
};

IBitmap Strip(int w, int h, int n)
{
  return IBitmap(nullptr, w, h, n);
}
} // namespace

TEST(FrameForValue, RoundsToTheNearestFrameAndClampsToTheStrip)
{
  struct Case
  {
    double value;
    int frames, frame;
  };
  const Case cases[] = {
      {0.5, 65, 33},   // 64 * 0.5 + 0.5 = 32.5 -> 32
      {0.0078, 65, 1}, // 0.9992 -> 0
      {0.008, 65, 2},  // 1.012 -> 1
      {1.0, 65, 65},   {0.0, 65, 1}, {-3.0, 65, 1}, {7.0, 65, 65},
      {0.5, 1, 1},     {0.9, 0, 1},  {0.74, 3, 2}, // 2 * 0.74 + 0.5 = 1.98 -> 1
      {0.75, 3, 3},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FrameForValue(c.value, c.frames), c.frame) << c.value;
  EXPECT_EQ(FrameForValue(std::nan(""), 10), 1);
  EXPECT_EQ(FrameForValue(1e300, 10), 10);
}

TEST(ControlBase, WheelDoubleClickAndClampRules)
{
  TestEffect fx("1-1", 4);
  InitTestParams(fx);
  IPanelControl c(&fx, IRECT(0, 0, 10, 10), &COLOR_RED);
  IMouseMod plain, fine(false, false, true), ctrl(false, false, false, true);

  c.OnMouseDblClick(0, 0, &plain); // no default known yet: nothing
  EXPECT_DOUBLE_EQ(c.GetValue(), 0.0);
  c.OnMouseWheel(0, 0, &plain, 3);
  EXPECT_DOUBLE_EQ(c.GetValue(), 0.03);
  c.OnMouseWheel(0, 0, &fine, -1);
  c.OnMouseWheel(0, 0, &ctrl, -1);
  EXPECT_NEAR(c.GetValue(), 0.028, 1e-12);
  c.OnMouseWheel(0, 0, &plain, -10); // clamped at the bottom
  EXPECT_DOUBLE_EQ(c.GetValue(), 0.0);

  c.SetValueFromPlug(0.4); // first push: value and default
  c.Clamp(0.2, 0.6);
  c.OnMouseWheel(0, 0, &plain, 50);
  EXPECT_DOUBLE_EQ(c.GetValue(), 0.6);
  c.OnMouseDblClick(0, 0, &plain);
  EXPECT_DOUBLE_EQ(c.GetValue(), 0.4);

  // Hide and GrayOut; un-graying restores full weight whatever it was built with.
  IPanelControl heavy(&fx, IRECT(0, 0, 1, 1), &COLOR_RED);
  heavy.GrayOut(true);
  EXPECT_FLOAT_EQ(heavy.GetBlend()->mWeight, 0.25f);
  heavy.GrayOut(false);
  EXPECT_FLOAT_EQ(heavy.GetBlend()->mWeight, 1.0f);
  heavy.SetClean();
  heavy.Hide(true);
  EXPECT_TRUE(heavy.IsDirty());
  heavy.SetClean();
  EXPECT_TRUE(heavy.IsDirty()); // drawn once more after the change
  heavy.SetClean();
  EXPECT_FALSE(heavy.IsDirty());
}

TEST(ControlBase, UserChangesReachThePlugInAndTheDisplays)
{
  TestEffect fx("1-1", 4);
  InitTestParams(fx);
  std::vector<std::string> log;
  ProbeControl g(&fx, IRECT(0, 0, 10, 10), 0, &log, "g");
  ProbeControl m(&fx, IRECT(0, 0, 10, 10), 1, &log, "m");
  TextSink value(&fx), name(&fx), modeText(&fx);
  g.SetValDisplayControl(&value);
  g.SetNameDisplayControl(&name);
  m.SetValDisplayControl(&modeText);

  g.SetValueFromUserInput(0.25);
  EXPECT_DOUBLE_EQ(fx.GetParam(0)->Value(), 2.5);
  ASSERT_EQ(fx.mInformed.size(), 1u);
  EXPECT_EQ(fx.mInformed[0].idx, 0);
  EXPECT_EQ(value.mText, "2.5 dB");
  EXPECT_EQ(name.mText, "Gain");
  EXPECT_TRUE(g.GetRedrawRequested());
  g.SetValueFromUserInput(0.25); // unchanged: nothing sent
  EXPECT_EQ(fx.mInformed.size(), 1u);
  g.SetDirty(true); // same texts: the displays do not change again
  EXPECT_EQ(value.mChanges, 1);
  EXPECT_EQ(name.mChanges, 1);

  // A display text replaces the number, and the label goes (an empty one after the space).
  m.SetValueFromUserInput(1.0);
  EXPECT_EQ(modeText.mText, "Fuzz ");

  // Without informing, nothing reaches the plug-in.
  g.SetValue(0.9);
  g.SetDirty(false);
  EXPECT_DOUBLE_EQ(fx.GetParam(0)->Value(), 2.5);

  // Auxiliary parameters: stored from the plug-in, sent back in order.
  g.AddAuxParam(3);
  g.AddAuxParam(1);
  EXPECT_EQ(g.AuxParamIdx(1), 1);
  EXPECT_EQ(g.AuxParamIdx(2), -1);
  g.SetClean();
  g.SetClean();
  g.SetAuxParamValueFromPlug(0, 0.5);
  EXPECT_TRUE(g.IsDirty());
  g.SetAuxParamValueFromPlug(7, 0.5); // no such entry
  g.GetAuxParam(1)->mValue = 0.0;
  fx.mParamChanges.clear();
  g.SetAllAuxParamsFromGUI();
  EXPECT_EQ(fx.mParamChanges, (std::vector<int>{3, 1}));
  EXPECT_DOUBLE_EQ(fx.GetParam(3)->Value(), 2.0);
  EXPECT_DOUBLE_EQ(fx.GetParam(1)->Value(), 0.0);
}

TEST(KnobControl, GearingDragMovesOneOverGearingPerHeight)
{
  TestEffect fx("1-1", 4);
  InitTestParams(fx);
  IBitmap strip = Strip(20, 40 * 65, 65); // 20 x 40 frames
  IKnobMultiControl knob(&fx, 5, 6, 0, &strip);
  EXPECT_EQ(*knob.GetRECT(), IRECT(5, 6, 25, 46));
  IMouseMod plain, fine(false, false, true);
  knob.SetValue(0.5);

  struct Step
  {
    int dY;
    IMouseMod* mod;
    double expected;
  };
  // With gearing 4 a full height (40 px) upwards adds 1/4; the fine modifier 1/40.
  const Step steps[] = {
      {-40, &plain, 0.75}, {40, &plain, 0.5}, {-40, &fine, 0.525}, {-400, &plain, 1.0}, // clamped
      {20, &plain, 0.875},
  };
  for (const Step& s : steps)
  {
    knob.OnMouseDrag(0, 0, 99, s.dY, s.mod); // dX is ignored by a vertical knob
    EXPECT_NEAR(knob.GetValue(), s.expected, 1e-12) << s.dY;
  }
  EXPECT_NEAR(fx.GetParam(0)->Value(), 8.75, 1e-9);

  IKnobMultiControl across(&fx, 0, 0, 0, &strip, kHorizontal, 2.0);
  across.OnMouseDrag(0, 0, 10, -99, &plain); // 10 of 20 px at gearing 2
  EXPECT_DOUBLE_EQ(across.GetValue(), 0.25);
}

TEST(SwitchControl, AdvancesByOneFrameAndWraps)
{
  TestEffect fx("1-1", 4);
  InitTestParams(fx);
  IMouseMod mod(true);
  IBitmap three = Strip(10, 30, 3);
  ISwitchControl sw(&fx, 0, 0, 3, &three);
  EXPECT_EQ(*sw.GetRECT(), IRECT(0, 0, 10, 10));
  std::vector<double> seen;
  for (int i = 0; i < 4; ++i)
  {
    sw.OnMouseDown(0, 0, &mod);
    seen.push_back(sw.GetValue());
  }
  EXPECT_EQ(seen, (std::vector<double>{0.5, 1.0, 0.0, 0.5}));
  sw.OnMouseDblClick(0, 0, &mod); // advances like a press
  EXPECT_DOUBLE_EQ(sw.GetValue(), 1.0);
  EXPECT_DOUBLE_EQ(fx.GetParam(3)->Value(), 4.0);

  IBitmap one = Strip(10, 10, 1);
  ISwitchControl toggle(&fx, 0, 0, -1, &one);
  seen.clear();
  for (int i = 0; i < 3; ++i)
  {
    toggle.OnMouseDown(0, 0, &mod);
    seen.push_back(toggle.GetValue());
  }
  EXPECT_EQ(seen, (std::vector<double>{1.0, 0.0, 1.0}));
}

TEST(OnOffControl, TogglesOnPressAndShowsThePressOnly)
{
  TestEffect fx("1-1", 4);
  InitTestParams(fx);
  auto* g = new HeadlessGraphics(&fx, 100, 100);
  IBitmap two = Strip(8, 12, 2);
  auto* button = new IOnOffControl(&fx, 3, 4, 2, &two);
  g->AttachControl(button);
  fx.AttachGraphics(g);
  EXPECT_EQ(*button->GetRECT(), IRECT(3, 4, 11, 10));
  EXPECT_DOUBLE_EQ(button->GetValue(), 1.0); // "Power" starts on

  IMouseMod mod(true);
  g->OnMouseDown(5, 5, &mod);
  EXPECT_DOUBLE_EQ(button->GetValue(), 0.0);
  EXPECT_EQ(button->GetShownFrame(), 2);
  EXPECT_FALSE(fx.GetParam(2)->Bool());
  g->OnMouseUp(5, 5, &mod);
  EXPECT_DOUBLE_EQ(button->GetValue(), 0.0);
  EXPECT_EQ(button->GetShownFrame(), 1);
  // Press and release each send the value, inside one begin/end pair.
  EXPECT_EQ(fx.mBegun, std::vector<int>{2});
  EXPECT_EQ(fx.mEnded, std::vector<int>{2});
  EXPECT_EQ(fx.mInformed.size(), 2u);
  g->OnMouseDown(5, 5, &mod);
  EXPECT_TRUE(fx.GetParam(2)->Bool());
}

TEST(OverlayControl, HiddenOverlayReactsOnlyInItsTargetArea)
{
  TestEffect fx("1-1", 1);
  HeadlessGraphics g(&fx, 120, 120);
  g.AddStripImage("bg", 120, 120, {0xFF0000FFu});
  g.AddStripImage("about", 100, 60, {0xFFFFFFFFu});
  g.PrepDraw();
  g.AttachBackground(9300, "bg");
  IBitmap about = g.LoadIBitmap(9301, "about");
  auto* overlay = new IBitmapOverlayControl(&fx, 6, 48, &about, IRECT(17, 88, 97, 118));
  const int idx = g.AttachControl(overlay);
  EXPECT_EQ(*overlay->GetRECT(), IRECT(6, 48, 106, 108));

  // Until its first draw the whole rectangle is hit.
  EXPECT_EQ(g.GetMouseControlIdx(50, 50), idx);
  IRECT r;
  g.IsDirty(&r);
  g.Draw(&r);
  EXPECT_EQ(g.Pixel(50, 50), 0xFF0000FFu); // hidden: nothing drawn
  EXPECT_EQ(g.GetMouseControlIdx(50, 50), 0);
  EXPECT_EQ(g.GetMouseControlIdx(20, 90), idx);

  IMouseMod mod(true);
  g.OnMouseDown(20, 90, &mod);
  g.OnMouseUp(20, 90, &mod);
  EXPECT_DOUBLE_EQ(overlay->GetValue(), 1.0);
  r = IRECT();
  ASSERT_TRUE(g.IsDirty(&r));
  g.Draw(&r);
  EXPECT_EQ(g.Pixel(50, 50), 0xFFFFFFFFu);
  EXPECT_EQ(g.GetMouseControlIdx(50, 50), idx); // shown: hit anywhere on it

  g.OnMouseDown(100, 100, &mod);
  g.OnMouseUp(100, 100, &mod);
  EXPECT_DOUBLE_EQ(overlay->GetValue(), 0.0);
  // Hiding repaints what lies beneath.
  for (int tick = 0; tick < 2; ++tick)
  {
    r = IRECT();
    if (g.IsDirty(&r)) g.Draw(&r);
  }
  EXPECT_EQ(g.Pixel(50, 50), 0xFF0000FFu);
  EXPECT_EQ(g.GetMouseControlIdx(50, 50), 0);
}
