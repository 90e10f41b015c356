// The standalone binding driven as the JACK app drives it, the app's command line
// and its state file.
#include <gtest/gtest.h>

#include "effect/alloc_counter.h"

#include <sys/stat.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "effect/Quorvane.h"
#include "standalone/StandaloneArgs.h"
#include "core/IMidiMsg.h"
#include "core/ProgramFiles.h"
#include "standalone/StateFile.h"

namespace
{
bool Parse(std::vector<const char*> argv, StandaloneArgs* args, std::string* error)
{
  argv.insert(argv.begin(), "quorvane");
  return ParseStandaloneArgs(int(argv.size()), argv.data(), args, error);
}

std::vector<float> Tone(int frames)
{
  std::vector<float> s(static_cast<size_t>(frames));
  for (int i = 0; i < frames; ++i)
    s[size_t(i)] = float(0.4 * std::sin(i * 0.0172));
  return s;
}

std::vector<double> Params(const Quorvane& fx)
{
  std::vector<double> v;
  for (int i = 0; i < fx.NParams(); ++i)
    v.push_back(fx.GetParam(i)->Value());
  return v;
}
} // namespace

TEST(StandaloneArgs, RejectsEveryMalformedCommandLine)
{
  struct Case
  {
    std::vector<const char*> argv;
    const char* errorHas;
  };
  const Case cases[] = {
      {{"--frobnicate"}, "unknown argument '--frobnicate'"},
      {{"extra.wav"}, "unknown argument 'extra.wav'"},
      {{"--input"}, "--input needs a value"},
      {{"--output", ""}, "--output needs a non-empty value"},
      {{"--param", "Drive"}, "NAME=VALUE"},
      {{"--param", "=0.5"}, "NAME=VALUE"},
      {{"--param", "Drive="}, "NAME=VALUE"},
      {{"--cc", "Drive=120"}, "N from 0 to 119"},
      {{"--cc", "Drive=-1"}, "N from 0 to 119"},
      {{"--cc", "Drive=7x"}, "N from 0 to 119"},
      {{"--cc", "Drive"}, "N from 0 to 119"},
      {{"--input", "a", "--input", "b"}, "needs --stereo"},
      {{"--stereo", "--input", "a", "--input", "b", "--input", "c"}, "at most two --input"},
      {{"--output", "a", "--output", "b", "--output", "c"}, "at most two --output"},
  };
  for (const Case& c : cases)
  {
    StandaloneArgs args;
    std::string error;
    EXPECT_FALSE(Parse(c.argv, &args, &error)) << c.errorHas;
    EXPECT_NE(error.find(c.errorHas), std::string::npos) << error;
  }

  StandaloneArgs args;
  std::string error;
  ASSERT_TRUE(Parse({"--headless", "--no-connect", "--stereo", "--input", "system:capture_2",
                     "--input", "system:capture_1", "--output", "x:y", "--param", "Effect=Off",
                     "--cc", "Mid=20", "--server", "stage", "--state", "/tmp/s"},
                    &args, &error))
      << error;
  EXPECT_TRUE(args.headless && args.stereo && !args.connect);
  EXPECT_EQ(args.inputs, (std::vector<std::string>{"system:capture_2", "system:capture_1"}));
  EXPECT_EQ(args.outputs, (std::vector<std::string>{"x:y"}));
  EXPECT_EQ(args.params.at(0), (std::pair<std::string, std::string>{"Effect", "Off"}));
  EXPECT_EQ(args.controllers.at(0), (std::pair<std::string, int>{"Mid", 20}));
  EXPECT_EQ(args.server, "stage");
  EXPECT_EQ(args.statePath, "/tmp/s");
}

TEST(StateFile, PathFollowsTheConfigFolderRules)
{
  struct Case
  {
    const char* xdg; // null: unset
    const char* home;
    const char* expected;
  };
  const Case cases[] = {
      {"/cfg", "/home/u", "/cfg/quorvane/state"},
      {nullptr, "/home/u", "/home/u/.config/quorvane/state"},
      {"", "/home/u", "/home/u/.config/quorvane/state"},
      {"relative/cfg", "/home/u", "/home/u/.config/quorvane/state"},
      {nullptr, nullptr, ""},
  };
  const char* savedXdg = std::getenv("XDG_CONFIG_HOME");
  const char* savedHome = std::getenv("HOME");
  const std::string keepXdg = savedXdg ? savedXdg : "", keepHome = savedHome ? savedHome : "";
  for (const Case& c : cases)
  {
    c.xdg ? setenv("XDG_CONFIG_HOME", c.xdg, 1) : unsetenv("XDG_CONFIG_HOME");
    c.home ? setenv("HOME", c.home, 1) : unsetenv("HOME");
    EXPECT_EQ(DefaultStatePath(), c.expected);
  }
  savedXdg ? setenv("XDG_CONFIG_HOME", keepXdg.c_str(), 1) : unsetenv("XDG_CONFIG_HOME");
  savedHome ? setenv("HOME", keepHome.c_str(), 1) : unsetenv("HOME");
}

TEST(StateFile, WritesInMissingFoldersAndReplacesWhole)
{
  char tmpl[] = "/tmp/quorvane-state-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  const std::string dir = tmpl, path = dir + "/a/b/state";
  std::string error;
  ASSERT_TRUE(WriteStateFile(path, {1, 2, 3, 4, 5}, &error)) << error;
  ASSERT_TRUE(WriteStateFile(path, {9, 8}, &error)) << error;
  std::vector<uint8_t> back;
  ASSERT_TRUE(ReadWholeFile(path.c_str(), &back, &error)) << error;
  EXPECT_EQ(back, (std::vector<uint8_t>{9, 8}));
  struct stat st;
  ASSERT_EQ(stat((dir + "/a").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);

  // A folder where the file should go, or a file where a folder should: the write
  // fails, says why, and leaves nothing behind.
  ASSERT_EQ(mkdir((dir + "/dir").c_str(), 0700), 0);
  for (const std::string& bad : {dir + "/dir", dir + "/", dir + "/a/b/state/x"})
  {
    error.clear();
    EXPECT_FALSE(WriteStateFile(bad, {1}, &error)) << bad;
    EXPECT_FALSE(error.empty()) << bad;
  }
  EXPECT_EQ(std::system(("test $(find '" + dir + "' -name '*.tmp*' | wc -l) -eq 0").c_str()), 0);
  std::system(("rm -rf '" + dir + "'").c_str());
}

// A block longer than the block size goes through in pieces, bit for bit as the
// same frames handed over one block at a time; a missing input reads silence. What
// the audio thread does (a long block, a foot controller's program and control
// changes) allocates nothing.
TEST(StandaloneBinding, LongBlocksArePiecedAndMissingInputsAreSilent)
{
  const int frames = 1000, block = 256;
  const std::vector<float> in = Tone(frames);
  std::vector<float> zeros(size_t(frames), 0.0f);

  // Every instance draws its guard noise from one shared generator: the same seed
  // before each gives both the same noise.
  Quorvane::rand_state = 1;
  Quorvane whole{IEffectInstanceInfo{}};
  ASSERT_TRUE(whole.SetHostSampleRate(48000.0));
  Quorvane::rand_state = 1;
  Quorvane pieces{IEffectInstanceInfo{}};
  ASSERT_TRUE(pieces.SetHostSampleRate(48000.0));
  whole.SetHostBlockSize(block);
  pieces.SetHostBlockSize(block);
  std::vector<float> a0(static_cast<size_t>(frames)), a1(static_cast<size_t>(frames)),
      b0(static_cast<size_t>(frames)), b1(static_cast<size_t>(frames));
  float* inWhole[2] = {const_cast<float*>(in.data()), nullptr};
  float* outWhole[2] = {a0.data(), a1.data()};
  whole.MapController(7, Quorvane::kLevel);
  IMidiMsg program0(0, 0xC0, 0, 0), volume(0, 0xB0, 7, 127);
  const long allocations = AllocationCount();
  whole.ProcessMidiFromHost(&program0);
  whole.ProcessMidiFromHost(&volume);
  whole.ProcessAudio(inWhole, outWhole, frames);
  EXPECT_EQ(AllocationCount() - allocations, 0);
  ASSERT_EQ(whole.GetParam(Quorvane::kLevel)->Value(), 1.0);
  pieces.SetParameterFromHost(Quorvane::kLevel, 1.0);
  for (int at = 0; at < frames; at += block)
  {
    float* i[2] = {const_cast<float*>(in.data()) + at, zeros.data() + at};
    float* o[2] = {b0.data() + at, b1.data() + at};
    pieces.ProcessAudio(i, o, std::min(block, frames - at));
  }
  EXPECT_EQ(std::memcmp(a0.data(), b0.data(), a0.size() * sizeof(float)), 0);
  EXPECT_EQ(std::memcmp(a1.data(), b1.data(), a1.size() * sizeof(float)), 0);
  EXPECT_EQ(whole.GetSamplePos(), frames);

  // Rates that would design broken filters are refused.
  for (double bad : {0.0, -48000.0, double(NAN), double(INFINITY)})
    EXPECT_FALSE(whole.SetHostSampleRate(bad));
  EXPECT_EQ(whole.GetCurrentRate(), 48000.0);
  // A server that changes its rate while running: the filters follow.
  ASSERT_TRUE(whole.SetHostSampleRate(96000.0));
  EXPECT_EQ(whole.GetCurrentRate(), 96000.0);
}

TEST(StandaloneBinding, StateBytesRoundTripAndForeignBytesChangeNothing)
{
  Quorvane fx{IEffectInstanceInfo{}};
  ASSERT_TRUE(fx.SetParameterFromText(Quorvane::kDrive, "0.8"));
  ASSERT_TRUE(fx.SetParameterFromText(Quorvane::kEffect, "Off"));
  EXPECT_FALSE(fx.SetParameterFromText(Quorvane::kLevel, "0.5x"));
  EXPECT_FALSE(fx.SetParameterFromText(Quorvane::kLevel, "nan"));
  EXPECT_EQ(fx.FindParameter("dRiVe"), Quorvane::kDrive);
  EXPECT_EQ(fx.FindParameter("Gain"), -1);
  ByteChunk saved;
  ASSERT_TRUE(fx.GetStateBytes(&saved));

  Quorvane other{IEffectInstanceInfo{}};
  const std::vector<double> defaults = Params(other);
  const std::vector<uint8_t> bytes(saved.GetBytes(), saved.GetBytes() + saved.Size());
  std::vector<uint8_t> shortened(bytes.begin(), bytes.end() - 8), longer = bytes, badHeader = bytes;
  longer.push_back(0);
  badHeader[0] ^= 0xFF;
  for (const std::vector<uint8_t>* b : {&shortened, &longer, &badHeader})
  {
    EXPECT_FALSE(other.SetStateBytes(b->data(), int(b->size())));
    EXPECT_EQ(Params(other), defaults);
  }
  ASSERT_TRUE(other.SetStateBytes(bytes.data(), int(bytes.size())));
  EXPECT_EQ(Params(other), Params(fx));
  EXPECT_FALSE(other.IsEffectOn());
}
