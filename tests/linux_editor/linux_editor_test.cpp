// The X11 editor window in a host's window under Xvfb: what reaches the screen, and
// what synthetic input reaches the editor core. The editor shows images made in code.
// Before any X header: Xlib defines None as a macro, a name gtest uses.
#include <gtest/gtest.h>

#include "core/TestEffect.h"
#include "editor/controls/IBitmapControl.h"
#include "editor/controls/IBitmapOverlayControl.h"
#include "editor/controls/ICaptionControl.h"
#include "editor/controls/IKnobMultiControl.h"
#include "editor/controls/IOnOffControl.h"
#include "linux_editor/XTestHost.h"
#include "platform/linux/IGraphicsLinux.h"
#include "raster/RAS_Bitmap.h"

#include <X11/keysym.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace
{
constexpr int kW = 224, kH = 333;
constexpr int kKnobFrames = 65, kKnobSize = 48;

// Frame colours of the code-made strips, opaque, as raster pixels (A R G B bytes).
RAS_Pixel KnobFrameColor(int frame)
{
  return RAS_RGBA(frame * 3, 255 - frame * 3, 100, 255);
}

class CodeImageGraphics : public IGraphicsLinux
{
public:
  using IGraphicsLinux::IGraphicsLinux;
  RAS_IBitmap* OSLoadBitmap(int, const char* name) override
  {
    const std::string n = name ? name : "";
    if (n == "bg")
      return Make(kW, kH, [](int x, int y) { return RAS_RGBA(x, y & 255, (x * y) & 255, 255); });
    if (n == "knob")
      return Make(kKnobSize, kKnobSize * kKnobFrames,
                  [](int, int y) { return KnobFrameColor(y / kKnobSize); });
    if (n == "switch")
      return Make(40, 80,
                  [](int, int y)
                  { return y < 40 ? RAS_RGBA(200, 0, 0, 255) : RAS_RGBA(0, 200, 0, 255); });
    if (n == "led")
      return Make(16, 32,
                  [](int, int y)
                  { return y < 16 ? RAS_RGBA(40, 0, 0, 255) : RAS_RGBA(255, 60, 60, 255); });
    if (n == "about") return Make(120, 100, [](int, int) { return RAS_RGBA(250, 250, 210, 255); });
    return nullptr;
  }

private:
  template <class F> static RAS_IBitmap* Make(int w, int h, F color)
  {
    RAS_MemBitmap* b = new RAS_MemBitmap(w, h, 4);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        b->getBits()[y * b->getRowSpan() + x] = color(x, y);
    return b;
  }
};

// Writes every editor call it receives as a line: "down 160 260 LC" (flags L R S C A).
class RecordingControl : public IControl
{
public:
  RecordingControl(IEffectBase* plug, const IRECT& rect, std::vector<std::string>* log)
      : IControl(plug, rect), mLog(log)
  {
  }
  bool Draw(IGraphics*) override { return true; }
  void OnMouseDown(int x, int y, IMouseMod* m) override { Add("down", x, y, m); }
  void OnMouseUp(int x, int y, IMouseMod* m) override { Add("up", x, y, m); }
  void OnMouseDblClick(int x, int y, IMouseMod* m) override { Add("dbl", x, y, m); }
  void OnMouseDrag(int x, int y, int, int, IMouseMod* m) override { Add("drag", x, y, m); }
  void OnMouseWheel(int, int, IMouseMod*, int d) override
  {
    mLog->push_back("wheel " + std::to_string(d));
  }
  bool OnKeyDown(int, int, int key) override
  {
    mLog->push_back("key " + std::to_string(key));
    return key != KEY_DIGIT_0 + 9; // "9" is refused and goes on to the host
  }

private:
  void Add(const char* what, int x, int y, IMouseMod* m)
  {
    std::string flags;
    if (m->L) flags += 'L';
    if (m->R) flags += 'R';
    if (m->S) flags += 'S';
    if (m->C) flags += 'C';
    if (m->A) flags += 'A';
    mLog->push_back(std::string(what) + " " + std::to_string(x) + " " + std::to_string(y) + " " +
                    flags);
  }
  std::vector<std::string>* mLog;
};

// Logs begin-edit 'B' and end-edit 'E' beside TestEffect's automate 'I' and change 'C',
// and drives its LED from the switch the way the pedal does.
class PedalLikeEffect : public TestEffect
{
public:
  enum
  {
    kKnob,
    kSwitch
  };
  PedalLikeEffect() : TestEffect("1-1", 2)
  {
    GetParam(kKnob)->InitDouble("Knob", 0.5, 0.0, 1.0, 0.001);
    GetParam(kSwitch)->InitEnum("Switch", 0, 2);
    GetParam(kSwitch)->SetDisplayText(0, "Off");
    GetParam(kSwitch)->SetDisplayText(1, "On");
  }
  void BeginInformHostOfParamChange(int idx) override
  {
    TestEffect::BeginInformHostOfParamChange(idx);
    mLog.push_back('B');
  }
  void EndInformHostOfParamChange(int idx) override
  {
    TestEffect::EndInformHostOfParamChange(idx);
    mLog.push_back('E');
  }
  void OnParamChange(int idx) override
  {
    TestEffect::OnParamChange(idx);
    if (idx == kSwitch && GetGUI())
      GetGUI()->SetControlFromPlug(mLedIdx, GetParam(kSwitch)->Value());
  }
  int mLedIdx = -1;
};

struct LinuxEditorWindow : ::testing::Test
{
  PedalLikeEffect fx;
  CodeImageGraphics* gui = nullptr;
  std::vector<std::string> calls;
  int aboutIdx = -1;

  void SetUp() override
  {
    XTestHost::ResetErrors();
    gui = new CodeImageGraphics(&fx, kW, kH);
    gui->AttachBackground(900, "bg");
    IBitmap led = gui->LoadIBitmap(901, "led", 2);
    fx.mLedIdx = gui->AttachControl(new IBitmapControl(&fx, 104, 15, &led));
    IBitmap sw = gui->LoadIBitmap(902, "switch", 2);
    gui->AttachControl(new IOnOffControl(&fx, 93, 228, PedalLikeEffect::kSwitch, &sw));
    IBitmap knob = gui->LoadIBitmap(903, "knob", kKnobFrames);
    IControl* knobControl = new IKnobMultiControl(&fx, 20, 100, PedalLikeEffect::kKnob, &knob);
    knobControl->DisablePrompt(false); // a right click asks for a value
    gui->AttachControl(knobControl);
    gui->AttachControl(new RecordingControl(&fx, IRECT(150, 250, 214, 320), &calls));
    IText text;
    IControl* caption =
        new ICaptionControl(&fx, IRECT(20, 160, 90, 180), PedalLikeEffect::kSwitch, &text);
    caption->DisablePrompt(false);
    gui->AttachControl(caption);
    IBitmap about = gui->LoadIBitmap(904, "about");
    aboutIdx =
        gui->AttachControl(new IBitmapOverlayControl(&fx, 6, 148, &about, IRECT(17, 40, 97, 70)));
    fx.AttachGraphics(gui);
    fx.OnParamChange(
        PedalLikeEffect::kSwitch); // the LED's first value, as the pedal's Init gives it
  }
  void TearDown() override { EXPECT_EQ(XTestHost::Errors(), 0); }

  void Idle() { gui->OnHostIdle(); }
  bool PumpUntil(const std::function<bool()>& done)
  {
    return XTestHost::PumpUntil([this] { Idle(); }, done);
  }
  // The draw bitmap as the screen should show it: 0xRRGGBB from the A R G B bytes.
  std::vector<uint32_t> Expected()
  {
    std::vector<uint32_t> out;
    RAS_SysBitmap* b = gui->GetDrawBitmap();
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x)
      {
        const RAS_Pixel p = b->getBits()[y * b->getRowSpan() + x];
        out.push_back(((p >> 8) & 0xFF) << 16 | ((p >> 16) & 0xFF) << 8 | (p >> 24));
      }
    return out;
  }
  Window EditorWindow() { return Window(reinterpret_cast<uintptr_t>(gui->GetWindow())); }
  bool ScreenMatches(XTestHost& host)
  {
    return host.Screenshot(EditorWindow(), kW, kH) == Expected();
  }
};
} // namespace

TEST_F(LinuxEditorWindow, ScreenShowsTheBitmapAndFollowsChangesFromOtherThreads)
{
  XTestHost host(kW, kH);
  ASSERT_NE(host.display(), nullptr);
  const Visual* v = DefaultVisual(host.display(), DefaultScreen(host.display()));
  ASSERT_EQ(v->red_mask, 0xFF0000u); // the expected words below assume this layout
  void* window = gui->OpenWindow(host.parentHandle());
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window, gui->GetWindow());
  EXPECT_EQ(host.CountChildren(host.parent()), 1);
  ASSERT_TRUE(PumpUntil([&] { return ScreenMatches(host); }));
  // The knob shows the middle frame of the strip for 0.5.
  EXPECT_EQ(host.Screenshot(EditorWindow(), kW, kH)[size_t(124) * kW + 44],
            0xFFFFFFu & ((KnobFrameColor(32) >> 8 & 0xFF) << 16 |
                         (KnobFrameColor(32) >> 16 & 0xFF) << 8 | KnobFrameColor(32) >> 24));

  // A host thread pushes a value the way the binding does; the next idle shows it.
  std::thread hostThread(
      [&]
      {
        UTL_MutexLock lock(fx.GetMutex());
        fx.GetParam(PedalLikeEffect::kKnob)->Set(1.0);
        gui->SetParameterFromPlug(PedalLikeEffect::kKnob, 1.0, false);
      });
  hostThread.join();
  const std::vector<uint32_t> before = host.Screenshot(EditorWindow(), kW, kH);
  Idle();
  XSync(gui->GetDisplay(), False);
  EXPECT_TRUE(ScreenMatches(host));
  EXPECT_NE(host.Screenshot(EditorWindow(), kW, kH), before);

  gui->CloseWindow();
  gui->CloseWindow();
  EXPECT_EQ(gui->GetWindow(), nullptr);
  EXPECT_EQ(host.CountChildren(host.parent()), 0);
}

TEST_F(LinuxEditorWindow, InputReachesTheEditorWithEditorCoordinatesFlagsAndKeys)
{
  XTestHost host(kW, kH);
  ASSERT_NE(gui->OpenWindow(host.parentHandle()), nullptr);
  ASSERT_TRUE(PumpUntil([&] { return ScreenMatches(host); }));
  IControl* knob = gui->GetControl(3);

  // The push button: one gesture, bracketed for the host; the LED follows.
  const size_t ledPixel = size_t(23) * kW + 112;
  const uint32_t ledOff = host.Screenshot(EditorWindow(), kW, kH)[ledPixel];
  fx.mLog.clear();
  host.Click(113, 248);
  ASSERT_TRUE(PumpUntil([&] { return fx.mEnded.size() == 1; }));
  EXPECT_EQ(fx.GetParam(PedalLikeEffect::kSwitch)->Value(), 1.0);
  // What the host hears: one begin, the automation (on press and on release), one end.
  std::string heard;
  for (char c : fx.mLog)
    if (c != 'C') heard += c;
  EXPECT_EQ(heard, "BIIE");
  ASSERT_TRUE(PumpUntil([&] { return ScreenMatches(host); }));
  EXPECT_NE(host.Screenshot(EditorWindow(), kW, kH)[ledPixel], ledOff);

  // Knob: 20 pixels up in two moves change the value by 20 / (48 * gearing 4).
  host.MoveTo(44, 124);
  host.Button(1, true);
  host.MoveTo(44, 114);
  ASSERT_TRUE(PumpUntil([&] { return knob->GetValue() > 0.5; }));
  host.MoveTo(44, 104);
  host.Button(1, false);
  ASSERT_TRUE(PumpUntil([&] { return fx.mEnded.size() == 2; }));
  EXPECT_NEAR(knob->GetValue(), 0.5 + 20.0 / (48.0 * 4.0), 1e-9);
  // The wheel: one step up and one down over the knob.
  host.MoveTo(30, 110);
  host.Button(4, true);
  host.Button(4, false);
  ASSERT_TRUE(PumpUntil([&] { return knob->GetValue() > 0.5 + 20.0 / 192.0 + 0.005; }));
  host.Button(5, true);
  host.Button(5, false);
  ASSERT_TRUE(PumpUntil([&] { return std::fabs(knob->GetValue() - (0.5 + 20.0 / 192.0)) < 1e-9; }));
  ASSERT_TRUE(PumpUntil([&] { return ScreenMatches(host); }));

  // Flags, double clicks, wheel and keys as the editor core sees them.
  const std::vector<std::string> expected = {
      "down 160 260 LRC", "up 160 260 LRC", // Ctrl+click plays the right click
      "down 170 270 RS",  "up 170 270 RS",  // Shift + right button
      "down 180 280 L",   "up 180 280 L",   "dbl 180 280 L", "up 180 280 L", // double click
      "wheel 1",          "wheel -1",       "wheel 0",                       // 6: sideways
      "key 15",           "key 3",          "key 1",         "key 14", // a, Left, keypad Up, 9
      "down 200 300 L",   "drag 204 300 L", "up 204 300 L",            // focus loss
  };
  host.Key(XK_Control_L, true);
  host.Click(160, 260);
  host.Key(XK_Control_L, false);
  host.Key(XK_Shift_L, true);
  host.Click(170, 270, 3);
  host.Key(XK_Shift_L, false);
  host.Click(180, 280);
  host.Click(180, 280);
  for (int b : {4, 5, 6})
    host.Click(180, 280, b);
  ASSERT_TRUE(PumpUntil([&] { return calls.size() == 11; }));
  for (unsigned long k : {XK_a, XK_Left, XK_KP_Up, XK_9})
    host.KeyTap(k);
  ASSERT_TRUE(PumpUntil([&] { return calls.size() == 15; })) << ::testing::PrintToString(calls);
  host.MoveTo(200, 300);
  host.Button(1, true);
  host.MoveTo(204, 300);
  ASSERT_TRUE(PumpUntil([&] { return calls.size() == 17; }));
  XSetInputFocus(host.display(), host.parent(), RevertToNone, CurrentTime);
  XSync(host.display(), False);
  ASSERT_TRUE(PumpUntil([&] { return calls.size() == 18; }));
  host.Button(1, false); // its release was already delivered
  for (int i = 0; i < 5; ++i)
    Idle();
  EXPECT_EQ(calls, expected);

  // The about box: its mark shows it, a click on the shown image hides it.
  host.Click(20, 45);
  ASSERT_TRUE(PumpUntil([&] { return gui->GetControl(aboutIdx)->GetValue() == 1.0; }));
  ASSERT_TRUE(PumpUntil([&] { return ScreenMatches(host); }));
  EXPECT_EQ(host.Screenshot(EditorWindow(), kW, kH)[size_t(200) * kW + 10], 0xFAFAD2u);
  host.Click(110, 240);
  ASSERT_TRUE(PumpUntil([&] { return gui->GetControl(aboutIdx)->GetValue() == 0.0; }));
  ASSERT_TRUE(PumpUntil([&] { return ScreenMatches(host); }));
  gui->CloseWindow();
}

TEST_F(LinuxEditorWindow, TypedValuesAndMenuChoicesReachTheParameters)
{
  XTestHost host(kW, kH);
  ASSERT_NE(gui->OpenWindow(host.parentHandle()), nullptr);
  ASSERT_TRUE(PumpUntil([&] { return ScreenMatches(host); }));
  // The entry is the editor window's child and has the keyboard once it shows.
  auto entryHasFocus = [&]
  {
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(host.display(), &focus, &revert);
    return focus != EditorWindow() && focus > PointerRoot &&
           host.CountChildren(EditorWindow()) == 1;
  };

  // A right click on the knob asks for a value: typed text replaces the shown one.
  host.Click(44, 124, 3);
  ASSERT_TRUE(PumpUntil(entryHasFocus));
  for (unsigned long k : {XK_0, XK_period, XK_2, XK_5, XK_Return})
    host.KeyTap(k);
  ASSERT_TRUE(PumpUntil([&] { return fx.GetParam(PedalLikeEffect::kKnob)->Value() == 0.25; }));
  EXPECT_EQ(host.CountChildren(EditorWindow()), 0);
  // Escape throws the typing away.
  host.Click(44, 124, 3);
  ASSERT_TRUE(PumpUntil(entryHasFocus));
  host.KeyTap(XK_7);
  host.KeyTap(XK_Escape);
  ASSERT_TRUE(PumpUntil([&] { return host.CountChildren(EditorWindow()) == 0; }));
  EXPECT_EQ(fx.GetParam(PedalLikeEffect::kKnob)->Value(), 0.25);

  // A click on the caption runs its menu modally inside the idle turn, so the user's
  // choice comes from another thread: the second row ("On") of the menu that opens
  // 5 pixels below the caption.
  host.Click(50, 170);
  std::thread user(
      []
      {
        XTestHost pointer(1, 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        pointer.Click(30, 180 + 5 + 1 + 20 + 10);
      });
  const bool chosen =
      PumpUntil([&] { return fx.GetParam(PedalLikeEffect::kSwitch)->Value() == 1.0; });
  user.join();
  EXPECT_TRUE(chosen);
  gui->CloseWindow();

  // A plug-in deleted in the middle of a drag deletes its open editor without calling
  // back into itself.
  auto doomed = std::make_unique<PedalLikeEffect>();
  auto* doomedGui = new CodeImageGraphics(doomed.get(), kW, kH);
  IBitmap knob = doomedGui->LoadIBitmap(903, "knob", kKnobFrames);
  doomedGui->AttachControl(
      new IKnobMultiControl(doomed.get(), 20, 100, PedalLikeEffect::kKnob, &knob));
  doomed->AttachGraphics(doomedGui);
  void* doomedWindow = doomedGui->OpenWindow(host.parentHandle());
  ASSERT_NE(doomedWindow, nullptr);
  ASSERT_TRUE(XTestHost::PumpUntil(
      [&] { doomedGui->OnHostIdle(); },
      [&] {
        return !host.Screenshot(Window(reinterpret_cast<uintptr_t>(doomedWindow)), 1, 1).empty();
      }));
  host.MoveTo(44, 124);
  host.Button(1, true);
  ASSERT_TRUE(XTestHost::PumpUntil([&] { doomedGui->OnHostIdle(); },
                                   [&] { return doomedGui->GetMouseCapture() == 0; }));
  doomed.reset();
  host.Button(1, false);
  EXPECT_EQ(host.CountChildren(host.parent()), 0);
}
