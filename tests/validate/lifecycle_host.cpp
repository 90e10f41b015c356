// One whole host lifecycle of a plug-in, small enough to run under valgrind's
// memcheck in a minute: load, open, process through every callback at two rates,
// chunks out and back in (program and bank), programs, texts, close and unload,
// twice over so that a second load sees the state the first one left.
// usage: validate_lifecycle PLUGIN.so
// Exits 0 when every step gave the answers a host expects, 1 otherwise.
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <vector>

#include "tools/render/VstHost.h"

#include <X11/Xlib.h>

namespace
{
int gFailures = 0;

void Check(bool ok, const char* what)
{
  if (ok) return;
  std::fprintf(stderr, "validate_lifecycle: %s\n", what);
  ++gFailures;
}

void ProcessEveryWay(VstPlugin& p, int blocks)
{
  constexpr int kBlock = 256;
  std::vector<float> fl(kBlock), fr(kBlock), f0(kBlock), f1(kBlock);
  std::vector<double> dl(kBlock), dr(kBlock), d0(kBlock), d1(kBlock);
  for (int i = 0; i < kBlock; ++i)
  {
    dl[size_t(i)] = 0.5 * std::sin(0.05 * i);
    dr[size_t(i)] = 0.25 * std::sin(0.031 * i);
    fl[size_t(i)] = float(dl[size_t(i)]);
    fr[size_t(i)] = float(dr[size_t(i)]);
  }
  float* fi[2] = {fl.data(), fr.data()};
  float* fo[2] = {f0.data(), f1.data()};
  double* di[2] = {dl.data(), dr.data()};
  double* dout[2] = {d0.data(), d1.data()};
  bool finite = true;
  for (int b = 0; b < blocks; ++b)
  {
    p.ProcessReplacing(fi, fo, kBlock);
    p.ProcessAccumulating(fi, fo, kBlock);
    p.ProcessDouble(di, dout, kBlock);
    // Blocks of 256 are longer than the announced size (split by the plug-in), this
    // one is shorter.
    p.ProcessDouble(di, dout, kBlock / 2);
    for (int i = 0; i < kBlock; ++i)
      finite = finite && std::isfinite(f0[size_t(i)]) && std::isfinite(d0[size_t(i)]);
  }
  Check(finite, "output not finite");
}

void ChunksBothWays(VstPlugin& p)
{
  AEffect* e = p.Effect();
  for (int bank = 0; bank < 2; ++bank)
  {
    void* data = nullptr;
    const intptr_t size = p.Dispatch(effGetChunk, bank ? 0 : 1, 0, &data);
    Check(size > 0 && data, "no chunk");
    if (size <= 0 || !data) continue;
    std::vector<uint8_t> saved(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
    for (int i = 0; i < e->numParams; ++i)
      e->setParameter(e, i, 0.25f);
    Check(p.Dispatch(effSetChunk, bank ? 0 : 1, intptr_t(saved.size()), saved.data()) == 1,
          "chunk refused");
    // A damaged chunk is refused or read as far as it goes, never read past.
    std::vector<uint8_t> cut(saved.begin(), saved.begin() + long(saved.size() / 2));
    p.Dispatch(effSetChunk, bank ? 0 : 1, intptr_t(cut.size()), cut.data());
  }
}

void ProgramsAndTexts(VstPlugin& p)
{
  char name[] = "Lifecycle";
  p.Dispatch(effSetProgramName, 0, 0, name);
  p.Dispatch(effSetProgram, 0, 0);
  char shown[kVstMaxProgNameLen] = {};
  p.Dispatch(effGetProgramName, 0, 0, shown);
  Check(std::strcmp(shown, "Lifecycle") == 0, "program name not kept");
  for (int i = 0; i < p.Effect()->numParams; ++i)
  {
    std::string text = p.ParamDisplay(i);
    Check(!text.empty(), "empty parameter display");
    p.Dispatch(effString2Parameter, i, 0, &text[0]);
  }
}

// The editor's part of the lifecycle. The plug-in has no window layer on Linux
// yet, so this only asks for the editor's size; effEditOpen with a window,
// effEditIdle while it is open and effEditClose belong here once it has one.
// Opens the editor in a parent window of ours, lets it draw, and closes it, three
// times, when a display is there (scripts/run-valgrind provides one through xvfb-run).
void ExerciseEditor(VstPlugin& p)
{
  if (!(p.Effect()->flags & effFlagsHasEditor)) return;
  ERect* rect = nullptr;
  p.Dispatch(effEditGetRect, 0, 0, &rect);
  Check(rect != nullptr, "no editor size");
  if (!rect || !std::getenv("DISPLAY")) return;
  Display* display = XOpenDisplay(nullptr);
  Check(display != nullptr, "DISPLAY is set but cannot be opened");
  if (!display) return;
  const unsigned w = unsigned(rect->right - rect->left), h = unsigned(rect->bottom - rect->top);
  for (int round = 0; round < 3; ++round)
  {
    const Window parent =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, w, h, 0, 0, 0);
    XMapWindow(display, parent);
    XSync(display, False);
    Check(p.Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(parent)) == 1,
          "the editor did not open");
    for (int i = 0; i < 10; ++i)
    {
      p.Dispatch(effEditIdle, 0, 0, nullptr);
      p.Effect()->setParameter(p.Effect(), i % 5, float(i) / 10.0f);
    }
    p.Dispatch(effEditClose, 0, 0, nullptr);
    XDestroyWindow(display, parent);
    XSync(display, False);
  }
  XCloseDisplay(display);
}
} // namespace

int main(int argc, char** argv)
{
  if (argc != 2)
  {
    std::fprintf(stderr, "usage: validate_lifecycle PLUGIN.so\n");
    return 2;
  }
  for (int round = 0; round < 2; ++round)
  {
    VstPlugin p;
    if (!p.Load(argv[1]))
    {
      std::fprintf(stderr, "validate_lifecycle: %s\n", p.Error().c_str());
      return 1;
    }
    p.Start(44100.0, 200);
    ProcessEveryWay(p, 4);
    ChunksBothWays(p);
    ProgramsAndTexts(p);
    ExerciseEditor(p);
    p.Suspend();
    p.Dispatch(effSetSampleRate, 0, 0, nullptr, 96000.0f);
    p.Resume();
    ProcessEveryWay(p, 2);
    p.Suspend();
    p.Unload();
  }
  return gFailures ? 1 : 0;
}
