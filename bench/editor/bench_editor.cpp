// Redraw cost of an editor the size of the effect's (224 x 333: a background, five
// 65-frame knobs, a switch and an LED, bitmaps made in code), as a ratio to copying one
// frame of that size with memcpy in the same run; the same for Quorvane's own editor with
// its artwork, the time to construct a Quorvane instance (editor included), and the cost
// of a host's parameter push into the editor.
#include "editor/HeadlessGraphics.h" // tests/editor

#include "core/TestEffect.h"
#include "editor/BitmapCache.h"
#include "effect/Quorvane.h"
#include "editor/controls/IBitmapControl.h"
#include "editor/controls/IKnobMultiControl.h"
#include "editor/controls/ISwitchControl.h"

#include <benchmark/benchmark.h>
#include "common/RatioReporter.h"

#include <algorithm>
#include <cstdio>
#include <cmath>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

namespace
{
const int kW = 224, kH = 333;

uint32_t Pixel(int a, int r, int g, int b)
{
  return uint32_t(a) | uint32_t(r) << 8 | uint32_t(g) << 16 | uint32_t(b) << 24;
}

// Knob artwork: a disc with a soft edge and a pointer, one frame per step, so blits go
// through the source-alpha path like real anti-aliased images.
HeadlessGraphics::MemoryImage KnobStrip(int size, int frames)
{
  HeadlessGraphics::MemoryImage img;
  img.w = size;
  img.h = size * frames;
  img.pixels.resize(size_t(img.w) * img.h);
  const double c = (size - 1) * 0.5, r = size * 0.45;
  for (int f = 0; f < frames; ++f)
  {
    const double angle = -2.4 + 4.8 * f / (frames - 1);
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x)
      {
        const double dx = x - c, dy = y - c, d = std::sqrt(dx * dx + dy * dy);
        const int a = int(std::max(0.0, std::min(1.0, r - d + 0.5)) * 255.0);
        const double along = dx * std::sin(angle) - dy * std::cos(angle);
        const double across = std::fabs(dx * std::cos(angle) + dy * std::sin(angle));
        const bool pointer = along > 0 && across < 1.5;
        img.pixels[size_t(f * size + y) * img.w + x] =
            pointer ? Pixel(a, 240, 240, 240) : Pixel(a, 40 + x, 40 + y, 60);
      }
  }
  return img;
}

struct Editor
{
  TestEffect fx{"1-1", 7};
  HeadlessGraphics* g = new HeadlessGraphics(&fx, kW, kH);
  IKnobMultiControl* knobs[5] = {};

  Editor()
  {
    for (int i = 0; i < 5; ++i)
      fx.GetParam(i)->InitDouble("Knob", 5.0, 0.0, 10.0, 0.1);
    fx.GetParam(5)->InitBool("Switch", true);
    fx.GetParam(6)->InitBool("Led", true);

    HeadlessGraphics::MemoryImage bg;
    bg.w = kW;
    bg.h = kH;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x)
        bg.pixels.push_back(Pixel(255, x, y & 0xFF, (x ^ y) & 0xFF));
    g->mMemoryImages["bg"] = bg;
    g->mMemoryImages["knob"] = KnobStrip(48, 65);
    g->AddStripImage("switch", 30, 40, {Pixel(255, 90, 90, 90), Pixel(255, 150, 150, 150)});
    g->AddStripImage("led", 16, 16, {Pixel(128, 60, 0, 0), Pixel(255, 255, 40, 40)});

    g->AttachBackground(9900, "bg");
    IBitmap knob = g->LoadIBitmap(9901, "knob", 65);
    IBitmap sw = g->LoadIBitmap(9902, "switch", 2);
    IBitmap led = g->LoadIBitmap(9903, "led", 2);
    g->AttachControl(new IBitmapControl(&fx, 104, 15, 6, &led));
    g->AttachControl(new ISwitchControl(&fx, 93, 228, 5, &sw));
    const int pos[5][2] = {{6, 106}, {170, 106}, {44, 84}, {88, 71}, {131, 84}};
    for (int i = 0; i < 5; ++i)
    {
      knobs[i] = new IKnobMultiControl(&fx, pos[i][0], pos[i][1], i, &knob);
      g->AttachControl(knobs[i]);
    }
    g->mRecordScreen = false;
    fx.AttachGraphics(g);
    Redraw();
  }

  void Redraw()
  {
    IRECT r;
    if (g->IsDirty(&r)) g->Draw(&r);
  }
};

void BM_MemcpyFrame(benchmark::State& state)
{
  std::vector<uint32_t> src(size_t(kW) * kH, 0x12345678u), dst(src.size());
  for (auto _ : state)
  {
    std::memcpy(dst.data(), src.data(), src.size() * 4);
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * int64_t(src.size()) * 4);
}
BENCHMARK(BM_MemcpyFrame);

void BM_FullRedraw(benchmark::State& state)
{
  Editor e;
  for (auto _ : state)
  {
    e.g->SetAllControlsDirty();
    e.Redraw();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_FullRedraw);

void BM_OneKnobRedraw(benchmark::State& state)
{
  Editor e;
  int step = 0;
  for (auto _ : state)
  {
    // A new value from the plug-in, then the timer tick that redraws it.
    e.knobs[2]->SetValueFromPlug((step++ % 64) / 64.0);
    e.Redraw();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_OneKnobRedraw);

// Quorvane's editor as the effect builds it: no window is open, so a redraw is the
// composition into the off-screen bitmap that the window layer then copies out.
struct QuorvaneEditor
{
  Quorvane fx{IEffectInstanceInfo{}};
  IGraphics* g = GetGraphics(&fx);

  // False, with the reason on the benchmark, when this build has no editor.
  bool Usable(benchmark::State& state)
  {
    if (g) return true;
    state.SkipWithError("this build of Quorvane has no editor");
    return false;
  }
  void Redraw()
  {
    IRECT r;
    if (g->IsDirty(&r)) g->Draw(&r);
  }
};

void BM_QuorvaneFullRedraw(benchmark::State& state)
{
  QuorvaneEditor e;
  if (!e.Usable(state)) return;
  e.Redraw();
  for (auto _ : state)
  {
    e.g->SetAllControlsDirty();
    e.Redraw();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_QuorvaneFullRedraw);

void BM_QuorvaneOneKnobRedraw(benchmark::State& state)
{
  QuorvaneEditor e;
  if (!e.Usable(state)) return;
  e.Redraw();
  int step = 0;
  for (auto _ : state)
  {
    // Host automation of "Mid" reaches the editor, then the timer tick redraws the knob.
    e.g->SetParameterFromPlug(Quorvane::kMid, (step++ % 64) / 64.0, true);
    e.Redraw();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_QuorvaneOneKnobRedraw);

// One instance made and deleted, as a host does when it scans or inserts the plug-in.
// The process-wide bitmap cache keeps the editor's decoded images once the first
// instance has loaded them; the cold case empties it first, so the images are decoded
// again, as for the first instance in a process.
void BM_QuorvaneConstruct(benchmark::State& state)
{
  const bool cold = state.range(0) != 0;
  for (auto _ : state)
  {
    if (cold)
    {
      state.PauseTiming();
      s_bitmapCache.Clear();
      state.ResumeTiming();
    }
    auto fx = std::make_unique<Quorvane>(IEffectInstanceInfo{});
    benchmark::DoNotOptimize(fx.get());
  }
}
BENCHMARK(BM_QuorvaneConstruct)->Arg(0)->Arg(1)->ArgName("cold")->Unit(benchmark::kMicrosecond);

// What the host's audio thread pays for one automated value reaching the editor: with
// the window open on another thread the value only goes into its pending slot; without
// a window it is applied to the knob directly.
void BM_HostPush(benchmark::State& state)
{
  const bool window = state.range(0) != 0;
  Editor e;
  int handle = 0;
  if (window) std::thread([&] { e.g->OpenWindow(&handle); }).join();
  double v = 0.0;
  for (auto _ : state)
  {
    v = v < 1.0 ? v + 0.001 : 0.0;
    e.g->SetParameterFromPlug(0, v, true);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_HostPush)->Arg(0)->Arg(1)->ArgName("window");

} // namespace

int main(int argc, char** argv)
{
  RatioReporter reporter({{"BM_FullRedraw", "BM_MemcpyFrame"},
                          {"BM_OneKnobRedraw", "BM_MemcpyFrame"},
                          {"BM_QuorvaneFullRedraw", "BM_MemcpyFrame"},
                          {"BM_QuorvaneOneKnobRedraw", "BM_MemcpyFrame"}},
                         " (memcpy of one 224 x 333 x 4 frame)");
  return RunWithRatios(argc, argv, reporter);
}
