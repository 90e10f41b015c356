// quorvane-render: its command line, its built-in riff and the tool run as a process.
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/ProgramFiles.h"
#include "tools/render/DemoRiff.h"
#include "tools/render/RenderArgs.h"

namespace
{
bool Parse(std::vector<const char*> argv, RenderArgs* args, std::string* error)
{
  argv.insert(argv.begin(), "quorvane-render");
  return ParseRenderArgs(int(argv.size()), argv.data(), args, error);
}

struct ToolRun
{
  int status;
  std::string output; // stdout and stderr together
};

ToolRun RunTool(const std::string& arguments)
{
  const std::string cmd = std::string(QUORVANE_RENDER_TOOL) + " " + arguments + " 2>&1";
  ToolRun r{-1, ""};
  FILE* f = popen(cmd.c_str(), "r");
  if (!f) return r;
  char buf[512];
  while (std::fgets(buf, sizeof(buf), f))
    r.output += buf;
  const int st = pclose(f);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return r;
}

std::vector<float> ReadSound(const std::string& path, SF_INFO* info)
{
  *info = SF_INFO{};
  SNDFILE* f = sf_open(path.c_str(), SFM_READ, info);
  if (!f) return {};
  std::vector<float> s(size_t(info->frames) * size_t(info->channels));
  sf_readf_float(f, s.data(), info->frames);
  sf_close(f);
  return s;
}

std::string TempPath(const char* name)
{
  return ::testing::TempDir() + name;
}
} // namespace

TEST(RenderArgs, RejectsEveryMalformedCommandLine)
{
  struct Case
  {
    std::vector<const char*> argv;
    const char* errorHas;
  };
  const Case cases[] = {
      {{}, "need an INPUT and an OUTPUT"},
      {{"in.wav"}, "need an INPUT and an OUTPUT"},
      {{"a.wav", "b.wav", "c.wav"}, "too many"},
      {{"--demo"}, "--demo needs an OUTPUT"},
      {{"--demo", "in.wav", "out.wav"}, "only an OUTPUT"},
      {{"same.wav", "same.wav"}, "same file"},
      {{"--frobnicate", "a.wav", "b.wav"}, "unknown option '--frobnicate'"},
      {{"--demo", "o.wav", "--rate"}, "--rate needs a value"},
      {{"--demo", "o.wav", "--rate", "fast"}, "--rate expects"},
      {{"--demo", "o.wav", "--rate", "100"}, "--rate expects"},
      {{"--demo", "o.wav", "--rate", "nan"}, "--rate expects"},
      {{"--demo", "o.wav", "--block", "0"}, "--block expects"},
      {{"--demo", "o.wav", "--block", "12.5"}, "--block expects"},
      {{"--demo", "o.wav", "--block", "100000"}, "--block expects"},
      {{"--demo", "o.wav", "--precision", "half"}, "--precision expects float or double"},
      {{"--demo", "o.wav", "--param", "Drive"}, "NAME=VALUE"},
      {{"--demo", "o.wav", "--param", "=0.5"}, "NAME=VALUE"},
      {{"--demo", "o.wav", "--param", "Drive="}, "NAME=VALUE"},
      {{"--demo", "o.wav", "--plugin", ""}, "--plugin needs a path"},
      // Pictures: PNG names only, a plug-in to picture, and no half-given audio files.
      {{"--snapshot"}, "--snapshot needs a value"},
      {{"--snapshot", "editor.jpg"}, "--snapshot expects a .png file, got 'editor.jpg'"},
      {{"--response", "out/.png"}, "--response expects a .png file"},
      {{"--bypass", "--response", "r.png"}, "--bypass loads no plug-in"},
      {{"--snapshot", "a.png", "--response", "a.png"}, "name the same file"},
      {{"--response", "r.png", "in.wav"}, "need an INPUT and an OUTPUT"},
      {{"--demo", "--response", "r.png"}, "--demo needs an OUTPUT"},
      {{"--response", "r.png", "--response-level", "0"}, "--response-level expects -100 to -6"},
      {{"--response", "r.png", "--response-level", "-120"}, "--response-level expects"},
      {{"--save", "x.wav"}, "--save expects a .fxp or .fxb file"},
      {{"--load", "a.fxp"}, "need an INPUT and an OUTPUT"},
      {{"--bypass", "--save", "x.fxp"}, "--bypass loads no plug-in"},
  };
  for (const Case& c : cases)
  {
    RenderArgs args;
    std::string error;
    EXPECT_FALSE(Parse(c.argv, &args, &error)) << c.errorHas;
    EXPECT_NE(error.find(c.errorHas), std::string::npos) << "got: " << error;
  }
}

TEST(RenderArgs, AcceptsTheDocumentedForms)
{
  RenderArgs a;
  std::string error;
  ASSERT_TRUE(
      Parse({"--demo", "--rate", "44100", "--block", "64", "--precision", "double", "--param",
             "Drive=0.8", "--param", "Effect=Off", "--plugin", "/x/Q.so", "out.flac"},
            &a, &error))
      << error;
  EXPECT_TRUE(a.demo);
  EXPECT_EQ(a.rate, 44100.0);
  EXPECT_EQ(a.block, 64);
  EXPECT_TRUE(a.doublePrecision);
  ASSERT_EQ(a.params.size(), 2u);
  EXPECT_EQ(a.params[0].first, "Drive");
  EXPECT_EQ(a.params[0].second, "0.8");
  EXPECT_EQ(a.params[1].second, "Off");
  EXPECT_EQ(a.plugin, "/x/Q.so");
  EXPECT_EQ(a.output, "out.flac");

  ASSERT_TRUE(Parse({"--bypass", "in.aiff", "out.wav"}, &a, &error));
  EXPECT_TRUE(a.bypass);
  EXPECT_EQ(a.input, "in.aiff");
  EXPECT_EQ(a.block, 512);
  EXPECT_FALSE(a.doublePrecision);

  // Pictures alone need no audio files.
  ASSERT_TRUE(Parse({"--snapshot", "e.png", "--response", "out/R.PNG"}, &a, &error)) << error;
  EXPECT_EQ(a.snapshot, "e.png");
  EXPECT_EQ(a.response, "out/R.PNG");
  EXPECT_TRUE(a.input.empty());
  EXPECT_TRUE(a.output.empty());
  EXPECT_EQ(a.responseLevelDb, -40.0);
  ASSERT_TRUE(
      Parse({"--demo", "--response", "r.png", "--response-level", "-80", "wet.wav"}, &a, &error))
      << error;
  EXPECT_EQ(a.output, "wet.wav");
  EXPECT_EQ(a.responseLevelDb, -80.0);

  ASSERT_TRUE(Parse({"--help"}, &a, &error));
  EXPECT_TRUE(a.help);
}

TEST(DemoRiff, IsTenSecondsAtMinusSixDbAndStartsOnLowE)
{
  for (double rate : {44100.0, 48000.0})
  {
    const std::vector<float> riff = SynthesizeDemoRiff(rate);
    ASSERT_EQ(riff.size(), size_t(10.0 * rate));
    float peak = 0.0f;
    for (float s : riff)
      peak = std::fmax(peak, std::fabs(s));
    EXPECT_FLOAT_EQ(peak, 0.5f);
    EXPECT_EQ(riff, SynthesizeDemoRiff(rate)); // no hidden randomness

    // The first note is a palm-muted E2: the autocorrelation of its first 100 ms
    // peaks at one period, searched between 60 and 200 Hz.
    const int n = int(0.1 * rate);
    int bestLag = 0;
    double best = -1e30;
    for (int lag = int(rate / 200.0); lag <= int(rate / 60.0); ++lag)
    {
      double acc = 0.0;
      for (int i = 0; i + lag < n; ++i)
        acc += double(riff[size_t(i)]) * riff[size_t(i + lag)];
      if (acc > best)
      {
        best = acc;
        bestLag = lag;
      }
    }
    EXPECT_NEAR(rate / bestLag, NoteFrequency(40), 1.5) << rate;
  }
  EXPECT_NEAR(NoteFrequency(69), 440.0, 1e-12);
  EXPECT_NEAR(NoteFrequency(40), 82.4069, 1e-3);
  EXPECT_TRUE(SynthesizeDemoRiff(0.0).empty());
  EXPECT_TRUE(SynthesizeDemoRiff(NAN).empty());
}

TEST(RenderTool, FailsCleanlyWithANonZeroExit)
{
  struct Case
  {
    std::string args;
    int status;
    const char* outputHas;
  };
  const std::string out = TempPath("fail.wav");
  const Case cases[] = {
      {"--block", 2, "--block needs a value"},
      {"--demo --block -3 " + out, 2, "--block expects"},
      {"/nonexistent/in.wav " + out, 1, "cannot read /nonexistent/in.wav"},
      {"--demo " + TempPath("out.mp9"), 1, "cannot tell the output format"},
      {"--demo --plugin /nonexistent/P.so " + out, 1, "cannot load /nonexistent/P.so"},
      {"--demo --plugin libz.so.1 " + out, 1, "exports neither"},
      {"--demo --plugin /usr/lib/vst/3BandEQ-vst.so --param Nope=1 " + out, 1,
       "no parameter 'Nope'"},
      {"--demo --plugin /usr/lib/vst/3BandEQ-vst.so --param Low=loud " + out, 1,
       "rejected 'loud' for Low"},
      // Plug-ins read any text as a number; the tool accepts only numbers and display texts.
      {"--demo --param Drive=abc " + out, 1, "rejected 'abc' for Drive"},
      {"--load /nonexistent/p.fxp --list-programs", 1, "cannot open /nonexistent/p.fxp"},
      {"--demo --bypass /nonexistent/dir/out.wav", 1, "cannot write /nonexistent/dir/out.wav"},
  };
  for (const Case& c : cases)
  {
    const ToolRun r = RunTool(c.args);
    EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.output;
    EXPECT_NE(r.output.find(c.outputHas), std::string::npos) << c.args << "\n" << r.output;
  }
  const ToolRun help = RunTool("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.output.find("--precision float|double"), std::string::npos);
}

TEST(RenderTool, BypassWritesTheRiffAndTheSummaryLine)
{
  const std::string dry = TempPath("dry.wav");
  const ToolRun r = RunTool("--demo --bypass --rate 44100 --block 300 " + dry);
  ASSERT_EQ(r.status, 0) << r.output;
  // One line: both meters and the output path; the riff peaks at -6.0 dBFS.
  EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 1) << r.output;
  EXPECT_NE(r.output.find("in peak -6.0 dBFS"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("out peak -6.0 dBFS"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("-> " + dry), std::string::npos) << r.output;

  SF_INFO info;
  const std::vector<float> s = ReadSound(dry, &info);
  EXPECT_EQ(info.samplerate, 44100);
  EXPECT_EQ(info.channels, 1);
  EXPECT_EQ(s, SynthesizeDemoRiff(44100.0)); // float WAV carries the samples exactly

  // A file can be the input too, through a third-party plug-in; its rate must match --rate.
  const std::string third = TempPath("eq.flac");
  const ToolRun eq =
      RunTool("--plugin /usr/lib/vst/3BandEQ-vst.so --param Mid=-12 " + dry + " " + third);
  ASSERT_EQ(eq.status, 0) << eq.output;
  EXPECT_NE(eq.output.find("real time"), std::string::npos);
  const std::vector<float> e = ReadSound(third, &info);
  EXPECT_EQ(info.frames, 441000);
  const ToolRun mismatch = RunTool("--rate 48000 --bypass " + dry + " " + third);
  EXPECT_EQ(mismatch.status, 1);
  EXPECT_NE(mismatch.output.find("does not match"), std::string::npos) << mismatch.output;
}

TEST(RenderTool, ProgressBarOnlyOnATerminal)
{
  // The bar's clock advances a second per block, however fast the render runs;
  // script(1) gives the tool a terminal.
  const std::string out = TempPath("bar.wav");
  const std::string args = "--demo --plugin /usr/lib/vst/3BandEQ-vst.so " + out;
  setenv("QUORVANE_RENDER_PROGRESS_STEP", "1", 1);
  const std::string cmd =
      "script -qec \"" + std::string(QUORVANE_RENDER_TOOL) + " " + args + "\" /dev/null";
  FILE* f = popen(cmd.c_str(), "r");
  ASSERT_NE(f, nullptr);
  std::string terminal;
  char buf[512];
  while (std::fgets(buf, sizeof(buf), f))
    terminal += buf;
  ASSERT_EQ(pclose(f), 0) << terminal;
  EXPECT_NE(terminal.find("[#"), std::string::npos) << terminal;
  EXPECT_NE(terminal.find("%"), std::string::npos);

  const ToolRun piped = RunTool(args); // without a terminal, whatever the clock
  unsetenv("QUORVANE_RENDER_PROGRESS_STEP");
  ASSERT_EQ(piped.status, 0) << piped.output;
  EXPECT_EQ(piped.output.find("[#"), std::string::npos) << piped.output;
}

TEST(RenderTool, ProgramAndBankFilesRoundTripThroughTheTool)
{
  // Our plug-in and a third-party one, both in the plain forms: what the tool saves
  // it loads into a fresh instance and saves again byte for byte.
  struct Case
  {
    std::string plugin, param;
  };
  const Case cases[] = {{"", "--param Drive=0.75 --param Effect=Off"},
                        {"--plugin /usr/lib/vst/3BandEQ-vst.so ", "--param Low=-6"}};
  for (const Case& c : cases)
  {
    for (const char* ext : {".fxp", ".fxb"})
    {
      const std::string first = TempPath((std::string("first") + ext).c_str());
      const std::string again = TempPath((std::string("again") + ext).c_str());
      const ToolRun save = RunTool(c.plugin + c.param + " --save " + first);
      ASSERT_EQ(save.status, 0) << save.output;
      EXPECT_NE(save.output.find("saved " + first), std::string::npos) << save.output;
      const ToolRun load = RunTool(c.plugin + "--load " + first + " --save " + again);
      ASSERT_EQ(load.status, 0) << load.output;
      std::vector<uint8_t> a, b;
      ASSERT_TRUE(ReadWholeFile(first.c_str(), &a, nullptr));
      ASSERT_TRUE(ReadWholeFile(again.c_str(), &b, nullptr));
      EXPECT_EQ(a, b) << c.plugin << ext;
      const ToolRun defaults = RunTool(c.plugin + "--save " + again);
      ASSERT_TRUE(ReadWholeFile(again.c_str(), &b, nullptr));
      EXPECT_NE(a, b) << "the settings did not reach the file: " << c.plugin << ext;
    }
  }

  // A render with a loaded program sounds like one with the same settings given directly
  // (values exact in the file's floats); the third-party plug-in refuses our file
  // before rendering anything.
  const std::string hot = TempPath("hot.fxp");
  ASSERT_EQ(RunTool("--param Drive=0.75 --param Level=0.25 --save " + hot).status, 0);
  std::remove(TempPath("no.wav").c_str());
  const ToolRun refused = RunTool("--plugin /usr/lib/vst/3BandEQ-vst.so --load " + hot +
                                  " --demo " + TempPath("no.wav"));
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.output.find("is for plug-in id 'qvx1'"), std::string::npos) << refused.output;
  SF_INFO info;
  EXPECT_TRUE(ReadSound(TempPath("no.wav"), &info).empty());

  const ToolRun viaFile = RunTool("--load " + hot + " --demo " + TempPath("via_file.wav"));
  const ToolRun direct =
      RunTool("--param Drive=0.75 --param Level=0.25 --demo " + TempPath("direct.wav"));
  ASSERT_EQ(viaFile.status, 0) << viaFile.output;
  ASSERT_EQ(direct.status, 0) << direct.output;
  EXPECT_EQ(ReadSound(TempPath("via_file.wav"), &info), ReadSound(TempPath("direct.wav"), &info));

  const ToolRun list = RunTool("--list-programs");
  EXPECT_EQ(list.status, 0);
  EXPECT_EQ(list.output, "*   0  Init\n");
}
