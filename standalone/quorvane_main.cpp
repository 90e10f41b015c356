// quorvane: the Quorvane overdrive as a JACK application for playing live.
#include <pthread.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/ByteChunk.h"
#include "core/ProgramFiles.h"
#include "effect/Quorvane.h"
#include "standalone/JackHost.h"
#include "standalone/StandaloneArgs.h"
#include "standalone/StateFile.h"
#if QUORVANE_HAVE_WINDOW
#include "standalone/TopLevelWindow.h"
#endif

namespace
{
enum ExitCode
{
  kExitOk = 0,
  kExitUsage = 1,
  kExitNoServer = 2,
  kExitServerGone = 3,
  kExitBadSetup = 4,
};

void Say(const std::string& text)
{
  std::fprintf(stderr, "quorvane: %s\n", text.c_str());
}

// Restores the kept sound; a missing file is the first run, anything else is said.
void RestoreState(Quorvane& fx, const std::string& path)
{
  if (path.empty()) return;
  std::vector<uint8_t> bytes;
  std::string error;
  if (!ReadWholeFile(path.c_str(), &bytes, &error))
  {
    if (access(path.c_str(), F_OK) == 0) Say("the kept sound is not readable: " + error);
    return;
  }
  if (!fx.SetStateBytes(bytes.data(), int(bytes.size())))
    Say("the kept sound in " + path +
        " is damaged or from another version; starting from the defaults");
}

bool SaveState(Quorvane& fx, const std::string& path)
{
  if (path.empty()) return false;
  ByteChunk chunk;
  std::string error;
  if (!fx.GetStateBytes(&chunk) ||
      !WriteStateFile(path, std::vector<uint8_t>(chunk.GetBytes(), chunk.GetBytes() + chunk.Size()),
                      &error))
  {
    Say("cannot keep the sound: " + (error.empty() ? "the state could not be taken" : error));
    return false;
  }
  return true;
}

// A program or bank file, checked whole before anything changes.
bool LoadProgramOrBank(Quorvane& fx, const std::string& path)
{
  std::vector<uint8_t> bytes;
  std::string error;
  if (!ReadWholeFile(path.c_str(), &bytes, &error))
  {
    Say(error);
    return false;
  }
  int32_t id = 0;
  bool applied = false;
  switch (ProbeProgramFileKind(bytes.data(), bytes.size()))
  {
  case FxFileKind::kProgram:
  {
    FxProgram program;
    if (!ParseProgramFile(bytes.data(), bytes.size(), &program, &error)) break;
    id = program.pluginID;
    applied = fx.ApplyProgram(program);
    break;
  }
  case FxFileKind::kBank:
  {
    FxBank bank;
    if (!ParseBankFile(bytes.data(), bytes.size(), &bank, &error)) break;
    id = bank.pluginID;
    applied = fx.ApplyBank(bank);
    break;
  }
  default:
    error = "neither a program (.fxp) nor a bank (.fxb) file";
    break;
  }
  if (!applied && error.empty())
    error = "made for another plug-in (" + PluginIDText(id) + ") or another version of this one";
  if (!applied) Say(path + ": " + error);
  return applied;
}

// Parameters and controller mappings from the command line; false on the first bad one.
bool ApplyCommandLine(Quorvane& fx, const StandaloneArgs& args)
{
  for (const auto& p : args.params)
  {
    const int idx = fx.FindParameter(p.first.c_str());
    if (idx < 0)
    {
      Say("there is no parameter '" + p.first + "'");
      return false;
    }
    if (!fx.SetParameterFromText(idx, p.second.c_str()))
    {
      Say("'" + p.second + "' is no value for " + p.first);
      return false;
    }
  }
  fx.MapController(7, Quorvane::kLevel);
  fx.MapController(11, Quorvane::kDrive);
  for (const auto& c : args.controllers)
  {
    const int idx = fx.FindParameter(c.first.c_str());
    if (idx < 0)
    {
      Say("there is no parameter '" + c.first + "' for --cc");
      return false;
    }
    // The default controller of that parameter gives way to the chosen one.
    for (int cc = 0; cc < IEffectStandalone::kNumControllers; ++cc)
      if (fx.GetControllerMapping(cc) == idx) fx.MapController(cc, -1);
    fx.MapController(c.second, idx);
  }
  return true;
}

// Runs until SIGINT, SIGTERM, the server going away or the window closing. The
// window's events and the editor's idle turns come at about 50 Hz.
template <class Window> void Run(const JackHost& host, const sigset_t& stopSignals, Window* window)
{
  const timespec tick{0, 20 * 1000 * 1000};
  while (!host.ServerGone())
  {
    if (window && !window->Pump()) return;
    if (sigtimedwait(&stopSignals, nullptr, &tick) > 0) return;
  }
}

struct NoWindow
{
  bool Pump() { return true; }
};
} // namespace

int main(int argc, char** argv)
{
  StandaloneArgs args;
  std::string error;
  if (!ParseStandaloneArgs(argc, argv, &args, &error))
  {
    Say(error);
    std::fputs(StandaloneUsage(), stderr);
    return kExitUsage;
  }
  if (args.help)
  {
    std::fputs(StandaloneUsage(), stdout);
    return kExitOk;
  }

  // Stop signals are taken synchronously by the main thread; every thread started
  // from here on (the server's among them) inherits the blocked mask.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  Quorvane fx{IEffectInstanceInfo{}};
  const std::string statePath = args.statePath.empty() ? DefaultStatePath() : args.statePath;
  RestoreState(fx, statePath);
  if (!args.load.empty() && !LoadProgramOrBank(fx, args.load)) return kExitBadSetup;
  if (!ApplyCommandLine(fx, args)) return kExitBadSetup;

#if QUORVANE_HAVE_WINDOW
  // The window opens before the audio starts, so that the audio thread never waits
  // for the editor's set-up.
  TopLevelWindow window;
  if (!args.headless && !window.Open(&fx, &error))
  {
    Say(error);
    return kExitBadSetup;
  }
#else
  if (!args.headless)
  {
    Say("this build has no editor window; run it with --headless");
    return kExitBadSetup;
  }
#endif

  JackHost host(&fx);
  if (!host.Open(args.server, args.stereo, &error))
  {
    Say(error);
    return kExitNoServer;
  }
  if (!host.Activate(&error))
  {
    Say(error);
    return kExitNoServer;
  }
  std::vector<std::string> warnings;
  host.Connect(args.inputs, args.outputs, args.connect, &warnings);
  for (const std::string& w : warnings)
    Say(w);
  Say("playing on JACK at " + std::to_string(int(fx.GetSampleRate())) + " Hz, " +
      std::to_string(fx.GetBlockSize()) + " frames per block");

#if QUORVANE_HAVE_WINDOW
  if (!args.headless)
    Run(host, stopSignals, &window);
  else
#endif
    Run(host, stopSignals, static_cast<NoWindow*>(nullptr));

  const bool gone = host.ServerGone();
  if (gone)
  {
    const std::string reason = host.ServerGoneReason();
    Say("the JACK server went away" + (reason.empty() ? std::string() : " (" + reason + ")"));
  }
  host.Close();
#if QUORVANE_HAVE_WINDOW
  window.Close();
#endif
  const bool saved = SaveState(fx, statePath);
  if (host.XrunCount() > 0) Say(std::to_string(host.XrunCount()) + " xruns while running");
  if (gone) return kExitServerGone;
  return saved ? kExitOk : kExitBadSetup;
}
