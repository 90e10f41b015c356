// Event routing, parameter links and dirty collection of the editor core.
#include "EditorTestUtil.h"

#include "editor/controls/IBitmapControl.h"
#include "editor/controls/ISwitchControl.h"

#include <gtest/gtest.h>

using Log = std::vector<std::string>;

TEST(IRect, IntersectionIsInclusiveOnRightAndBottomAndEmptyNeverMeets)
{
  const IRECT a(10, 10, 20, 20);
  struct Case
  {
    IRECT b;
    bool intersects;
  };
  const Case cases[] = {
      {IRECT(20, 10, 30, 20), true},  // touches a's right edge
      {IRECT(10, 20, 20, 30), true},  // touches a's bottom edge
      {IRECT(0, 10, 10, 20), false},  // touches a's left edge: b.R >= a.L but a.L < b.R fails
      {IRECT(21, 10, 30, 20), false}, // one pixel beyond
      {IRECT(12, 12, 14, 14), true},  // inside
      {IRECT(), false},               // empty
  };
  for (const Case& c : cases)
    EXPECT_EQ(a.Intersects(c.b), c.intersects) << c.b.L << "," << c.b.T;
  EXPECT_FALSE(IRECT().Intersects(a));
  EXPECT_FALSE(IRECT().Contains(0, 0));
  EXPECT_TRUE(IRECT(0, 0, 1, 1).Contains(0, 0));
  EXPECT_FALSE(IRECT(0, 0, 1, 1).Contains(1, 0));
  EXPECT_EQ(IRECT().Union(a), a);
  EXPECT_EQ(a.Union(IRECT()), a);
  EXPECT_EQ(a.Union(IRECT(30, 0, 40, 5)), IRECT(10, 0, 40, 20));
}

TEST(EditorHitTest, TopmostVisibleEnabledControlWins)
{
  TestEffect fx("1-1", 4);
  HeadlessGraphics g(&fx, 100, 100);
  Log log;
  g.AttachControl(new ProbeControl(&fx, IRECT(0, 0, 100, 100), -1, &log, "bg"));
  g.AttachControl(new ProbeControl(&fx, IRECT(10, 10, 50, 50), 0, &log, "a"));
  g.AttachControl(new ProbeControl(&fx, IRECT(30, 30, 70, 70), 1, &log, "b"));
  g.AttachControl(new ProbeControl(&fx, IRECT(), 2, &log, "empty"));

  EXPECT_EQ(g.GetMouseControlIdx(40, 40), 2); // overlap: the later control
  EXPECT_EQ(g.GetMouseControlIdx(20, 20), 1);
  EXPECT_EQ(g.GetMouseControlIdx(0, 0), 0); // the empty rect at (0,0) is never hit
  EXPECT_EQ(g.GetMouseControlIdx(100, 50), -1);
  EXPECT_EQ(g.AttachControl(nullptr), -1);
  EXPECT_EQ(g.GetNControls(), 4);

  g.GetControl(2)->Hide(true);
  EXPECT_EQ(g.GetMouseControlIdx(40, 40), 1);
  g.GetControl(1)->GrayOut(true);
  EXPECT_EQ(g.GetMouseControlIdx(40, 40), 0);
  // Hover may reach a grayed control that asks for it.
  g.GetControl(1)->SetMOWhenGrayed(true);
  EXPECT_EQ(g.GetMouseControlIdx(40, 40, false), 0);
  EXPECT_EQ(g.GetMouseControlIdx(40, 40, true), 1);
}

TEST(EditorMouse, GesturesAreBracketedByOneBeginAndOneEnd)
{
  TestEffect fx("1-1", 4);
  HeadlessGraphics g(&fx, 100, 100);
  Log log;
  g.AttachControl(new ProbeControl(&fx, IRECT(0, 0, 100, 100), -1, &log, "bg"));
  g.AttachControl(new ProbeControl(&fx, IRECT(10, 10, 20, 20), 3, &log, "k"));
  IMouseMod mod(true);

  g.OnMouseDown(12, 12, &mod);
  g.OnMouseDrag(12, 12, &mod); // same position: not delivered
  g.OnMouseDrag(15, 9, &mod);  // leaves the control: capture keeps it
  g.OnMouseDrag(90, 90, &mod);
  g.OnMouseUp(90, 90, &mod);
  g.OnMouseDrag(91, 91, &mod); // no capture any more
  EXPECT_EQ(log, (Log{"k down 12 12", "k drag 3 -3", "k drag 75 81", "k up 90 90"}));
  EXPECT_EQ(fx.mBegun, std::vector<int>{3});
  EXPECT_EQ(fx.mEnded, std::vector<int>{3});
  EXPECT_EQ(g.GetMouseCapture(), -1);

  // Background gestures carry no parameter and notify nothing.
  g.OnMouseDown(50, 50, &mod);
  g.OnMouseUp(50, 50, &mod);
  EXPECT_EQ(fx.mBegun.size(), 1u);
  EXPECT_EQ(fx.mEnded.size(), 1u);

  // A control bound past the parameter list stays local: no notifications, no value sent.
  IBitmap strip(nullptr, 10, 20, 2);
  auto* stray = new ISwitchControl(&fx, 60, 60, 9, &strip);
  g.AttachControl(stray);
  g.OnMouseDown(65, 65, &mod); // advances the switch
  g.OnMouseUp(65, 65, &mod);
  EXPECT_DOUBLE_EQ(stray->GetValue(), 1.0);
  EXPECT_EQ(fx.mBegun.size(), 1u);
  EXPECT_EQ(fx.mEnded.size(), 1u);
  EXPECT_TRUE(fx.mInformed.empty());

  // A press outside every control starts no capture.
  TestEffect fx2("1-1", 1);
  HeadlessGraphics g2(&fx2, 10, 10);
  g2.OnMouseDown(5, 5, &mod);
  g2.OnMouseUp(5, 5, &mod);
  EXPECT_EQ(g2.GetMouseCapture(), -1);
}

TEST(EditorMouse, DoubleClicksAndReleasesWithoutCapture)
{
  TestEffect fx("1-1", 4);
  HeadlessGraphics g(&fx, 100, 100);
  Log log;
  g.AttachControl(new ProbeControl(&fx, IRECT(0, 0, 100, 100), -1, &log, "bg"));
  auto* single = new ProbeControl(&fx, IRECT(0, 0, 10, 10), 1, &log, "single");
  single->SetMouseDblAsSingleClick(true);
  g.AttachControl(single);
  g.AttachControl(new ProbeControl(&fx, IRECT(20, 0, 30, 10), 2, &log, "plain"));
  IMouseMod mod(true);

  // Delivered as a press: capture without a begin; the release still ends.
  EXPECT_TRUE(g.OnMouseDblClick(5, 5, &mod));
  EXPECT_EQ(g.GetMouseCapture(), 1);
  g.OnMouseUp(5, 5, &mod);
  EXPECT_TRUE(fx.mBegun.empty());
  EXPECT_EQ(fx.mEnded, std::vector<int>{1});

  // An ordinary double click: no capture; the release that follows goes to the control
  // under the pointer and sends an unmatched end.
  EXPECT_FALSE(g.OnMouseDblClick(25, 5, &mod));
  EXPECT_EQ(g.GetMouseCapture(), -1);
  g.OnMouseUp(25, 5, &mod);
  EXPECT_EQ(fx.mEnded, (std::vector<int>{1, 2}));
  EXPECT_FALSE(g.OnMouseDblClick(500, 500, &mod));
  EXPECT_EQ(log, (Log{"single down 5 5", "single up 5 5", "plain dbl 25 5", "plain up 25 5"}));
}

TEST(EditorMouse, WheelGoesToCaptureElseToControlUnderPointer)
{
  TestEffect fx("1-1", 4);
  HeadlessGraphics g(&fx, 100, 100);
  Log log;
  g.AttachControl(new ProbeControl(&fx, IRECT(0, 0, 10, 10), -1, &log, "a"));
  g.AttachControl(new ProbeControl(&fx, IRECT(20, 0, 30, 10), -1, &log, "b"));
  IMouseMod mod;
  g.OnMouseWheel(25, 5, &mod, 2);
  g.OnMouseWheel(50, 50, &mod, 1); // nothing there
  g.OnMouseDown(5, 5, &mod);
  g.OnMouseWheel(25, 5, &mod, -1); // captured by a
  EXPECT_EQ(log, (Log{"b wheel 2 0", "a down 5 5", "a wheel -1 0"}));
}

TEST(EditorMouse, HoverSendsOverThenOutOfThePreviousControl)
{
  TestEffect fx("1-1", 4);
  HeadlessGraphics g(&fx, 100, 100);
  Log log;
  g.AttachControl(new ProbeControl(&fx, IRECT(0, 0, 10, 10), -1, &log, "a"));
  g.AttachControl(new ProbeControl(&fx, IRECT(20, 0, 30, 10), -1, &log, "b"));
  IMouseMod mod;
  EXPECT_FALSE(g.OnMouseOver(5, 5, &mod)); // hover handling is off by default
  g.HandleMouseOver(true);
  EXPECT_TRUE(g.OnMouseOver(5, 5, &mod));
  EXPECT_TRUE(g.OnMouseOver(6, 5, &mod));
  EXPECT_TRUE(g.OnMouseOver(50, 50, &mod)); // nothing: a keeps its hover
  EXPECT_EQ(g.GetMouseOver(), 0);
  EXPECT_TRUE(g.OnMouseOver(25, 5, &mod));
  g.OnMouseOut();
  EXPECT_EQ(g.GetMouseOver(), -1);
  EXPECT_EQ(log, (Log{"a over 5 5", "a over 6 5", "b over 25 5", "a out", "a out", "b out"}));
}

TEST(EditorKeys, KeysOverTheBackgroundGoToTheKeyCatcher)
{
  TestEffect fx("1-1", 4);
  HeadlessGraphics g(&fx, 100, 100);
  Log log;
  g.AttachControl(new ProbeControl(&fx, IRECT(0, 0, 100, 100), -1, &log, "bg"));
  auto* knob = new ProbeControl(&fx, IRECT(10, 10, 20, 20), -1, &log, "knob");
  knob->mKeyResult = false;
  g.AttachControl(knob);

  EXPECT_FALSE(g.OnKeyDown(50, 50, KEY_SPACE));   // no key catcher yet
  EXPECT_FALSE(g.OnKeyDown(15, 15, KEY_UPARROW)); // the knob's own answer
  auto* catcher = new ProbeControl(&fx, IRECT(), -1, &log, "catcher");
  g.AttachKeyCatcher(catcher);
  EXPECT_TRUE(g.OnKeyDown(50, 50, KEY_ALPHA_A));
  EXPECT_TRUE(g.OnKeyDown(500, 500, KEY_DIGIT_0)); // nothing under the pointer
  EXPECT_EQ(log, (Log{"knob key 1 0", "catcher key 15 0", "catcher key 5 0"}));
  EXPECT_EQ(KEY_ALPHA_Z, 40);
  EXPECT_EQ(KEY_DIGIT_9, 14);
}

TEST(EditorParams, PushesReachEveryBoundControlAndAuxiliaryEntry)
{
  TestEffect fx("1-1", 4);
  InitTestParams(fx);
  HeadlessGraphics g(&fx, 100, 100);
  Log log;
  auto* a = new ProbeControl(&fx, IRECT(0, 0, 10, 10), 0, &log, "a");
  auto* b = new ProbeControl(&fx, IRECT(0, 0, 10, 10), 0, &log, "b");
  auto* c = new ProbeControl(&fx, IRECT(0, 0, 10, 10), 3, &log, "c");
  c->AddAuxParam(1);
  c->AddAuxParam(0);
  g.AttachControl(a);
  g.AttachControl(b);
  g.AttachControl(c);

  g.SetParameterFromPlug(0, 2.5, false); // plain: 2.5 of 0..10
  EXPECT_DOUBLE_EQ(a->GetValue(), 0.25);
  EXPECT_DOUBLE_EQ(b->GetValue(), 0.25);
  EXPECT_DOUBLE_EQ(c->GetValue(), 0.0);
  EXPECT_DOUBLE_EQ(c->GetAuxParam(1)->mValue, 0.25);
  EXPECT_DOUBLE_EQ(c->GetAuxParam(0)->mValue, 0.0);
  EXPECT_EQ(c->GetAuxParam(2), nullptr);

  g.SetControlFromPlug(2, 0.75);
  g.SetControlFromPlug(3, 0.5); // out of range: ignored
  g.SetControlFromPlug(-1, 0.5);
  EXPECT_DOUBLE_EQ(c->GetValue(), 0.75);
  g.SetParameterFromPlug(99, 0.5, false); // no such parameter: nothing

  // A user change on one control keeps the other controls of the parameter in step.
  g.SetParameterFromGUI(0, 0.6);
  EXPECT_DOUBLE_EQ(a->GetValue(), 0.6);
  EXPECT_DOUBLE_EQ(b->GetValue(), 0.6);

  g.ClampControl(0, 2.0, 4.0, false);
  a->SetValue(0.9);
  a->SetDirty(false);
  EXPECT_DOUBLE_EQ(a->GetValue(), 0.4);
  g.HideControl(0, true);
  g.GrayOutControl(3, true);
  EXPECT_TRUE(a->IsHidden() && b->IsHidden() && !c->IsHidden());
  EXPECT_TRUE(c->IsGrayed());
  EXPECT_FLOAT_EQ(c->GetBlend()->mWeight, 0.25f);
}

TEST(EditorParams, AttachGraphicsPushesEveryParameterAndSetsDefaults)
{
  TestEffect fx("1-1", 4);
  InitTestParams(fx);
  auto* g = new HeadlessGraphics(&fx, 100, 100);
  Log log;
  auto* gain = new ProbeControl(&fx, IRECT(0, 0, 10, 10), 0, &log, "gain");
  auto* steps = new ProbeControl(&fx, IRECT(0, 0, 10, 10), 3, &log, "steps");
  g->AttachControl(gain);
  g->AttachControl(steps);
  fx.AttachGraphics(g); // the plug-in now owns the editor
  ASSERT_NE(g->GetDrawBitmap(), nullptr);
  EXPECT_DOUBLE_EQ(gain->GetValue(), 0.5);
  EXPECT_DOUBLE_EQ(gain->GetDefaultValue(), 0.5);
  EXPECT_DOUBLE_EQ(steps->GetValue(), 0.5);

  fx.GetParam(0)->Set(10.0);
  fx.GetParam(3)->Set(1.0);
  fx.RedrawParamControls(); // plain values, normalised by the editor
  EXPECT_DOUBLE_EQ(gain->GetValue(), 1.0);
  EXPECT_DOUBLE_EQ(steps->GetValue(), 0.25);
  EXPECT_DOUBLE_EQ(gain->GetDefaultValue(), 0.5); // only the first push sets it

  // A double click restores the default and sends it to the plug-in.
  IMouseMod mod(true);
  gain->IControl::OnMouseDblClick(1, 1, &mod);
  EXPECT_DOUBLE_EQ(fx.GetParam(0)->Value(), 5.0);
}

TEST(EditorParams, AttachBackgroundBecomesIndexZero)
{
  TestEffect fx("1-1", 1);
  HeadlessGraphics g(&fx, 40, 30);
  g.AddStripImage("bg.png", 40, 30, {0xFF0000FFu});
  Log log;
  const int first = g.AttachControl(new ProbeControl(&fx, IRECT(0, 0, 5, 5), -1, &log, "p"));
  EXPECT_EQ(first, 0);
  g.AttachBackground(9101, "bg.png");
  ASSERT_EQ(g.GetNControls(), 2);
  EXPECT_EQ(*g.GetControl(0)->GetRECT(), IRECT(0, 0, 40, 30));
  EXPECT_EQ(g.GetControl(0)->GetBlend()->mMethod, IChannelBlend::kBlendClobber);
  EXPECT_EQ(g.GetControl(0)->ParamIdx(), -1);
  // The earlier index now names the control attached just before it.
  EXPECT_EQ(*g.GetControl(first)->GetRECT(), IRECT(0, 0, 40, 30));

  // A background that cannot be loaded is empty: never hit, never drawn.
  g.AttachBackground(9102, "missing.png");
  EXPECT_TRUE(g.GetControl(0)->GetRECT()->Empty());
  EXPECT_EQ(g.GetMouseControlIdx(2, 2), 2);
}

TEST(EditorRedraw, DirtyRegionIsTheUnionAndRedrawRequestsLastOneMoreTick)
{
  TestEffect fx("1-1", 4);
  HeadlessGraphics g(&fx, 100, 100);
  g.PrepDraw();
  Log log;
  auto* a = new ProbeControl(&fx, IRECT(10, 10, 20, 20), -1, &log, "a");
  auto* b = new ProbeControl(&fx, IRECT(50, 60, 70, 80), -1, &log, "b");
  auto* e = new ProbeControl(&fx, IRECT(), -1, &log, "e");
  g.AttachControl(a);
  g.AttachControl(b);
  g.AttachControl(e);

  IRECT r;
  EXPECT_TRUE(g.IsDirty(&r)); // everything starts dirty; the empty rect adds nothing
  EXPECT_EQ(r, IRECT(10, 10, 70, 80));
  EXPECT_TRUE(g.Draw(&r));
  EXPECT_EQ(g.mScreenRects.back(), r);
  IRECT none;
  EXPECT_FALSE(g.IsDirty(&none));
  EXPECT_TRUE(none.Empty());
  EXPECT_EQ(e->mDraws, 0); // empty rectangles are never drawn

  // A value pushed from the plug-in: drawn in the tick that sees it and once more.
  a->SetValueFromPlug(0.3); // first push: becomes value and default, no redraw
  EXPECT_FALSE(a->IsDirty());
  a->SetValueFromPlug(0.7);
  for (int tick = 0; tick < 3; ++tick)
  {
    IRECT d;
    const bool dirty = g.IsDirty(&d);
    EXPECT_EQ(dirty, tick < 2) << tick;
    if (dirty)
    {
      EXPECT_EQ(d, IRECT(10, 10, 20, 20));
      g.Draw(&d);
    }
  }
  EXPECT_EQ(a->mDraws, 3);
  a->SetValueFromPlug(0.7); // equal value: nothing at all
  EXPECT_FALSE(a->IsDirty());
}

TEST(EditorPrompt, EnumsGetAMenuNumbersATextEntry)
{
  TestEffect fx("1-1", 4);
  InitTestParams(fx);
  HeadlessGraphics g(&fx, 100, 100);
  Log log;
  auto* mode = new ProbeControl(&fx, IRECT(0, 0, 10, 10), 1, &log, "mode");
  auto* gain = new ProbeControl(&fx, IRECT(20, 20, 40, 30), 0, &log, "gain");
  g.AttachControl(mode);
  g.AttachControl(gain);
  IRECT r(1, 2, 3, 4);

  // Enum: one item per display text, the current one checked.
  g.mMenuChoice = 2;
  g.PromptUserInput(mode, fx.GetParam(1), &r);
  ASSERT_EQ(g.mMenus.size(), 1u);
  EXPECT_EQ(g.mMenus[0].texts, (std::vector<std::string>{"Soft", "Hard", "Fuzz"}));
  EXPECT_EQ(g.mMenus[0].checked, (std::vector<bool>{false, true, false}));
  EXPECT_EQ(g.mMenus[0].rect, r);
  EXPECT_DOUBLE_EQ(mode->GetValue(), 1.0);
  EXPECT_DOUBLE_EQ(fx.GetParam(1)->Value(), 2.0); // reached the plug-in

  g.mMenuChoice = -1; // dismissed: nothing changes
  g.PromptUserInput(mode, fx.GetParam(1), &r);
  EXPECT_DOUBLE_EQ(mode->GetValue(), 1.0);

  // Number: a text entry with the number, no display texts; a commit sets the value.
  g.mCommitText = true;
  g.mTextReply = "2.5";
  g.PromptUserInput(gain, fx.GetParam(0), &r);
  ASSERT_EQ(g.mTextEntries.size(), 1u);
  EXPECT_EQ(g.mTextEntries[0].text, "5.0");
  EXPECT_EQ(g.mTextEntries[0].param, fx.GetParam(0));
  EXPECT_DOUBLE_EQ(gain->GetValue(), 0.25);

  // Typed text for a negated display is negated back; enums map their texts.
  fx.GetParam(0)->SetDisplayNegated(true);
  g.SetFromStringAfterPrompt(gain, fx.GetParam(0), "-7.5");
  EXPECT_DOUBLE_EQ(gain->GetValue(), 0.75);
  g.SetFromStringAfterPrompt(mode, fx.GetParam(1), "Soft");
  EXPECT_DOUBLE_EQ(mode->GetValue(), 0.0);

  // Text that names no finite number is dropped: the control keeps its value.
  for (const char* junk : {"nan", "-nan", "inf", "1e999"})
  {
    g.SetFromStringAfterPrompt(gain, fx.GetParam(0), junk);
    EXPECT_DOUBLE_EQ(gain->GetValue(), 0.75) << junk;
  }

  // Null arguments do nothing.
  g.PromptUserInput(nullptr, fx.GetParam(0), &r);
  g.PromptUserInput(gain, nullptr, &r);
  g.PromptUserInput(gain, fx.GetParam(0), nullptr);
  g.SetFromStringAfterPrompt(gain, nullptr, "1");
  EXPECT_EQ(g.mTextEntries.size(), 1u);
  EXPECT_EQ(g.mMenus.size(), 2u);
}

TEST(EditorPrompt, ControlPromptNeedsAParameterAndPromptingEnabled)
{
  TestEffect fx("1-1", 4);
  InitTestParams(fx);
  auto* g = new HeadlessGraphics(&fx, 100, 100);
  Log log;
  auto* gain = new ProbeControl(&fx, IRECT(20, 21, 41, 30), 0, &log, "gain");
  auto* power = new ProbeControl(&fx, IRECT(50, 50, 60, 60), 2, &log, "power");
  auto* none = new ProbeControl(&fx, IRECT(0, 0, 10, 10), -1, &log, "none");
  g->AttachControl(gain);
  g->AttachControl(power);
  g->AttachControl(none);
  fx.AttachGraphics(g);

  gain->PromptUserInput(); // prompting is disabled by default
  EXPECT_TRUE(g->mTextEntries.empty());
  gain->DisablePrompt(false);
  none->DisablePrompt(false);
  none->PromptUserInput();
  gain->PromptUserInput();
  ASSERT_EQ(g->mTextEntries.size(), 1u);
  // 30 x 16 centred on (30.5 -> 30, 25.5 -> 25).
  EXPECT_EQ(g->mTextEntries[0].rect, IRECT(15, 17, 45, 33));
  EXPECT_TRUE(gain->GetRedrawRequested());

  // With display texts (a Bool) the menu opens over the control's own rectangle.
  power->DisablePrompt(false);
  g->mMenuChoice = 0;
  power->PromptUserInput();
  ASSERT_EQ(g->mMenus.size(), 1u);
  EXPECT_EQ(g->mMenus[0].texts, (std::vector<std::string>{"off", "on"}));
  EXPECT_EQ(g->mMenus[0].rect, IRECT(50, 50, 60, 60));
  EXPECT_FALSE(fx.GetParam(2)->Bool());
}

TEST(EditorState, AutomationQueryAndResize)
{
  TestEffect fx("1-1", 4);
  HeadlessGraphics g(&fx, 100, 100);
  Log log;
  g.AttachControl(new ProbeControl(&fx, IRECT(0, 0, 100, 100), 2, &log, "bg"));
  g.AttachControl(new ProbeControl(&fx, IRECT(10, 10, 20, 20), 3, &log, "k"));
  EXPECT_EQ(g.GetParamIdxForPTAutomation(15, 15), 3);
  EXPECT_EQ(g.GetLastClickedParamForPTAutomation(), 3);
  EXPECT_EQ(g.GetLastClickedParamForPTAutomation(), -1);
  EXPECT_EQ(g.GetParamIdxForPTAutomation(50, 50), -1); // the background never counts

  IMouseMod mod(true);
  g.OnMouseDown(15, 15, &mod);
  g.Resize(60, 40);
  EXPECT_EQ(g.GetNControls(), 0);
  EXPECT_EQ(g.GetMouseCapture(), -1);
  EXPECT_EQ(g.Width(), 60);
  ASSERT_NE(g.GetDrawBitmap(), nullptr);
  g.OnMouseDrag(1, 1, &mod); // nothing captured any more
  g.OnMouseUp(1, 1, &mod);
  IRECT r(0, 0, 60, 40);
  EXPECT_TRUE(g.Draw(&r)); // nothing to draw
  EXPECT_TRUE(g.mScreenRects.empty());
  EXPECT_EQ(HeadlessGraphics(&fx, 1, 1, -3).FPS(), 25);
  EXPECT_EQ(HeadlessGraphics(&fx, 1, 1, 60).FPS(), 60);
}
