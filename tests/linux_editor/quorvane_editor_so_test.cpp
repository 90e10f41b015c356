// Quorvane.so's editor as a Linux host sees it: dlopen, effEditOpen with the host's
// X11 window, effEditIdle from the host's GUI thread, and synthetic input under Xvfb.
// Before any X header: Xlib defines None as a macro, a name gtest uses.
#include <gtest/gtest.h>

#include "linux_editor/XTestHost.h"
#include "tools/render/VstHost.h"

#include <X11/Xatom.h>
#include <dirent.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace
{
constexpr int kW = 224, kH = 333;

// Width and height of a PNG from its header.
void PngSize(const char* file, int* w, int* h)
{
  *w = *h = 0;
  FILE* f = std::fopen((std::string(QUORVANE_IMG_DIR) + "/" + file).c_str(), "rb");
  if (!f) return;
  unsigned char b[24] = {};
  if (std::fread(b, 1, sizeof(b), f) == sizeof(b))
  {
    *w = b[16] << 24 | b[17] << 16 | b[18] << 8 | b[19];
    *h = b[20] << 24 | b[21] << 16 | b[22] << 8 | b[23];
  }
  std::fclose(f);
}

int OpenFileCount()
{
  int n = 0;
  if (DIR* d = opendir("/proc/self/fd"))
  {
    while (readdir(d))
      ++n;
    closedir(d);
  }
  return n;
}

struct QuorvaneEditorSo : ::testing::Test
{
  VstPlugin p;
  AEffect* e = nullptr;
  void SetUp() override
  {
    XTestHost::ResetErrors();
    ASSERT_TRUE(p.Load(QUORVANE_SO)) << p.Error();
    e = p.Effect();
    p.Start(44100.0, 256);
  }
  void TearDown() override { EXPECT_EQ(XTestHost::Errors(), 0); }
  void Idle() { p.Dispatch(effEditIdle); }
  bool PumpUntil(const std::function<bool()>& done)
  {
    return XTestHost::PumpUntil([this] { Idle(); }, done);
  }
  // The editor is the parent's only child.
  Window Editor(XTestHost& host)
  {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int n = 0;
    Window w = 0;
    if (XQueryTree(host.display(), host.parent(), &root, &parent, &children, &n) && n == 1)
      w = children[0];
    if (children) XFree(children);
    return w;
  }
  // The screen over a rectangle of the editor, row by row.
  std::vector<uint32_t> Region(XTestHost& host, int l, int t, int r, int b)
  {
    const std::vector<uint32_t> all = host.Screenshot(host.parent(), kW, kH);
    std::vector<uint32_t> out;
    if (all.empty()) return out;
    for (int y = t; y < b; ++y)
      for (int x = l; x < r; ++x)
        out.push_back(all[size_t(y) * kW + x]);
    return out;
  }
  std::vector<int32_t> EditCalls()
  {
    std::vector<int32_t> out;
    for (const VstHostScript::Call& c : p.Script().calls)
      if (c.opcode == audioMasterBeginEdit || c.opcode == audioMasterAutomate ||
          c.opcode == audioMasterEndEdit)
        out.push_back(c.opcode);
    return out;
  }
};
} // namespace

TEST_F(QuorvaneEditorSo, ThePedalInTheHostWindowAnswersMouseAndHost)
{
  EXPECT_EQ(e->flags, 0x1019);
  ERect* rect = nullptr;
  ASSERT_EQ(p.Dispatch(effEditGetRect, 0, 0, &rect), 1);
  EXPECT_EQ(rect->top, 0);
  EXPECT_EQ(rect->left, 0);
  EXPECT_EQ(rect->bottom, 333);
  EXPECT_EQ(rect->right, 224);
  Idle(); // no window yet: nothing to do

  XTestHost host(kW, kH);
  ASSERT_EQ(p.Dispatch(effEditOpen, 0, 0, host.parentHandle()), 1);
  const Window editor = Editor(host);
  ASSERT_NE(editor, 0u);
  // Hosts that embed through XEmbed find the window mapped.
  Atom type = 0;
  int format = 0;
  unsigned long n = 0, after = 0;
  unsigned char* data = nullptr;
  const Atom info = XInternAtom(host.display(), "_XEMBED_INFO", False);
  ASSERT_EQ(XGetWindowProperty(host.display(), editor, info, 0, 2, False, info, &type, &format, &n,
                               &after, &data),
            Success);
  ASSERT_EQ(n, 2u);
  EXPECT_EQ(reinterpret_cast<long*>(data)[1], 1); // XEMBED_MAPPED
  XFree(data);
  // The background's top rows (above every control) show the artwork, not black.
  ASSERT_TRUE(PumpUntil(
      [&]
      {
        const std::vector<uint32_t> top = Region(host, 0, 0, kW, 10);
        return !top.empty() && top != std::vector<uint32_t>(top.size(), 0);
      }));

  // The push button switches "Effect" off; the host hears begin, automate, end for it.
  int bw = 0, bh = 0, lw = 0, lh = 0, kw = 0, kh = 0;
  PngSize("quorvane_button_01.png", &bw, &bh);
  PngSize("quorvane_led.png", &lw, &lh);
  PngSize("quorvane_knob_02.png", &kw, &kh);
  ASSERT_TRUE(bw > 0 && bh > 0 && lw > 0 && lh > 0 && kw > 0 && kh > 0);
  const std::vector<uint32_t> ledOn = Region(host, 104, 15, 104 + lw, 15 + lh / 2);
  p.Script().ClearCalls();
  host.Click(93 + bw / 2, 228 + bh / 4);
  ASSERT_TRUE(PumpUntil([&] { return e->getParameter(e, 5) == 0.0f; }));
  ASSERT_TRUE(PumpUntil([&] { return p.Script().Count(audioMasterEndEdit) == 1; }));
  const std::vector<int32_t> calls = EditCalls();
  ASSERT_GE(calls.size(), 3u);
  EXPECT_EQ(calls.front(), audioMasterBeginEdit);
  EXPECT_EQ(calls.back(), audioMasterEndEdit);
  for (size_t i = 1; i + 1 < calls.size(); ++i)
    EXPECT_EQ(calls[i], audioMasterAutomate);
  EXPECT_TRUE(PumpUntil([&] { return Region(host, 104, 15, 104 + lw, 15 + lh / 2) != ledOn; }));

  // "Level": 12 pixels up move it by 12 / (frame height x gearing 4); the knob redraws.
  const int frameH = kh / 65;
  const std::vector<uint32_t> levelBefore = Region(host, 6, 106, 6 + kw, 106 + frameH);
  host.MoveTo(6 + kw / 2, 106 + frameH / 2);
  host.Button(1, true);
  host.MoveTo(6 + kw / 2, 106 + frameH / 2 - 12);
  host.Button(1, false);
  const float level = float(0.5 + 12.0 / (frameH * 4.0));
  ASSERT_TRUE(PumpUntil([&] { return std::fabs(e->getParameter(e, 0) - level) < 1e-4f; }));
  EXPECT_TRUE(PumpUntil([&] { return Region(host, 6, 106, 6 + kw, 106 + frameH) != levelBefore; }));
  // One wheel step down takes 0.01 off.
  host.Click(6 + kw / 2, 106 + frameH / 2, 5);
  ASSERT_TRUE(
      PumpUntil([&] { return std::fabs(e->getParameter(e, 0) - (level - 0.01f)) < 1e-4f; }));

  // The host automates "Drive" from another thread; the next idle turns redraw it.
  const std::vector<uint32_t> driveBefore = Region(host, 170, 106, 170 + kw, 106 + frameH);
  std::thread automation([&] { e->setParameter(e, 1, 1.0f); });
  automation.join();
  EXPECT_TRUE(
      PumpUntil([&] { return Region(host, 170, 106, 170 + kw, 106 + frameH) != driveBefore; }));

  // The about mark shows the about image; a click on the image hides it again.
  const std::vector<uint32_t> plain = Region(host, 0, 0, kW, kH);
  host.Click(20, 45);
  ASSERT_TRUE(PumpUntil([&] { return Region(host, 0, 0, kW, kH) != plain; }));
  host.Click(30, 200);
  EXPECT_TRUE(PumpUntil([&] { return Region(host, 0, 0, kW, kH) == plain; }));

  EXPECT_EQ(p.Dispatch(effEditClose), 1);
  EXPECT_EQ(host.CountChildren(host.parent()), 0);
}

TEST_F(QuorvaneEditorSo, SurvivesHostMistakesAndManyOpensWhileTheAudioRuns)
{
  const int filesBefore = OpenFileCount();
  {
    XTestHost host(kW, kH);
    // Closing what was never opened, idling without a window, a null or unknown parent.
    EXPECT_EQ(p.Dispatch(effEditClose), 1);
    Idle();
    EXPECT_EQ(p.Dispatch(effEditOpen, 0, 0, nullptr), 0);
    EXPECT_EQ(
        p.Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(uintptr_t(host.parent() + 4242))), 0);
    // Opened twice: the second window replaces the first. Closed twice: nothing left.
    ASSERT_EQ(p.Dispatch(effEditOpen, 0, 0, host.parentHandle()), 1);
    ASSERT_EQ(p.Dispatch(effEditOpen, 0, 0, host.parentHandle()), 1);
    Idle();
    EXPECT_EQ(host.CountChildren(host.parent()), 1);
    p.Dispatch(effEditClose);
    p.Dispatch(effEditClose);
    EXPECT_EQ(host.CountChildren(host.parent()), 0);
  }
  // The host destroys its window first, then idles or closes straight away.
  for (bool idleFirst : {true, false})
  {
    XTestHost host(kW, kH);
    ASSERT_EQ(p.Dispatch(effEditOpen, 0, 0, host.parentHandle()), 1);
    Idle();
    host.DestroyParent();
    if (idleFirst)
      for (int i = 0; i < 3; ++i)
        Idle();
    p.Dispatch(effEditClose);
    Idle();
  }

  // A hundred opens and closes while another thread automates and processes audio.
  XTestHost host(kW, kH);
  std::atomic<bool> stop{false};
  std::thread audio(
      [&]
      {
        std::vector<float> in(256, 0.1f), out(256);
        float* ins[2] = {in.data(), in.data()};
        float* outs[2] = {out.data(), out.data()};
        for (int i = 0; !stop; ++i)
        {
          e->setParameter(e, i % 6, float(i % 100) / 100.0f);
          p.ProcessReplacing(ins, outs, 256);
        }
      });
  for (int i = 0; i < 100; ++i)
  {
    ASSERT_EQ(p.Dispatch(effEditOpen, 0, 0, host.parentHandle()), 1);
    for (int k = 0; k < 3; ++k)
      Idle();
    ASSERT_EQ(p.Dispatch(effEditClose), 1);
  }
  stop = true;
  audio.join();
  EXPECT_EQ(host.CountChildren(host.parent()), 0);
  EXPECT_EQ(OpenFileCount(), filesBefore + 1); // the host's own connection only
}
