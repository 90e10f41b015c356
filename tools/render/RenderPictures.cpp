#include "tools/render/RenderPictures.h"

#include <cstdio>

#include "tools/common/PngWriter.h"
#include "tools/render/EditorSnapshot.h"
#include "tools/render/ResponsePlot.h"

namespace
{
std::string Trimmed(const std::string& s)
{
  const size_t a = s.find_first_not_of(' ');
  if (a == std::string::npos) return "";
  return s.substr(a, s.find_last_not_of(' ') - a + 1);
}
} // namespace

std::string ParameterSettings(VstPlugin& plugin)
{
  std::string text;
  const int n = plugin.Effect() ? plugin.Effect()->numParams : 0;
  for (int i = 0; i < n; ++i)
  {
    std::string item = Trimmed(plugin.ParamName(i));
    const std::string display = Trimmed(plugin.ParamDisplay(i)),
                      label = Trimmed(plugin.ParamLabel(i));
    if (!display.empty()) item += " " + display;
    if (!label.empty()) item += " " + label;
    text += (text.empty() ? "" : ", ") + item;
  }
  return text;
}

bool RenderPictures(VstPlugin& plugin, const RenderArgs& args, double rate, int block,
                    std::string* error)
{
  std::string name = plugin.EffectName();
  if (name.empty()) name = "plug-in";
  if (!args.response.empty())
  {
    // One point per 1/96 octave, smoothed over 1/24: pixel-fine and free of bin ripple.
    const std::vector<double> hz = LogFrequencies(20.0, 20000.0, 961);
    ResponseSettings settings;
    settings.rate = rate;
    settings.block = block;
    settings.levelDb = args.responseLevelDb;
    std::vector<double> db;
    if (!MeasureSmallSignalResponse(plugin, settings, hz, &db, error)) return false;
    ResponseLabels labels;
    labels.title = name + ": magnitude response";
    labels.settings = ParameterSettings(plugin);
    labels.rate = rate;
    labels.levelDb = args.responseLevelDb;
    RAS_MemBitmap picture;
    DrawResponsePlot(hz, db, labels, 800, 480, &picture);
    if (!WritePng(args.response.c_str(), &picture, error)) return false;
    std::printf("%s: small-signal response -> %s\n", name.c_str(), args.response.c_str());
  }
  if (!args.snapshot.empty())
  {
    RAS_MemBitmap picture;
    if (!SnapshotEditor(plugin, EditorSnapshotOptions(), &picture, error)) return false;
    if (!WritePng(args.snapshot.c_str(), &picture, error)) return false;
    std::printf("%s: editor %d x %d -> %s\n", name.c_str(), picture.getWidth(), picture.getHeight(),
                args.snapshot.c_str());
  }
  return true;
}
