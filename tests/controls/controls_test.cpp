// Value rules and drawing of the control library beyond the effect's own controls.
#include "editor/HeadlessGraphics.h"
#include "core/TestEffect.h"
#include "editor/controls/IBitmapTextControl.h"
#include "editor/controls/IButtonSwitchControl.h"
#include "editor/controls/ICaptionControl.h"
#include "editor/controls/IContactControl.h"
#include "editor/controls/IEditableTextControl.h"
#include "editor/controls/IFaderControl.h"
#include "editor/controls/IFileSelectorControl.h"
#include "editor/controls/IFreqResponseGraph.h"
#include "editor/controls/IInvisibleSelectControl.h"
#include "editor/controls/IInvisibleSwitchControl.h"
#include "editor/controls/IKnobLineControl.h"
#include "editor/controls/IKnobRotaterControl.h"
#include "editor/controls/IRadioButtonsControl.h"
#include "editor/controls/ISpinnerControl.h"
#include "editor/controls/ITextControl.h"
#include "editor/controls/IURLControl.h"
#include "editor/controls/IUserTextControl.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace
{
constexpr uint32_t kBlack = 0x000000FFu; // A | R << 8 | G << 16 | B << 24
constexpr uint32_t kRed = 0x0000FFFFu;
constexpr uint32_t kGreen = 0x00FF00FFu;

// Parameters: 0 "Gain" Double 0..10 step 0.1 "dB"; 1 "Mode" Enum Soft/Hard/Fuzz;
// 2 "Power" Bool; 3 "Steps" Int 0..4.
struct Editor
{
  TestEffect fx{"1-1", 4};
  HeadlessGraphics* g;

  explicit Editor(int w = 100, int h = 100)
  {
    fx.GetParam(0)->InitDouble("Gain", 5.0, 0.0, 10.0, 0.1, "dB");
    fx.GetParam(1)->InitEnum("Mode", 1, 3);
    fx.GetParam(1)->SetDisplayText(0, "Soft");
    fx.GetParam(1)->SetDisplayText(1, "Hard");
    fx.GetParam(1)->SetDisplayText(2, "Fuzz");
    fx.GetParam(2)->InitBool("Power", true);
    fx.GetParam(3)->InitInt("Steps", 2, 0, 4);
    g = new HeadlessGraphics(&fx, w, h);
    g->AttachPanelBackground(&COLOR_BLACK);
    fx.AttachGraphics(g); // the plug-in owns and deletes the editor
  }
  template <class C> C* Attach(C* control)
  {
    g->AttachControl(control);
    return control;
  }
  void DrawAll()
  {
    IRECT all(0, 0, g->Width(), g->Height());
    g->Draw(&all);
  }
  // True when any pixel within one of (x, y) differs from the black background.
  bool Lit(int x, int y)
  {
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx)
        if (g->Pixel(x + dx, y + dy) != kBlack) return true;
    return false;
  }
};

IMouseMod Left()
{
  return IMouseMod(true);
}
IMouseMod Right()
{
  return IMouseMod(false, true);
}
} // namespace

TEST(SwitchFamily, ContactButtonAndInvisibleSwitchTimeTheirChanges)
{
  Editor e;
  e.g->AddStripImage("sw2", 10, 10, {kRed, kGreen});
  IBitmap sw = e.g->LoadIBitmap(9501, "sw2", 2);
  auto* contact = e.Attach(new IContactControl(&e.fx, 0, 0, 2, &sw));
  auto* button = e.Attach(new IButtonSwitchControl(&e.fx, 20, 0, 2, &sw));
  auto* invisible = e.Attach(new IInvisibleSwitchControl(&e.fx, IRECT(40, 0, 50, 10), 2));
  IMouseMod l = Left();

  // Contact: a press advances (one frame step of two is 1), the release returns to 0.
  e.g->OnMouseDown(5, 5, &l);
  EXPECT_EQ(contact->GetValue(), 1.0);
  e.g->OnMouseUp(5, 5, &l);
  EXPECT_EQ(contact->GetValue(), 0.0);
  e.g->OnMouseDblClick(5, 5, &l); // delivered to OnMouseDblClick: advances like a press
  EXPECT_EQ(contact->GetValue(), 1.0);

  // Button: nothing on press but the picture, the value toggles on release.
  e.g->OnMouseDown(25, 5, &l);
  EXPECT_EQ(button->GetValue(), 0.0);
  EXPECT_TRUE(button->IsPressed());
  e.DrawAll();
  EXPECT_EQ(e.g->Pixel(25, 5), kGreen);
  e.g->OnMouseUp(25, 5, &l);
  EXPECT_EQ(button->GetValue(), 1.0);
  e.DrawAll();
  EXPECT_EQ(e.g->Pixel(25, 5), kRed); // frame 1 again, whatever the value
  e.g->OnMouseDown(25, 5, &l);
  e.g->OnMouseUp(25, 5, &l);
  EXPECT_EQ(button->GetValue(), 0.0);

  // Invisible switch: toggles on press, draws nothing over the background.
  e.g->OnMouseDown(45, 5, &l);
  EXPECT_EQ(invisible->GetValue(), 1.0);
  e.g->OnMouseUp(45, 5, &l);
  EXPECT_EQ(invisible->GetValue(), 1.0);
  e.g->OnMouseDown(45, 5, &l);
  EXPECT_EQ(invisible->GetValue(), 0.0);
  e.DrawAll();
  EXPECT_EQ(e.g->Pixel(45, 5), kBlack);
  // Each gesture reached the plug-in between a begin and an end.
  EXPECT_EQ(e.fx.mBegun.size(), e.fx.mEnded.size() + 1);
}

TEST(RadioButtons, LayoutsStaySpreadInsideTheRectangle)
{
  Editor e;
  e.g->AddStripImage("radio", 10, 8, {kRed, kGreen}); // 10 x 8 per frame
  IBitmap b = e.g->LoadIBitmap(9502, "radio", 2);
  struct Case
  {
    IRECT rect;
    EDirection dir;
    bool reverse;
    std::vector<IRECT> expect;
  } cases[] = {
      // 40 high, three 8-high buttons: gaps of (40 - 24) / 2 = 8.
      {IRECT(0, 0, 10, 40), kVertical, false, {{0, 0, 10, 8}, {0, 16, 10, 24}, {0, 32, 10, 40}}},
      {IRECT(0, 0, 10, 40), kVertical, true, {{0, 32, 10, 40}, {0, 16, 10, 24}, {0, 0, 10, 8}}},
      // 41 high: the gap truncates to 8, the spare pixel stays at the far end.
      {IRECT(0, 0, 10, 41), kVertical, false, {{0, 0, 10, 8}, {0, 16, 10, 24}, {0, 32, 10, 40}}},
      {IRECT(5, 2, 45, 10), kHorizontal, false, {{5, 2, 15, 10}, {20, 2, 30, 10}, {35, 2, 45, 10}}},
      {IRECT(5, 2, 45, 10), kHorizontal, true, {{35, 2, 45, 10}, {20, 2, 30, 10}, {5, 2, 15, 10}}},
  };
  for (const Case& c : cases)
  {
    IRadioButtonsControl radio(&e.fx, c.rect, 1, 3, &b, c.dir, c.reverse);
    ASSERT_EQ(radio.NButtons(), 3);
    for (int i = 0; i < 3; ++i)
    {
      EXPECT_EQ(*radio.GetButtonRECT(i), c.expect[size_t(i)])
          << "dir " << c.dir << " reverse " << c.reverse << " button " << i;
      EXPECT_TRUE(c.rect.Contains(*radio.GetButtonRECT(i)));
    }
  }
  IRadioButtonsControl none(&e.fx, IRECT(0, 0, 10, 40), 1, 0, &b);
  EXPECT_EQ(none.NButtons(), 0);
  EXPECT_TRUE(none.Draw(e.g));
}

TEST(RadioButtons, ClicksSelectAndDrawTheActiveButton)
{
  Editor e;
  e.g->AddStripImage("radio", 10, 8, {kRed, kGreen});
  IBitmap b = e.g->LoadIBitmap(9503, "radio", 2);
  auto* radio = e.Attach(new IRadioButtonsControl(&e.fx, IRECT(0, 0, 10, 40), 1, 3, &b));
  IMouseMod l = Left();

  const struct
  {
    int y;
    double value;
  } clicks[] = {{4, 0.0}, {20, 0.5}, {39, 1.0}, {12, 1.0} /* a gap keeps the value */};
  for (const auto& c : clicks)
  {
    const size_t informed = e.fx.mInformed.size();
    e.g->OnMouseDown(5, c.y, &l);
    e.g->OnMouseUp(5, c.y, &l);
    EXPECT_EQ(radio->GetValue(), c.value) << "y " << c.y;
    EXPECT_GT(e.fx.mInformed.size(), informed); // sent to the plug-in even from a gap
  }

  radio->SetValueFromPlug(0.5);
  e.DrawAll();
  EXPECT_EQ(e.g->Pixel(5, 4), kRed);
  EXPECT_EQ(e.g->Pixel(5, 20), kGreen);
  EXPECT_EQ(e.g->Pixel(5, 36), kRed);
  EXPECT_EQ(e.g->Pixel(5, 12), kBlack); // gaps are the background's

  // A right click prompts (prompting is off by default) and selects nothing.
  IMouseMod r = Right();
  e.g->OnMouseDown(5, 4, &r);
  EXPECT_EQ(radio->GetValue(), 0.5);
}

TEST(RadioButtons, OneButtonTogglesWithoutDividingByZero)
{
  Editor e;
  e.g->AddStripImage("radio", 10, 8, {kRed, kGreen});
  IBitmap b = e.g->LoadIBitmap(9504, "radio", 2);
  auto* radio = e.Attach(new IRadioButtonsControl(&e.fx, IRECT(0, 0, 10, 40), 2, 1, &b));
  EXPECT_EQ(*radio->GetButtonRECT(0), IRECT(0, 0, 10, 8));
  IMouseMod l = Left();
  for (double expect : {1.0, 0.0, 1.0})
  {
    e.g->OnMouseDown(5, 4, &l);
    e.g->OnMouseUp(5, 4, &l);
    EXPECT_EQ(radio->GetValue(), expect);
  }
  e.DrawAll();
  EXPECT_EQ(e.g->Pixel(5, 4), kGreen);
}

TEST(Fader, HandlePositionAndSnap)
{
  Editor e(200, 200);
  e.g->AddStripImage("handle", 20, 10, {kRed});
  IBitmap handle = e.g->LoadIBitmap(9505, "handle");

  // Vertical: 100 long, the handle takes 10 of it, so the centre travels 90 pixels.
  auto* v = e.Attach(new IFaderControl(&e.fx, 10, 20, 100, 0, &handle, kVertical));
  EXPECT_EQ(*v->GetRECT(), IRECT(10, 20, 30, 120));
  EXPECT_EQ(v->GetHandleHeadroom(), 10);
  EXPECT_EQ(v->GetHandleRECT(1.0), IRECT(10, 20, 30, 30));   // 1 at the top
  EXPECT_EQ(v->GetHandleRECT(0.0), IRECT(10, 110, 30, 120)); // 0 at the bottom
  EXPECT_EQ(v->GetHandleRECT(0.5), IRECT(10, 65, 30, 75));

  IMouseMod l = Left();
  const struct
  {
    int y;
    double value;
  } snaps[] = {{25, 1.0}, {115, 0.0}, {70, 0.5}, {0, 1.0} /* clamped */, {200, 0.0}};
  for (const auto& s : snaps)
  {
    v->OnMouseDown(20, s.y, &l);
    EXPECT_NEAR(v->GetValue(), s.value, 1e-12) << s.y;
  }
  // The handle's centre lands on the pointer.
  v->OnMouseDrag(20, 47, 0, 0, &l);
  const IRECT h = v->GetHandleRECT();
  EXPECT_EQ((h.T + h.B) / 2, 47);

  IMouseMod r = Right();
  v->OnMouseDown(20, 115, &r); // prompts instead of snapping
  EXPECT_NEAR(v->GetValue(), 1.0 - (47 - 20 - 5) / 90.0, 1e-12);

  // Horizontal: the handle's width is the headroom; value 1 at the right.
  auto* hz = e.Attach(new IFaderControl(&e.fx, 0, 150, 120, 3, &handle, kHorizontal, true));
  EXPECT_EQ(*hz->GetRECT(), IRECT(0, 150, 120, 160));
  EXPECT_EQ(hz->GetHandleRECT(1.0), IRECT(100, 150, 120, 160));
  hz->OnMouseDown(60, 155, &l); // (60 - 0 - 10) / 100
  EXPECT_NEAR(hz->GetValue(), 0.5, 1e-12);
  // Only the handle is hit.
  EXPECT_TRUE(hz->IsHit(55, 155));
  EXPECT_FALSE(hz->IsHit(5, 155));
  EXPECT_TRUE(v->IsHit(20, 115));

  e.DrawAll();
  EXPECT_EQ(e.g->Pixel(55, 155), kRed);
  EXPECT_EQ(e.g->Pixel(5, 155), kBlack); // the track is not drawn

  // A handle as long as the track has no travel: the value stays.
  IFaderControl stuck(&e.fx, 0, 0, 10, -1, &handle, kVertical);
  stuck.SetValue(0.25);
  stuck.OnMouseDown(5, 3, &l);
  EXPECT_EQ(stuck.GetValue(), 0.25);
}

TEST(Spinner, WheelStepDependsOnTheParameter)
{
  Editor e;
  IParam own, ownNoStep;
  own.InitInt("Own", 0, 0, 10);
  ownNoStep.InitDouble("Free", 0.0, 0.0, 100.0, 0.0, "%");
  IMouseMod none, shift(false, false, true), ctrl(false, false, false, true);
  struct Case
  {
    int paramIdx;
    IParam* own;
    IMouseMod* mod;
    int d;
    double start, expect;
  } cases[] = {
      {0, nullptr, &none, 1, 0.2, 0.3},   // bound Double, step 0.1 added as it is
      {0, nullptr, &shift, -2, 0.5, 0.3}, // modifiers do not refine a stepped parameter
      {3, nullptr, &none, 1, 0.25, 1.0},  // Int step 1: at the bound at once
      {3, nullptr, &none, -1, 0.75, 0.0},
      {-1, &own, &none, 1, 0.5, 1.0},         // the own parameter when none is bound
      {-1, &ownNoStep, &ctrl, 3, 0.5, 0.503}, // no step: fine with control ...
      {-1, &ownNoStep, &none, 3, 0.5, 0.53},  // ... else 0.01
      {-1, nullptr, &shift, 3, 0.5, 0.53},    // no parameter at all: always 0.01
      {7, &own, &none, 1, 0.5, 0.51},         // an index beyond the list finds none
  };
  for (const Case& c : cases)
  {
    ISpinnerControl s(&e.fx, IRECT(0, 0, 40, 20), c.paramIdx, nullptr, c.own);
    s.SetValue(c.start);
    s.OnMouseWheel(0, 0, c.mod, c.d);
    EXPECT_NEAR(s.GetValue(), c.expect, 1e-12) << "param " << c.paramIdx << " d " << c.d;
  }
}

TEST(Spinner, DragAndText)
{
  Editor e;
  IMouseMod none, shift(false, false, true);
  // Up by a fifth of the height with gearing 2: +0.1, no fine modifier.
  auto* s = e.Attach(new ISpinnerControl(&e.fx, IRECT(0, 0, 40, 50), 0, nullptr, nullptr, true,
                                         true, kVertical, 2.0));
  s->SetValue(0.5);
  s->OnMouseDrag(0, 0, 0, -10, &shift);
  EXPECT_NEAR(s->GetValue(), 0.6, 1e-12);
  e.DrawAll(); // the bound parameter took the value through the plug-in
  EXPECT_STREQ(s->GetTextString(), "6.0 dB");

  auto* h = e.Attach(new ISpinnerControl(&e.fx, IRECT(0, 60, 40, 70), -1, nullptr, nullptr, true,
                                         true, kHorizontal, 1.0));
  h->SetValue(0.5);
  h->OnMouseDrag(0, 0, 10, -30, &none);
  EXPECT_NEAR(h->GetValue(), 0.75, 1e-12);
  h->OnMouseDrag(0, 0, 100, 0, &none);
  EXPECT_EQ(h->GetValue(), 1.0);

  // An own parameter follows the control's value when drawn; no label when asked.
  IParam own;
  own.InitDouble("Own", 0.0, 0.0, 100.0, 0.0, "%");
  auto* o =
      e.Attach(new ISpinnerControl(&e.fx, IRECT(50, 0, 90, 20), -1, nullptr, &own, true, false));
  o->SetValue(0.5);
  e.DrawAll();
  EXPECT_EQ(own.Value(), 50.0);
  EXPECT_STREQ(o->GetTextString(), "50");

  // A flat spinner ignores drags instead of producing NaN.
  ISpinnerControl flat(&e.fx, IRECT(0, 10, 40, 10), -1, nullptr);
  flat.SetValue(0.4);
  flat.OnMouseDrag(0, 0, 0, 5, &none);
  EXPECT_EQ(flat.GetValue(), 0.4);
}

TEST(TextControls, SetTextFromPlugMarksDirtyOnlyOnChange)
{
  Editor e;
  ITextControl text(&e.fx, IRECT(0, 0, 40, 10), nullptr, "abc");
  IUserTextControl user(&e.fx, IRECT(0, 0, 40, 10), nullptr, "abc");
  IBitmapTextControl bitmapText(&e.fx, IRECT(0, 0, 40, 10), nullptr, "abc");
  IControl* controls[] = {&text, &user, &bitmapText};
  for (IControl* c : controls)
  {
    c->SetClean();
    c->SetTextFromPlug("abc");
    EXPECT_FALSE(c->IsDirty());
    c->SetTextFromPlug("abd");
    EXPECT_TRUE(c->IsDirty());
    c->SetClean();
    c->SetTextFromPlug(nullptr); // the empty text
    EXPECT_TRUE(c->IsDirty());
  }
  EXPECT_STREQ(text.GetTextString(), "");
  EXPECT_STREQ(user.GetTextString(), "");
  EXPECT_STREQ(bitmapText.GetTextString(), "");
  EXPECT_TRUE(e.fx.mInformed.empty()); // texts never reach the plug-in
}

TEST(TextControls, CaptionShowsTheParameterAndPromptsOnceEnabled)
{
  Editor e;
  auto* gain = e.Attach(new ICaptionControl(&e.fx, IRECT(0, 0, 60, 20), 0, nullptr, true));
  auto* mode = e.Attach(new ICaptionControl(&e.fx, IRECT(0, 30, 60, 50), 1, nullptr, false));
  e.DrawAll();
  EXPECT_STREQ(gain->GetTextString(), "5.0 dB");
  EXPECT_STREQ(mode->GetTextString(), "Hard");

  IMouseMod l = Left();
  e.g->OnMouseDown(10, 10, &l);
  e.g->OnMouseUp(10, 10, &l);
  EXPECT_TRUE(e.g->mTextEntries.empty()); // prompting is off by default

  gain->DisablePrompt(false);
  mode->DisablePrompt(false);
  e.g->OnMouseDown(10, 10, &l);
  e.g->OnMouseUp(10, 10, &l);
  ASSERT_EQ(e.g->mTextEntries.size(), 1u);
  EXPECT_EQ(e.g->mTextEntries[0].text, "5.0");
  EXPECT_EQ(e.g->mTextEntries[0].control, gain);

  e.g->mMenuChoice = 2;
  e.g->OnMouseDblClick(10, 40, &l); // a double click prompts too
  ASSERT_EQ(e.g->mMenus.size(), 1u);
  EXPECT_EQ(e.g->mMenus[0].texts, (std::vector<std::string>{"Soft", "Hard", "Fuzz"}));
  EXPECT_EQ(mode->GetValue(), 1.0);

  IMouseMod nobody;
  e.g->OnMouseDown(10, 40, &nobody); // neither button flag: no prompt
  EXPECT_EQ(e.g->mMenus.size(), 1u);
}

TEST(TextControls, EditableTextDrawsBackgroundAndPassword)
{
  // The password's 150 characters draw exactly like 99 asterisks, and unlike 100.
  std::string stars99(99, '*'), stars100(100, '*'), secret(150, 'x');
  auto render = [](const char* str, bool password, const IColor* bg)
  {
    Editor e(800, 20);
    auto* t = e.Attach(
        new IEditableTextControl(&e.fx, IRECT(0, 0, 800, 20), nullptr, str, false, password));
    t->SetBGColor(bg);
    e.DrawAll();
    std::vector<uint32_t> px;
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 800; ++x)
        px.push_back(e.g->Pixel(x, y));
    return px;
  };
  const IColor white = COLOR_WHITE;
  const auto pw = render(secret.c_str(), true, &white);
  EXPECT_EQ(pw, render(stars99.c_str(), false, &white));
  EXPECT_NE(pw, render(stars100.c_str(), false, &white));
  // With the background gone only the glyphs differ from the panel.
  const auto noBg = render("", false, nullptr);
  for (uint32_t p : noBg)
    ASSERT_EQ(p, kBlack);
  const auto bgOnly = render("", false, &white);
  for (uint32_t p : bgOnly)
    ASSERT_EQ(p, 0xFFFFFFFFu);

  Editor e;
  IEditableTextControl t(&e.fx, IRECT(0, 0, 10, 10), nullptr, "x", true, false);
  EXPECT_TRUE(t.GetFlag());
  EXPECT_TRUE(t.MouseDblAsSingleClick());
  EXPECT_EQ(t.GetBGColor().A, 0);
}

TEST(TextControls, UserTextEntersThroughTheEditor)
{
  Editor e;
  auto* t = e.Attach(new IUserTextControl(&e.fx, IRECT(0, 0, 60, 20), nullptr, "old"));
  e.g->mCommitText = true;
  e.g->mTextReply = "new text";
  t->SetClean();
  IMouseMod l = Left();
  e.g->OnMouseDown(5, 5, &l);
  ASSERT_EQ(e.g->mTextEntries.size(), 1u);
  EXPECT_EQ(e.g->mTextEntries[0].text, "old");
  EXPECT_EQ(e.g->mTextEntries[0].param, nullptr);
  EXPECT_EQ(e.g->mTextEntries[0].rect, IRECT(0, 0, 60, 20));
  EXPECT_STREQ(t->GetTextString(), "new text");
  EXPECT_TRUE(t->IsDirty());
  EXPECT_TRUE(t->IsPromptDisabled());
}

TEST(URLControl, BackupOnlyWhenTheFirstFailsOrIsEmpty)
{
  struct Case
  {
    const char* url;
    const char* backup;
    std::vector<bool> results;
    std::vector<std::string> opened;
  } cases[] = {
      {"http://a", "http://b", {true}, {"http://a"}},
      {"http://a", "http://b", {false, true}, {"http://a", "http://b"}},
      {"", "http://b", {true}, {"http://b"}},
      {nullptr, "http://b", {true}, {"http://b"}},
      {"http://a", "", {false}, {"http://a"}},
      {"", nullptr, {}, {}},
  };
  for (const Case& c : cases)
  {
    Editor e;
    e.g->mURLResults = c.results;
    IURLControl url(&e.fx, IRECT(0, 0, 10, 10), c.url, c.backup, "oops");
    IMouseMod l = Left();
    url.OnMouseDown(1, 1, &l);
    EXPECT_EQ(e.g->mURLsOpened, c.opened) << (c.url ? c.url : "(null)");
  }
  // Fields hold at most 255 characters and stay terminated.
  const std::string longURL(400, 'u');
  IURLControl cut(nullptr, IRECT(), longURL.c_str(), nullptr, nullptr);
  EXPECT_EQ(std::string(cut.GetURL()), std::string(255, 'u'));
  EXPECT_STREQ(cut.GetBackupURL(), "");
  IMouseMod l = Left();
  cut.OnMouseDown(0, 0, &l); // no plug-in, no editor: nothing to open with
}

TEST(FileSelector, ReportsDirtyOnceAfterASelection)
{
  Editor e;
  e.g->mFileReply = "/tmp/a.wav";
  e.g->mDirReply = "/tmp";
  auto* fs = e.Attach(new IFileSelectorControl(&e.fx, IRECT(0, 0, 20, 20), -1, nullptr, kFileSave,
                                               "/home", "wav aif"));
  fs->SetClean();
  EXPECT_FALSE(fs->IsDirty());

  IMouseMod l = Left();
  fs->OnMouseDown(5, 5, &l);
  ASSERT_EQ(e.g->mFileActions.size(), 1u);
  EXPECT_EQ(e.g->mFileActions[0], kFileSave);
  EXPECT_EQ(e.g->mFileExtensions[0], "wav aif");
  EXPECT_EQ(fs->GetValue(), 1.0);
  EXPECT_EQ(fs->GetState(), IFileSelectorControl::kFSDone);
  UTL_String file;
  fs->GetLastSelectedFileForPlug(&file);
  EXPECT_STREQ(file.Get(), "/tmp/a.wav");
  EXPECT_STREQ(fs->GetDir(), "/tmp");

  EXPECT_TRUE(fs->IsDirty()); // the dirty flag itself
  fs->SetClean();
  EXPECT_TRUE(fs->IsDirty()); // the finished selection, once
  EXPECT_FALSE(fs->IsDirty());
  EXPECT_EQ(fs->GetState(), IFileSelectorControl::kFSNone);

  fs->OnMouseDown(5, 5, &l);
  EXPECT_EQ(fs->GetValue(), 0.0); // 2 wraps to 0: any change tells of a selection

  fs->SetLastSelectedFileFromPlug("/x");
  fs->GetLastSelectedFileForPlug(&file);
  EXPECT_STREQ(file.Get(), "/x");

  IFileSelectorControl orphan(nullptr, IRECT(0, 0, 20, 20), -1, nullptr, kFileOpen);
  orphan.OnMouseDown(5, 5, &l);
  EXPECT_EQ(orphan.GetState(), IFileSelectorControl::kFSNone);
  EXPECT_EQ(orphan.GetValue(), 0.0);
}

TEST(InvisibleSelect, ReleaseHeightBecomesTheValue)
{
  Editor e;
  const struct
  {
    int y;
    double expect;
  } cases[] = {{60, 0.5}, {10, 0.0}, {35, 0.25}, {110, 1.0}, {500, 1.0}, {-40, 0.0}};
  for (const auto& c : cases)
  {
    IInvisibleSelectControl s(&e.fx, IRECT(0, 10, 50, 110), 0);
    s.SetValue(0.7);
    IMouseMod l = Left();
    s.OnMouseDown(0, c.y, &l); // the press does nothing
    EXPECT_EQ(s.GetValue(), 0.7);
    s.OnMouseUp(0, c.y, &l);
    EXPECT_NEAR(s.GetValue(), c.expect, 1e-12) << c.y;
    EXPECT_TRUE(s.Draw(e.g));
  }
  IInvisibleSelectControl flat(&e.fx, IRECT(0, 10, 50, 10), 0);
  flat.SetValue(0.3);
  flat.SetClean();
  IMouseMod l = Left();
  flat.OnMouseUp(0, 10, &l);
  EXPECT_EQ(flat.GetValue(), 0.3);
  EXPECT_FALSE(flat.IsDirty());
}

namespace
{
// A font strip of 96 frames, 4 x 4 pixels each, whose red channel is the frame number.
IBitmap LoadFont(Editor& e, int id)
{
  std::vector<uint32_t> colors;
  for (uint32_t k = 1; k <= 96; ++k)
    colors.push_back(0xFFu | k << 8);
  e.g->AddStripImage("font", 4, 4, colors);
  return e.g->LoadIBitmap(id, "font", 96);
}

// The characters drawn along one row of 4-pixel cells, '.' for none: frame k is code k + 31.
std::string ReadRow(Editor& e, int top, int cells)
{
  std::string s;
  for (int i = 0; i < cells; ++i)
  {
    const uint32_t p = e.g->Pixel(i * 4 + 1, top + 1);
    s += p == kBlack ? '.' : char(((p >> 8) & 0xFF) + 31);
  }
  return s;
}
} // namespace

TEST(BitmapText, LayoutOfCellsRowsAndFrames)
{
  struct Case
  {
    IRECT rect;
    int align;
    bool vCenter, multiline;
    const char* str;
    int rowTop; // top of the first row of cells
    std::vector<std::string> rows;
  } cases[] = {
      // Left alignment starts one cell in; vCenter: 2 + (12 - 4) / 2.
      {IRECT(0, 2, 40, 14), IText::kAlignNear, true, false, "ABC", 6, {".ABC......", ".........."}},
      {IRECT(0, 2, 40, 14), IText::kAlignNear, false, false, "ABC", 2, {".ABC......"}},
      // Centred: (40 - 4 * 2) / 2 = 16.
      {IRECT(0, 0, 40, 4), IText::kAlignCenter, false, false, "AB", 0, {"....AB...."}},
      // (40 - 8) / 4 = 8 per row; without multiline the text still runs onto row 2.
      {IRECT(0, 0, 40, 4),
       IText::kAlignNear,
       false,
       false,
       "ABCDEFGHIJKLMNOPQRST",
       0,
       {".ABCDEFGH.", ".IJKLMNOP.", ".........."}},
      // Multiline: 80 / 32 = 2, rows 0..2 take all twenty.
      {IRECT(0, 0, 40, 4),
       IText::kAlignNear,
       false,
       true,
       "ABCDEFGHIJKLMNOPQRST",
       0,
       {".ABCDEFGH.", ".IJKLMNOP.", ".QRST....."}},
      // Codes up to 32 and bytes with the high bit set show frame 1 (the space, code 32).
      {IRECT(0, 0, 40, 4), IText::kAlignNear, false, false, "A\x01 \xC3Z", 0, {".A   Z...."}},
      // A cell too wide for the margins draws nothing.
      {IRECT(0, 0, 8, 4), IText::kAlignNear, false, false, "AB", 0, {".........."}},
  };
  for (const Case& c : cases)
  {
    Editor e(40, 16);
    IBitmap font = LoadFont(e, 9510);
    IText style;
    style.mAlign = c.align;
    e.g->PrepDraw();
    IRECT all(0, 0, 40, 16);
    e.DrawAll(); // background
    struct Drawer : IControl
    {
      Drawer(const Case& c, IBitmap* f, IText* t)
          : IControl(nullptr, IRECT(0, 0, 40, 16)), mC(c), mF(f), mT(t)
      {
      }
      bool Draw(IGraphics* g) override
      {
        DrawBitmapedText(g, mF, &mC.rect, mT, nullptr, mC.str, mC.vCenter, mC.multiline, 4, 4, 0);
        return true;
      }
      const Case& mC;
      IBitmap* mF;
      IText* mT;
    };
    e.g->AttachControl(new Drawer(c, &font, &style));
    e.g->Draw(&all);
    for (size_t r = 0; r < c.rows.size(); ++r)
      EXPECT_EQ(ReadRow(e, c.rowTop + int(r) * 4, 10), c.rows[r]) << c.str << " row " << r;
  }
}

TEST(BitmapText, ControlDrawsCentredVerticallyWithItsOffset)
{
  Editor e(40, 16);
  IBitmap font = LoadFont(e, 9511);
  IText near(10, nullptr, nullptr, IText::kStyleNormal, IText::kAlignNear);
  // Offset 4: every character advances two cells; vCenter puts the row at 2 + (10 - 4) / 2.
  e.Attach(new IBitmapTextControl(&e.fx, IRECT(0, 2, 40, 12), &font, "AB", &near, 4, 4, 4));
  e.DrawAll();
  EXPECT_EQ(ReadRow(e, 5, 10), ".A.B......");
  IBitmapTextControl empty(&e.fx, IRECT(0, 2, 40, 12), &font, "", &near);
  EXPECT_TRUE(empty.Draw(e.g));
  DrawBitmapedText(e.g, &font, empty.GetRECT(), &near, nullptr, "AB", true, true, 0, 4, 0);

  // Codes past the last frame of a short font read nothing beyond its image.
  e.g->AddStripImage("short", 4, 4, {kRed, kGreen, kRed});
  IBitmap shortFont = e.g->LoadIBitmap(9513, "short", 3);
  e.Attach(new IBitmapTextControl(&e.fx, IRECT(0, 12, 40, 16), &shortFont, "~~\x7f", &near, 4, 4));
  e.DrawAll();
  EXPECT_EQ(ReadRow(e, 12, 10), "..........");
}

TEST(Knobs, LinePointsAlongTheValueAngle)
{
  const IColor white = COLOR_WHITE;
  // -90..+90 degrees: value 0 points left, 0.5 up, 1 right; the outer radius of 0
  // becomes half the width.
  const struct
  {
    double value;
    int litX, litY, darkX, darkY;
  } cases[] = {{0.5, 20, 8, 20, 32}, {0.0, 8, 20, 32, 20}, {1.0, 32, 20, 8, 20}};
  for (const auto& c : cases)
  {
    Editor e(40, 40);
    auto* k = e.Attach(
        new IKnobLineControl(&e.fx, IRECT(0, 0, 40, 40), 0, &white, 0.0, 0.0, -M_PI / 2, M_PI / 2));
    k->SetValue(c.value);
    e.DrawAll();
    EXPECT_TRUE(e.Lit(c.litX, c.litY)) << c.value;
    EXPECT_FALSE(e.Lit(c.darkX, c.darkY)) << c.value;
  }

  // The rotating knob sits on its bitmap and turns about its centre.
  Editor e(40, 40);
  e.g->AddStripImage("dial", 10, 20, {kRed});
  IBitmap dial = e.g->LoadIBitmap(9512, "dial");
  auto* r = e.Attach(new IKnobRotaterControl(&e.fx, 10, 5, 0, &dial, 0.0, M_PI));
  EXPECT_EQ(*r->GetRECT(), IRECT(10, 5, 20, 25));
  r->SetValue(0.5); // a quarter turn: the 10 x 20 bar lies across its footprint
  e.DrawAll();
  EXPECT_TRUE(e.Lit(15, 15));
  EXPECT_FALSE(e.Lit(15, 6));
  EXPECT_FALSE(e.Lit(15, 24));
}

TEST(FreqResponseGraph, DrawsTheCurveAndAsksForHover)
{
  const IColor white = COLOR_WHITE;
  Editor e(100, 80);
  auto* graph = e.Attach(
      new IFreqResponseGraph(&e.fx, white, IRECT(0, 0, 100, 80), 256, kFFTWindowRectangular));
  graph->SetDisplayMode(1);
  std::vector<double> samples(256, 0.0);
  e.g->HandleMouseOver(false);

  graph->SetDataFromPlug(samples.data()); // silence: every column on the bottom edge
  e.DrawAll();
  for (int x = 0; x < 100; x += 7)
    for (int y = 0; y < 80; y += 3)
      ASSERT_EQ(e.g->Pixel(x, y), kBlack) << x << "," << y;
  EXPECT_TRUE(e.g->CanHandleMouseOver());

  samples[0] = 1.0; // flat 0 dB: a level line 30 of 80 dB below the top
  graph->SetDataFromPlug(samples.data());
  EXPECT_EQ(graph->GetIRGain(), 1.0);
  e.DrawAll();
  for (int x = 5; x < 95; x += 10)
  {
    EXPECT_TRUE(e.Lit(x, 30)) << x;
    EXPECT_FALSE(e.Lit(x, 40)) << x;
  }

  graph->SetClean();
  EXPECT_TRUE(graph->IsDirty()); // redrawn on every tick

  e.g->OnMouseOver(50, 8, nullptr);
  EXPECT_TRUE(graph->IsMouseOver());
  e.DrawAll();
  EXPECT_STREQ(graph->GetReadout(), "Freq:  640 Hz\nGain: - 8.0 dB");
  e.g->OnMouseOut();
  EXPECT_FALSE(graph->IsMouseOver());
  EXPECT_TRUE(graph->GetRedrawRequested());

  EXPECT_FALSE(graph->SetFFTSize(100));
  EXPECT_EQ(graph->GetFFTSize(), 256);
  IFreqResponseGraph fallback(nullptr, white, IRECT(0, 0, 10, 10), 0, kFFTWindowHann);
  EXPECT_EQ(fallback.GetFFTSize(), IFreqResponseAnalysis::kDefaultFFTSize);
}
