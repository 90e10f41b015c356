// The X11 editor's cost on the host's GUI thread, through Quorvane.so as a host loads
// it: an idle turn with the window open and nothing changing, and the time from
// effEditOpen to the first complete frame on screen. Needs an X display: run it under
// `xvfb-run -a`.
#include "tools/render/VstHost.h"

#include <benchmark/benchmark.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>

namespace
{
constexpr int kW = 224, kH = 333;

// A host: its display connection, a parent window, the loaded plug-in.
struct Host
{
  Display* display = XOpenDisplay(nullptr);
  Window parent = 0;
  VstPlugin plugin;
  bool ok = false;

  Host()
  {
    if (!display || !plugin.Load(QUORVANE_SO)) return;
    XSetWindowAttributes swa{};
    swa.override_redirect = True;
    swa.background_pixel = BlackPixel(display, DefaultScreen(display));
    parent = XCreateWindow(display, DefaultRootWindow(display), 0, 0, kW, kH, 0, CopyFromParent,
                           InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel, &swa);
    XMapWindow(display, parent);
    XSync(display, False);
    plugin.Start(44100.0, 256);
    ok = true;
  }
  ~Host()
  {
    plugin.Unload();
    if (display) XCloseDisplay(display);
  }
  void* ParentHandle() const { return reinterpret_cast<void*>(uintptr_t(parent)); }
  // The bottom-right pixel of the editor is on screen (the last one a full copy writes).
  bool FrameShown()
  {
    XWindowAttributes wa;
    if (!XGetWindowAttributes(display, parent, &wa) || wa.map_state != IsViewable) return false;
    XImage* image = XGetImage(display, parent, kW - 1, kH - 1, 1, 1, AllPlanes, ZPixmap);
    if (!image) return false;
    const unsigned long pixel = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return (pixel & 0xFFFFFF) != 0;
  }
};

void BM_IdleTurnNothingChanging(benchmark::State& state)
{
  Host host;
  if (!host.ok) return state.SkipWithError("no X display or no plug-in");
  host.plugin.Dispatch(effEditOpen, 0, 0, host.ParentHandle());
  for (int i = 0; i < 100; ++i)
    host.plugin.Dispatch(effEditIdle);
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state)
    host.plugin.Dispatch(effEditIdle);
  const double perTurn =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() /
      double(state.iterations());
  // Share of one core spent idling at a host's 60 turns per second.
  state.counters["core_percent_at_60Hz"] = perTurn * 60.0 * 100.0;
  host.plugin.Dispatch(effEditClose);
}
BENCHMARK(BM_IdleTurnNothingChanging)->Unit(benchmark::kMicrosecond);

void BM_OpenToFirstFrame(benchmark::State& state)
{
  Host host;
  if (!host.ok) return state.SkipWithError("no X display or no plug-in");
  for (auto _ : state)
  {
    // A black parent again, so the frame seen is this opening's.
    XClearWindow(host.display, host.parent);
    XSync(host.display, False);
    const auto start = std::chrono::steady_clock::now();
    host.plugin.Dispatch(effEditOpen, 0, 0, host.ParentHandle());
    while (!host.FrameShown())
      host.plugin.Dispatch(effEditIdle);
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    host.plugin.Dispatch(effEditClose);
  }
}
BENCHMARK(BM_OpenToFirstFrame)->UseManualTime()->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
