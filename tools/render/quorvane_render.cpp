// quorvane-render: an offline VST 2 host. Reads an audio file (or synthesises the
// demo riff), runs it through a plug-in block by block as a DAW would, writes the
// result and prints a one-line summary.
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tools/render/DemoRiff.h"
#include "tools/render/HostProgramFiles.h"
#include "tools/render/RenderArgs.h"
#include "tools/render/RenderPictures.h"
#include "tools/render/VstHost.h"

#ifndef QUORVANE_DEFAULT_PLUGIN
#define QUORVANE_DEFAULT_PLUGIN ""
#endif

namespace
{
int Fail(const std::string& message)
{
  std::fprintf(stderr, "quorvane-render: %s\n", message.c_str());
  return 1;
}

// Peak and RMS over every sample of every channel.
struct Meter
{
  double peak = 0.0;
  double sumSquares = 0.0;
  double count = 0.0;

  void Add(float s)
  {
    const double d = s;
    peak = std::max(peak, std::fabs(d));
    sumSquares += d * d;
    count += 1.0;
  }
  static std::string Db(double linear)
  {
    if (!(linear > 0.0)) return linear == 0.0 ? "-inf" : "nan";
    char buf[32];
    std::snprintf(buf, sizeof(buf), "%.1f", 20.0 * std::log10(linear));
    return buf;
  }
  std::string Text() const
  {
    const double rms = count > 0.0 ? std::sqrt(sumSquares / count) : 0.0;
    return "peak " + Db(peak) + " dBFS, RMS " + Db(rms) + " dBFS";
  }
};

// Where frames come from: the demo riff in memory or an open sound file.
class Source
{
public:
  ~Source()
  {
    if (mFile) sf_close(mFile);
  }
  bool OpenDemo(double rate)
  {
    mDemo = SynthesizeDemoRiff(rate);
    mChannels = 1;
    mRate = rate;
    mFrames = int64_t(mDemo.size());
    return !mDemo.empty();
  }
  bool OpenFile(const std::string& path, std::string* error)
  {
    SF_INFO info{};
    mFile = sf_open(path.c_str(), SFM_READ, &info);
    if (!mFile)
    {
      *error = "cannot read " + path + ": " + sf_strerror(nullptr);
      return false;
    }
    if (info.channels < 1 || info.channels > 2)
    {
      *error = path + " has " + std::to_string(info.channels) +
               " channels; only mono and stereo are supported";
      return false;
    }
    mChannels = info.channels;
    mRate = info.samplerate;
    mFrames = info.frames;
    return true;
  }
  // Reads up to n interleaved frames; returns how many were read.
  int Read(float* interleaved, int n)
  {
    if (mFile) return int(sf_readf_float(mFile, interleaved, n));
    const int64_t left = mFrames - mPos;
    const int got = int(std::min<int64_t>(n, left));
    std::memcpy(interleaved, mDemo.data() + mPos, size_t(got) * sizeof(float));
    mPos += got;
    return got;
  }
  int Channels() const { return mChannels; }
  double Rate() const { return mRate; }
  int64_t Frames() const { return mFrames; }

private:
  SNDFILE* mFile = nullptr;
  std::vector<float> mDemo;
  int64_t mPos = 0;
  int mChannels = 1;
  double mRate = 48000.0;
  int64_t mFrames = 0;
};

bool OutputFormat(const std::string& path, int* format)
{
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos) return false;
  std::string ext = path.substr(dot + 1);
  for (char& c : ext)
    c = char(std::tolower(static_cast<unsigned char>(c)));
  // WAV keeps the plug-in's output exactly; FLAC and AIFF take 24-bit integers.
  if (ext == "wav")
    *format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  else if (ext == "flac")
    *format = SF_FORMAT_FLAC | SF_FORMAT_PCM_24;
  else if (ext == "aif" || ext == "aiff")
    *format = SF_FORMAT_AIFF | SF_FORMAT_PCM_24;
  else
    return false;
  return true;
}

class Progress
{
public:
  explicit Progress(int64_t total)
      : mTotal(total), mStart(Clock::now()), mTerminal(isatty(STDERR_FILENO))
  {
    // Tests make the bar's timing independent of how fast the render runs: with
    // QUORVANE_RENDER_PROGRESS_STEP set, its clock advances by that many seconds
    // per update instead of following the wall clock.
    const char* step = std::getenv("QUORVANE_RENDER_PROGRESS_STEP");
    if (step && *step) mStep = std::max(0.0, std::atof(step));
  }
  // Draws only on a terminal and only once the render has run for half a second.
  void Update(int64_t done)
  {
    if (!mTerminal || mTotal <= 0) return;
    ++mUpdates;
    const double t = mStep >= 0.0 ? mStep * double(mUpdates) : Seconds();
    if (t < 0.5 || t - mLast < 0.1) return;
    mLast = t;
    const int width = 40;
    const double f = std::min(1.0, double(done) / double(mTotal));
    const int filled = int(f * width);
    std::fprintf(stderr, "\r[%.*s%*s] %3d%%", filled, "########################################",
                 width - filled, "", int(f * 100.0));
    std::fflush(stderr);
    mShown = true;
  }
  void Finish()
  {
    if (mShown) std::fprintf(stderr, "\r%*s\r", 48, "");
  }

private:
  using Clock = std::chrono::steady_clock;
  double Seconds() const { return std::chrono::duration<double>(Clock::now() - mStart).count(); }
  int64_t mTotal;
  Clock::time_point mStart;
  bool mTerminal;
  bool mShown = false;
  double mLast = 0.0;
  double mStep = -1.0; // seconds per update, or below 0 for the wall clock
  int64_t mUpdates = 0;
};
} // namespace

int main(int argc, char** argv)
{
  RenderArgs args;
  std::string error;
  if (!ParseRenderArgs(argc, argv, &args, &error))
  {
    std::fprintf(stderr, "quorvane-render: %s\n(try --help)\n", error.c_str());
    return 2;
  }
  if (args.help)
  {
    std::fputs(RenderUsage(), stdout);
    return 0;
  }

  // Without rendering (programs only) no source is opened; the plug-in runs at the
  // demo's rate.
  Source source;
  if (args.render && args.demo)
  {
    if (!source.OpenDemo(args.rate > 0.0 ? args.rate : 48000.0))
      return Fail("cannot synthesise the demo riff");
  }
  else if (args.render)
  {
    if (!source.OpenFile(args.input, &error)) return Fail(error);
    if (args.rate > 0.0 && args.rate != source.Rate())
      return Fail("--rate " + std::to_string(int(args.rate)) + " does not match the input's " +
                  std::to_string(int(source.Rate())) + " Hz (no resampling)");
  }
  const int channels = source.Channels();
  const double rate = args.render ? source.Rate() : (args.rate > 0.0 ? args.rate : 48000.0);
  const int block = args.block;

  int format = 0;
  if (args.render && !OutputFormat(args.output, &format))
    return Fail("cannot tell the output format of " + args.output +
                " (use .wav, .flac, .aif or .aiff)");

  VstPlugin plugin;
  std::string pluginName = "bypass";
  int nIn = 0, nOut = 0;
  if (!args.bypass)
  {
    const std::string path = args.plugin.empty() ? QUORVANE_DEFAULT_PLUGIN : args.plugin;
    if (path.empty())
      return Fail("no plug-in given and no built Quorvane.so known; use --plugin PATH");
    if (!plugin.Load(path)) return Fail(plugin.Error());
    AEffect* e = plugin.Effect();
    nIn = std::max(0, e->numInputs);
    nOut = e->numOutputs;
    if (nOut < 1 || nOut > 64 || nIn > 64) return Fail(path + " has an unusable channel layout");
    if (args.doublePrecision && !plugin.CanDouble())
      return Fail(path + " cannot process double precision");
    if (!args.doublePrecision && !plugin.CanReplace())
      return Fail(path + " cannot process replacing");
    plugin.Script().processLevel = kVstProcessLevelOffline;
    plugin.Start(rate, block);
    if (args.render && channels == 1)
    {
      // A mono track: tell the plug-in so; its second input stays silent.
      VstSpeakerArrangement in{}, out{};
      in.type = out.type = kSpeakerArrMono;
      in.numChannels = out.numChannels = 1;
      plugin.Dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&in), &out);
    }
    if (!args.load.empty() && !LoadProgramFileIntoPlugin(e, args.load, &error)) return Fail(error);
    for (const auto& p : args.params)
    {
      const int idx = plugin.FindParam(p.first);
      if (idx < 0)
      {
        std::string names;
        for (int i = 0; i < e->numParams; ++i)
          names += (i ? ", " : "") + plugin.ParamName(i);
        return Fail("the plug-in has no parameter '" + p.first + "' (it has: " + names + ")");
      }
      if (!plugin.SetParamText(idx, p.second))
        return Fail("the plug-in rejected '" + p.second + "' for " + p.first +
                    " (give a number or one of the parameter's display texts)");
    }
    if (!args.save.empty() && !SaveProgramFileFromPlugin(e, args.save, &error)) return Fail(error);
    if (args.listPrograms)
    {
      const std::vector<std::string> names = PluginProgramNames(e);
      const int current = PluginCurrentProgram(e);
      for (size_t i = 0; i < names.size(); ++i)
        std::printf("%c %3d  %s\n", int(i) == current ? '*' : ' ', int(i), names[i].c_str());
    }
    pluginName = plugin.EffectName();
    if (pluginName.empty()) pluginName = path;
  }
  if (!args.render)
  {
    if (!RenderPictures(plugin, args, rate, block, &error)) return Fail(error);
    plugin.Suspend();
    plugin.Unload();
    if (!args.save.empty()) std::printf("%s: saved %s\n", pluginName.c_str(), args.save.c_str());
    return 0;
  }

  SF_INFO outInfo{};
  outInfo.samplerate = int(std::lround(rate));
  outInfo.channels = channels;
  outInfo.format = format;
  if (!sf_format_check(&outInfo))
    return Fail("the output format does not support this rate or channel count");
  SNDFILE* outFile = sf_open(args.output.c_str(), SFM_WRITE, &outInfo);
  if (!outFile) return Fail("cannot write " + args.output + ": " + sf_strerror(nullptr));
  if ((format & SF_FORMAT_SUBMASK) != SF_FORMAT_FLOAT)
    sf_command(outFile, SFC_SET_CLIPPING, nullptr, SF_TRUE);

  std::vector<float> inter(size_t(block) * size_t(channels)), outInter(inter.size());
  const int bufIn = std::max(nIn, 1), bufOut = std::max(nOut, 1);
  std::vector<float> fin(size_t(bufIn) * size_t(block)), fout(size_t(bufOut) * size_t(block));
  std::vector<double> din(fin.size()), dout(fout.size());
  std::vector<float*> fi(static_cast<size_t>(bufIn)), fo(static_cast<size_t>(bufOut));
  std::vector<double*> di(static_cast<size_t>(bufIn)), dd(static_cast<size_t>(bufOut));
  for (int c = 0; c < bufIn; ++c)
  {
    fi[size_t(c)] = &fin[size_t(c) * size_t(block)];
    di[size_t(c)] = &din[size_t(c) * size_t(block)];
  }
  for (int c = 0; c < bufOut; ++c)
  {
    fo[size_t(c)] = &fout[size_t(c) * size_t(block)];
    dd[size_t(c)] = &dout[size_t(c) * size_t(block)];
  }

  Meter inMeter, outMeter;
  Progress progress(source.Frames());
  double processSeconds = 0.0;
  int64_t done = 0;
  bool writeFailed = false;
  for (;;)
  {
    const int n = source.Read(inter.data(), block);
    if (n <= 0) break;
    for (int i = 0; i < n * channels; ++i)
      inMeter.Add(inter[size_t(i)]);
    if (args.bypass)
      std::memcpy(outInter.data(), inter.data(), size_t(n) * size_t(channels) * sizeof(float));
    else
    {
      std::fill(fin.begin(), fin.end(), 0.0f);
      for (int c = 0; c < std::min(channels, nIn); ++c)
        for (int i = 0; i < n; ++i)
          fi[size_t(c)][i] = inter[size_t(i * channels + c)];
      const auto t0 = std::chrono::steady_clock::now();
      if (args.doublePrecision)
      {
        std::copy(fin.begin(), fin.end(), din.begin());
        plugin.ProcessDouble(di.data(), dd.data(), n);
        std::copy(dout.begin(), dout.end(), fout.begin());
      }
      else
        plugin.ProcessReplacing(fi.data(), fo.data(), n);
      processSeconds +=
          std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
      for (int c = 0; c < channels; ++c)
      {
        const float* o = fo[size_t(std::min(c, nOut - 1))];
        for (int i = 0; i < n; ++i)
          outInter[size_t(i * channels + c)] = o[i];
      }
    }
    for (int i = 0; i < n * channels; ++i)
      outMeter.Add(outInter[size_t(i)]);
    if (sf_writef_float(outFile, outInter.data(), n) != n)
    {
      writeFailed = true;
      break;
    }
    done += n;
    progress.Update(done);
  }
  progress.Finish();
  const bool closeFailed = sf_close(outFile) != 0;
  if (writeFailed || closeFailed) return Fail("writing " + args.output + " failed");

  const double seconds = double(done) / rate;
  char speed[64];
  if (args.bypass)
    std::snprintf(speed, sizeof(speed), "bypassed");
  else if (processSeconds > 0.0)
    std::snprintf(speed, sizeof(speed), "%.1fx real time", seconds / processSeconds);
  else
    std::snprintf(speed, sizeof(speed), "real time not measurable");
  std::printf("%s: %.2f s, %d Hz, %d ch, block %d, %s | in %s | out %s | %s -> %s\n",
              pluginName.c_str(), seconds, int(std::lround(rate)), channels, block,
              args.doublePrecision ? "double" : "float", inMeter.Text().c_str(),
              outMeter.Text().c_str(), speed, args.output.c_str());
  // The pictures show the plug-in at the settings just rendered.
  if (!args.bypass && !RenderPictures(plugin, args, rate, block, &error)) return Fail(error);
  return 0;
}
