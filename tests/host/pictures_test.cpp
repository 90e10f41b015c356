// Pictures from the render tool: the PNG writer, the small-signal response and the
// editor snapshot.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "raster/RAS_Raster.h"
#include "tools/common/PngWriter.h"
#include "tools/render/ResponsePlot.h"

namespace
{
const char* kEqualiser = "/usr/lib/vst/3BandEQ-vst.so"; // has an X11 editor

std::string TempDir(const char* name)
{
  const std::string dir = ::testing::TempDir() + name;
  mkdir(dir.c_str(), 0755);
  return dir;
}

bool Exists(const std::string& path)
{
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

std::vector<std::string> Listing(const std::string& dir)
{
  std::vector<std::string> names;
  if (DIR* d = opendir(dir.c_str()))
  {
    while (dirent* e = readdir(d))
      if (e->d_name[0] != '.') names.push_back(e->d_name);
    closedir(d);
  }
  return names;
}

struct ToolRun
{
  int status;
  std::string output;
};

ToolRun RunShell(const std::string& command)
{
  ToolRun r{-1, ""};
  FILE* f = popen((command + " 2>&1").c_str(), "r");
  if (!f) return r;
  char buf[512];
  while (std::fgets(buf, sizeof(buf), f))
    r.output += buf;
  const int st = pclose(f);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return r;
}

// Distinct colours in a bitmap: a blank or single-colour capture has one.
size_t Colours(RAS_IBitmap* b)
{
  std::set<RAS_Pixel> seen;
  for (int y = 0; y < b->getHeight(); ++y)
    for (int x = 0; x < b->getWidth(); ++x)
      seen.insert(RAS_GetPixel(b, x, y));
  return seen.size();
}
} // namespace

TEST(PngWriter, WritesWholeFilesOrNone)
{
  const std::string dir = TempDir("pngwriter");
  const std::string path = dir + "/picture.png";
  // A 3 x 2 picture in a buffer whose rows are 5 pixels apart; the padding must not leak in.
  const RAS_Pixel kPad = RAS_RGBA(1, 2, 3, 4);
  std::vector<RAS_Pixel> pixels(10, kPad);
  const RAS_Pixel colours[6] = {RAS_RGBA(255, 0, 0, 255),     RAS_RGBA(0, 255, 0, 128),
                                RAS_RGBA(0, 0, 255, 0),       RAS_RGBA(10, 20, 30, 40),
                                RAS_RGBA(255, 255, 255, 255), RAS_RGBA(0, 0, 0, 255)};
  for (int i = 0; i < 6; ++i)
    pixels[size_t((i / 3) * 5 + i % 3)] = colours[i];
  std::string error;
  ASSERT_TRUE(WritePng(path.c_str(), pixels.data(), 3, 2, 5, &error)) << error;
  std::unique_ptr<RAS_IBitmap> back(RAS_LoadPNG(path.c_str()));
  ASSERT_TRUE(back);
  ASSERT_EQ(back->getWidth(), 3);
  ASSERT_EQ(back->getHeight(), 2);
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(RAS_GetPixel(back.get(), i % 3, i / 3), colours[i]) << i;
  struct stat st;
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_TRUE(st.st_mode & S_IRGRP)
      << "a picture is readable by others, not private like a temp file";

  // Failures say why, leave the earlier picture alone and no temporary file behind.
  RAS_MemBitmap empty;
  struct Case
  {
    std::string path;
    RAS_IBitmap* bitmap;
    std::string errorHas;
  };
  const Case cases[] = {
      {path, &empty, "the picture is empty"},
      {path, nullptr, "the picture is empty"},
      {dir + "/missing/picture.png", back.get(), "cannot write " + dir + "/missing/picture.png"},
      {"", back.get(), "no PNG file name"},
  };
  for (const Case& c : cases)
  {
    error.clear();
    EXPECT_FALSE(WritePng(c.path.c_str(), c.bitmap, &error)) << c.errorHas;
    EXPECT_NE(error.find(c.errorHas), std::string::npos) << error;
  }
  EXPECT_FALSE(WritePng(path.c_str(), pixels.data(), 3, 2, 2, &error)); // rows overlap
  std::unique_ptr<RAS_IBitmap> still(RAS_LoadPNG(path.c_str()));
  ASSERT_TRUE(still);
  EXPECT_EQ(RAS_GetPixel(still.get(), 1, 0), colours[1]);
  EXPECT_EQ(Listing(dir), std::vector<std::string>{"picture.png"});
}

TEST(SmallSignalResponse, MatchesClosedFormGains)
{
  const double rate = 48000.0;
  const std::vector<double> hz = LogFrequencies(20.0, 20000.0, 31);
  ASSERT_EQ(hz.size(), 31u);
  EXPECT_DOUBLE_EQ(hz.front(), 20.0);
  EXPECT_NEAR(hz.back(), 20000.0, 1e-9);
  EXPECT_NEAR(hz[10], 200.0, 1e-9);

  struct Case
  {
    const char* name;
    std::function<BlockProcessor()> make; // a fresh processor with its own state
    std::function<double(double w)> gain; // |H| at w radians per sample
  };
  // Each starts from state that is not silent, which settling must let die away.
  auto perSample = [](std::function<double(double)> step)
  {
    return BlockProcessor(
        [step](const float* in, float* out, int n)
        {
          for (int i = 0; i < n; ++i)
            out[i] = float(step(in[i]));
        });
  };
  const Case cases[] = {
      {"delay 3, gain 1/2",
       [&]
       {
         auto d = std::make_shared<std::vector<double>>(3, 0.7);
         return perSample(
             [d](double x)
             {
               const double y = (*d)[0] * 0.5;
               d->erase(d->begin());
               d->push_back(x);
               return y;
             });
       },
       [](double) { return 0.5; }},
      {"two-tap average",
       [&]
       {
         auto x1 = std::make_shared<double>(0.9);
         return perSample(
             [x1](double x)
             {
               const double y = 0.5 * (x + *x1);
               *x1 = x;
               return y;
             });
       },
       [](double w) { return std::fabs(std::cos(0.5 * w)); }},
      {"one-pole low-pass a = 0.95",
       [&]
       {
         auto y1 = std::make_shared<double>(0.3);
         return perSample(
             [y1](double x)
             {
               *y1 = 0.95 * *y1 + 0.05 * x;
               return *y1;
             });
       },
       [](double w) { return 0.05 / std::sqrt(1.0 - 1.9 * std::cos(w) + 0.95 * 0.95); }},
  };
  for (const Case& c : cases)
  {
    // Blocks of 100 frames: the state has to carry across calls.
    const std::vector<double> ir = SmallSignalImpulseResponse(c.make(), 1 << 14, 100, 2000, 0.01);
    ASSERT_EQ(ir.size(), size_t(1 << 14)) << c.name;
    for (double smoothing : {0.0, 1.0 / 24.0})
    {
      const std::vector<double> db = MagnitudeDb(ir, rate, hz, smoothing);
      ASSERT_EQ(db.size(), hz.size());
      for (size_t i = 0; i < hz.size(); ++i)
      {
        const double want = 20.0 * std::log10(c.gain(2.0 * M_PI * hz[i] / rate));
        EXPECT_NEAR(db[i], want, smoothing > 0.0 ? 0.05 : 0.01)
            << c.name << " at " << hz[i] << " Hz";
      }
    }
  }
  // The impulse has the level asked for: a clipper at 0.005 halves a 0.01 impulse and
  // passes a 0.001 one.
  const BlockProcessor clipper = [](const float* in, float* out, int n)
  {
    for (int i = 0; i < n; ++i)
      out[i] = std::fmax(-0.005f, std::fmin(0.005f, in[i]));
  };
  EXPECT_NEAR(SmallSignalImpulseResponse(clipper, 4, 4, 0, 0.01)[0], 0.5, 1e-6);
  EXPECT_DOUBLE_EQ(SmallSignalImpulseResponse(clipper, 4, 4, 0, 0.001)[0], 1.0);

  // Silence reads as the floor, not as minus infinity or NaN.
  const std::vector<double> silent =
      MagnitudeDb(std::vector<double>(256, 0.0), rate, {100.0, 1000.0}, 0.0);
  EXPECT_EQ(silent, (std::vector<double>{-200.0, -200.0}));
}

TEST(SmallSignalResponse, PluginsAtKnownSettings)
{
  if (!Exists(kEqualiser)) GTEST_SKIP() << kEqualiser << " is not installed";
  const std::vector<double> hz = LogFrequencies(20.0, 20000.0, 61);
  std::string error;
  std::vector<double> db;
  ResponseSettings at48k;
  at48k.block = 256;

  // A three-band equaliser at 0 dB on every band sums its bands back to the input.
  VstPlugin eq;
  ASSERT_TRUE(eq.Load(kEqualiser)) << eq.Error();
  eq.Start(48000.0, 256);
  ASSERT_TRUE(MeasureSmallSignalResponse(eq, at48k, hz, &db, &error)) << error;
  for (size_t i = 0; i < hz.size(); ++i)
    EXPECT_NEAR(db[i], 0.0, 0.1) << hz[i] << " Hz";
  // Its low band cut by 24 dB pulls the bottom octave down and leaves the top alone.
  ASSERT_TRUE(eq.SetParamText(eq.FindParam("Low"), "-24"));
  ASSERT_TRUE(MeasureSmallSignalResponse(eq, at48k, hz, &db, &error)) << error;
  EXPECT_LT(db[0], -12.0) << hz[0] << " Hz";
  EXPECT_NEAR(db[55], 0.0, 1.0) << hz[55] << " Hz";

#ifdef QUORVANE_SO
  // Quorvane switched off passes its input through.
  VstPlugin q;
  ASSERT_TRUE(q.Load(QUORVANE_SO)) << q.Error();
  q.Start(44100.0, 512);
  ResponseSettings at44k;
  at44k.rate = 44100.0;
  ASSERT_TRUE(q.SetParamText(q.FindParam("Effect"), "Off"));
  ASSERT_TRUE(MeasureSmallSignalResponse(q, at44k, hz, &db, &error)) << error;
  for (size_t i = 0; i < hz.size(); ++i)
    EXPECT_NEAR(db[i], 0.0, 0.01) << hz[i] << " Hz";
#endif
}

TEST(EditorSnapshot, ToolCapturesAThirdPartyEditorUnderXvfb)
{
  if (!Exists(kEqualiser)) GTEST_SKIP() << kEqualiser << " is not installed";
  if (RunShell("command -v xvfb-run").status != 0) GTEST_SKIP() << "xvfb-run is not installed";
  const std::string dir = TempDir("snapshot");
  const std::string editor = dir + "/editor.png", response = dir + "/response.png";
  std::remove(editor.c_str());
  std::remove(response.c_str());
  const std::string tool = std::string(QUORVANE_RENDER_TOOL) + " --plugin " + kEqualiser;

  // Pictures only: no audio file is needed.
  // The third-party editor keeps memory past its library's unloading; in sanitizer
  // builds that would fail the tool's exit, though nothing of ours leaks.
  const ToolRun r =
      RunShell("ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 xvfb-run -a " + tool +
               " --param Low=-12 --snapshot " + editor + " --response " + response);
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_NE(r.output.find("editor 392 x 372 -> " + editor), std::string::npos) << r.output;
  std::unique_ptr<RAS_IBitmap> shot(RAS_LoadPNG(editor.c_str()));
  ASSERT_TRUE(shot);
  EXPECT_EQ(shot->getWidth(), 392); // the size the plug-in's editor reports
  EXPECT_EQ(shot->getHeight(), 372);
  EXPECT_GT(Colours(shot.get()), 100u) << "the capture is blank";
  std::unique_ptr<RAS_IBitmap> plot(RAS_LoadPNG(response.c_str()));
  ASSERT_TRUE(plot);
  EXPECT_EQ(plot->getWidth(), 800);

  // Without a display, and for a plug-in without an editor, the tool says so.
  struct Case
  {
    std::string command;
    std::string outputHas;
  };
  const Case cases[] = {
      {"env -u DISPLAY " + tool + " --snapshot " + editor, "cannot open the X display"},
      {"env -u DISPLAY " + std::string(QUORVANE_RENDER_TOOL) +
           " --plugin /usr/lib/vst/MaFreeverb-vst.so --snapshot " + editor,
       "has no editor"},
      {std::string(QUORVANE_RENDER_TOOL) + " --plugin /usr/lib/vst/Kars-vst.so --response " +
           response,
       "a response needs at least one of each"},
      {tool + " --response " + dir + "/missing/response.png",
       "cannot write " + dir + "/missing/response.png"},
  };
  for (const Case& c : cases)
  {
    const ToolRun fail = RunShell(c.command);
    EXPECT_EQ(fail.status, 1) << c.command << "\n" << fail.output;
    EXPECT_NE(fail.output.find(c.outputHas), std::string::npos) << c.command << "\n" << fail.output;
  }
}

#ifdef QUORVANE_SO
TEST(EditorSnapshot, QuorvaneAtItsFixedSizeShowsItsSettings)
{
  {
    VstPlugin q;
    ASSERT_TRUE(q.Load(QUORVANE_SO)) << q.Error();
    if (!(q.Effect()->flags & effFlagsHasEditor))
      GTEST_SKIP() << "this build of Quorvane has no editor";
  }
  if (RunShell("command -v xvfb-run").status != 0) GTEST_SKIP() << "xvfb-run is not installed";
  const std::string dir = TempDir("quorvane_snapshot");
  std::unique_ptr<RAS_IBitmap> shots[2];
  for (int on = 0; on < 2; ++on)
  {
    const std::string path = dir + (on ? "/on.png" : "/off.png");
    const ToolRun r = RunShell("xvfb-run -a " + std::string(QUORVANE_RENDER_TOOL) +
                               " --param Effect=" + (on ? "On" : "Off") + " --snapshot " + path);
    ASSERT_EQ(r.status, 0) << r.output;
    shots[on].reset(RAS_LoadPNG(path.c_str()));
    ASSERT_TRUE(shots[on]);
    EXPECT_EQ(shots[on]->getWidth(), 224);
    EXPECT_EQ(shots[on]->getHeight(), 333);
    EXPECT_GT(Colours(shots[on].get()), 100u) << "the capture is blank";
  }
  // The settings reach the editor before the capture: the LED differs, little else.
  int differing = 0;
  for (int y = 0; y < 333; ++y)
    for (int x = 0; x < 224; ++x)
      differing += RAS_GetPixel(shots[0].get(), x, y) != RAS_GetPixel(shots[1].get(), x, y);
  EXPECT_GT(differing, 0);
  EXPECT_LT(differing, 224 * 333 / 10);
}
#endif
