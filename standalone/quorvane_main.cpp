// quorvane: the Quorvane overdrive as a JACK application for playing live.
#include <pthread.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/ByteChunk.h"
#include "effect/Quorvane.h"
#include "standalone/JackHost.h"
#include "standalone/StandaloneArgs.h"
#include "standalone/StateFile.h"

namespace
{
// A state file is a few dozen bytes; anything far larger is not ours.
constexpr size_t kMaxStateBytes = 1 << 20;

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
  if (!ReadSmallFile(path, kMaxStateBytes, &bytes, &error))
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
      !WriteFileAtomically(path, chunk.GetBytes(), size_t(chunk.Size()), &error))
  {
    Say("cannot keep the sound: " + (error.empty() ? "the state could not be taken" : error));
    return false;
  }
  return true;
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

// Waits for SIGINT, SIGTERM or the server going away, whichever comes first.
void RunHeadless(const JackHost& host, const sigset_t& stopSignals)
{
  const timespec tick{0, 50 * 1000 * 1000};
  while (!host.ServerGone())
    if (sigtimedwait(&stopSignals, nullptr, &tick) > 0) return;
}
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
  if (!args.load.empty())
  {
    Say("--load: program and bank files are not readable by this build");
    return kExitBadSetup;
  }
  if (!ApplyCommandLine(fx, args)) return kExitBadSetup;

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

  RunHeadless(host, stopSignals);

  const bool gone = host.ServerGone();
  if (gone)
  {
    const std::string reason = host.ServerGoneReason();
    Say("the JACK server went away" + (reason.empty() ? std::string() : " (" + reason + ")"));
  }
  host.Close();
  const bool saved = SaveState(fx, statePath);
  if (host.XrunCount() > 0) Say(std::to_string(host.XrunCount()) + " xruns while running");
  if (gone) return kExitServerGone;
  return saved ? kExitOk : kExitBadSetup;
}
