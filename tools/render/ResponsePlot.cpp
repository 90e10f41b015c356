#include "tools/render/ResponsePlot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "editor/controls/FFT.h"
#include "platform/common/SHIM_Font.h"
#include "raster/RAS_CachedFont.h"
#include "raster/RAS_Raster.h"
#include "raster/RAS_Shapes.h"

namespace
{
constexpr double kFloorDb = -200.0;
constexpr double kLowHz = 20.0;
constexpr double kHighHz = 20000.0;

int NextPowerOfTwo(int n)
{
  int p = 1;
  while (p < n && p < (1 << 30))
    p <<= 1;
  return p;
}
} // namespace

std::vector<double> SmallSignalImpulseResponse(const BlockProcessor& process, int length, int block,
                                               int settleFrames, double level)
{
  std::vector<double> response;
  if (!process || length < 1 || block < 1 || !(level > 0.0)) return response;
  response.reserve(size_t(length));
  std::vector<float> in(static_cast<size_t>(block), 0.0f), out(static_cast<size_t>(block));
  for (int done = 0; done < settleFrames; done += block)
    process(in.data(), out.data(), std::min(block, settleFrames - done));
  for (int done = 0; done < length; done += block)
  {
    const int n = std::min(block, length - done);
    std::fill(in.begin(), in.end(), 0.0f);
    if (done == 0) in[0] = float(level);
    process(in.data(), out.data(), n);
    for (int i = 0; i < n; ++i)
      response.push_back(double(out[size_t(i)]) / double(float(level)));
  }
  return response;
}

std::vector<double> MagnitudeDb(const std::vector<double>& impulseResponse, double rate,
                                const std::vector<double>& hz, double smoothingOctaves)
{
  std::vector<double> db(hz.size(), kFloorDb);
  if (impulseResponse.empty() || !(rate > 0.0)) return db;
  const int n = std::max(kMinFFTSize,
                         NextPowerOfTwo(int(std::min<size_t>(impulseResponse.size(), 1u << 30))));
  if (!IsValidFFTSize(n)) return db;
  std::vector<double> re(size_t(n), 0.0), im(size_t(n), 0.0);
  std::copy(impulseResponse.begin(),
            impulseResponse.begin() + std::min<size_t>(impulseResponse.size(), size_t(n)),
            re.begin());
  fft(re.data(), im.data(), FFTLog2(n), -1);
  // Power of bins 0..n/2; a unit impulse has power 1 in every bin.
  const int bins = n / 2 + 1;
  std::vector<double> power(static_cast<size_t>(bins));
  for (int k = 0; k < bins; ++k)
    power[size_t(k)] = re[size_t(k)] * re[size_t(k)] + im[size_t(k)] * im[size_t(k)];

  const double binHz = rate / n;
  auto toDb = [](double p)
  { return p > 0.0 ? std::max(kFloorDb, 10.0 * std::log10(p)) : kFloorDb; };
  // Magnitude (not power) is interpolated: it is smooth where a filter's power is not.
  auto between = [&](double f)
  {
    const double pos = std::min(std::max(f / binHz, 0.0), double(bins - 1));
    const int k = std::min(int(pos), bins - 2);
    const double t = pos - k;
    const double m = std::sqrt(power[size_t(k)]) * (1.0 - t) + std::sqrt(power[size_t(k + 1)]) * t;
    return m * m;
  };
  const double halfBand = std::exp2(0.5 * std::max(0.0, smoothingOctaves));
  for (size_t i = 0; i < hz.size(); ++i)
  {
    const double f = hz[i];
    if (!(f >= 0.0)) continue;
    const int k0 = int(std::ceil(f / halfBand / binHz)), k1 = int(std::floor(f * halfBand / binHz));
    if (smoothingOctaves <= 0.0 || k1 - k0 < 1 || k0 >= bins)
    {
      db[i] = toDb(between(f));
      continue;
    }
    double sum = 0.0;
    const int last = std::min(k1, bins - 1);
    for (int k = k0; k <= last; ++k)
      sum += power[size_t(k)];
    db[i] = toDb(sum / (last - k0 + 1));
  }
  return db;
}

std::vector<double> LogFrequencies(double lo, double hi, int count)
{
  std::vector<double> hz;
  if (count < 1 || !(lo > 0.0) || !(hi >= lo)) return hz;
  hz.reserve(size_t(count));
  for (int i = 0; i < count; ++i)
    hz.push_back(count == 1 ? lo : lo * std::pow(hi / lo, double(i) / (count - 1)));
  return hz;
}

bool MeasureSmallSignalResponse(VstPlugin& plugin, const ResponseSettings& settings,
                                const std::vector<double>& hz, std::vector<double>* db,
                                std::string* error)
{
  const double rate = settings.rate;
  const int block = settings.block;
  AEffect* e = plugin.Effect();
  if (!e)
  {
    *error = "no plug-in loaded";
    return false;
  }
  const int nIn = e->numInputs, nOut = e->numOutputs;
  if (nIn < 1 || nOut < 1 || nIn > 64 || nOut > 64)
  {
    *error = "the plug-in has " + std::to_string(nIn) + " inputs and " + std::to_string(nOut) +
             " outputs; a response needs at least one of each";
    return false;
  }
  const bool useFloat = plugin.CanReplace();
  if (!useFloat && !plugin.CanDouble())
  {
    *error = "the plug-in offers no replacing process callback";
    return false;
  }
  if (!(rate > 0.0) || block < 1 || !(settings.levelDb < 0.0))
  {
    *error = "bad sample rate, block size or level for the response";
    return false;
  }

  std::vector<float> fbuf(size_t(nIn + nOut) * size_t(block), 0.0f);
  std::vector<double> dbuf(useFloat ? 0 : fbuf.size(), 0.0);
  std::vector<float*> fptr(size_t(nIn + nOut));
  std::vector<double*> dptr(size_t(nIn + nOut));
  for (size_t c = 0; c < fptr.size(); ++c)
  {
    fptr[c] = &fbuf[c * size_t(block)];
    if (!useFloat) dptr[c] = &dbuf[c * size_t(block)];
  }
  const BlockProcessor process = [&](const float* in, float* out, int n)
  {
    if (useFloat)
    {
      std::fill(fbuf.begin(), fbuf.begin() + ptrdiff_t(nIn) * block, 0.0f);
      std::copy(in, in + n, fptr[0]);
      plugin.ProcessReplacing(fptr.data(), fptr.data() + nIn, n);
      std::copy(fptr[size_t(nIn)], fptr[size_t(nIn)] + n, out);
    }
    else
    {
      std::fill(dbuf.begin(), dbuf.begin() + ptrdiff_t(nIn) * block, 0.0);
      std::copy(in, in + n, dptr[0]);
      plugin.ProcessDouble(dptr.data(), dptr.data() + nIn, n);
      for (int i = 0; i < n; ++i)
        out[i] = float(dptr[size_t(nIn)][i]);
    }
  };

  plugin.Suspend();
  plugin.Resume();
  const int length = std::max(1 << 14, NextPowerOfTwo(int(std::min(rate, 1e6))));
  std::vector<double> ir = SmallSignalImpulseResponse(process, length, block, int(rate * 0.5),
                                                      std::pow(10.0, settings.levelDb / 20.0));
  // A short fade over the last eighth keeps a cut-off tail from ringing across the spectrum.
  const size_t fade = ir.size() / 8;
  for (size_t i = 0; i < fade; ++i)
    ir[ir.size() - 1 - i] *= 0.5 - 0.5 * std::cos(M_PI * double(i) / double(fade));
  for (double v : ir)
    if (!std::isfinite(v))
    {
      *error = "the plug-in's output is not finite";
      return false;
    }
  *db = MagnitudeDb(ir, rate, hz, settings.smoothingOctaves);
  return true;
}

namespace
{
const RAS_Pixel kBackground = RAS_RGBA(255, 255, 255, 255);
const RAS_Pixel kMinorGrid = RAS_RGBA(236, 236, 236, 255);
const RAS_Pixel kMajorGrid = RAS_RGBA(205, 205, 205, 255);
const RAS_Pixel kZeroLine = RAS_RGBA(150, 150, 150, 255);
const RAS_Pixel kFrame = RAS_RGBA(110, 110, 110, 255);
const RAS_Pixel kInk = RAS_RGBA(30, 30, 30, 255);
const RAS_Pixel kSubtle = RAS_RGBA(100, 100, 100, 255);
const RAS_Pixel kCurve = RAS_RGBA(20, 90, 200, 255);

class Font
{
public:
  Font(int size, bool bold)
  {
    SHIM_Font* f =
        SHIM_CreateFont(size, 0, 0, 0, bold ? SHIM_FW_BOLD : SHIM_FW_NORMAL, false, false, false, 0,
                        0, 0, SHIM_QUALITY_ANTIALIASED, 0, "DejaVu Sans");
    mFont.SetFromHFont(f, RAS_FONT_FLAG_OWNS_HFONT | RAS_FONT_FLAG_FORCE_NATIVE);
  }
  int Width(const std::string& text)
  {
    RAS_Rect r{0, 0, 0, 0};
    mFont.DrawText(nullptr, text.c_str(), int(text.size()), &r,
                   RAS_DT_CALCRECT | RAS_DT_SINGLELINE);
    return r.right - r.left;
  }
  int Height() { return mFont.GetLineHeight(); }
  // align: 0 left of x, 1 centred on x, 2 right of x; y is the top of the line.
  void Draw(RAS_IBitmap* bmp, const std::string& text, int x, int y, int align, RAS_Pixel color)
  {
    const int w = Width(text);
    const int left = align == 1 ? x - w / 2 : align == 2 ? x - w : x;
    RAS_Rect r{left, y, left + w + 2, y + Height()};
    mFont.SetTextColor(color);
    mFont.DrawText(bmp, text.c_str(), int(text.size()), &r, RAS_DT_SINGLELINE | RAS_DT_NOPREFIX);
  }

private:
  RAS_CachedFont mFont;
};

// Splits text at ", " into at most maxLines lines no wider than width; when the items do
// not all fit, the last line ends in "...".
std::vector<std::string> Wrap(Font& font, const std::string& text, int width, int maxLines)
{
  std::vector<std::string> items;
  for (size_t pos = 0;;)
  {
    const size_t comma = text.find(", ", pos);
    items.push_back(text.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos));
    if (comma == std::string::npos) break;
    pos = comma + 2;
  }
  auto join = [](const std::vector<std::string>& parts, const char* tail)
  {
    std::string line;
    for (const std::string& p : parts)
      line += (line.empty() ? "" : ", ") + p;
    return line + tail;
  };
  std::vector<std::string> lines, current;
  for (size_t i = 0; i < items.size(); ++i)
  {
    current.push_back(items[i]);
    if (current.size() == 1 || font.Width(join(current, "")) <= width) continue;
    current.pop_back();
    if (int(lines.size()) + 1 == maxLines)
    {
      while (current.size() > 1 && font.Width(join(current, ", ...")) > width)
        current.pop_back();
      lines.push_back(join(current, ", ..."));
      return lines;
    }
    lines.push_back(join(current, ""));
    current.assign(1, items[i]);
  }
  if (!current.empty() && !join(current, "").empty()) lines.push_back(join(current, ""));
  return lines;
}

// Coverage-weighted pixels for a curve of the given thickness through one y per column:
// each column fills the span from the previous column's y to its own, widened by half the
// thickness, with partial coverage at the span's ends.
void DrawCurveColumns(RAS_IBitmap* bmp, int left, const std::vector<double>& ys, double thickness,
                      RAS_Pixel color, int clipTop, int clipBottom)
{
  for (size_t i = 0; i < ys.size(); ++i)
  {
    const double yPrev = i ? 0.5 * (ys[i - 1] + ys[i]) : ys[i];
    const double yNext = i + 1 < ys.size() ? 0.5 * (ys[i + 1] + ys[i]) : ys[i];
    const double top = std::min({yPrev, yNext, ys[i]}) - 0.5 * thickness;
    const double bottom = std::max({yPrev, yNext, ys[i]}) + 0.5 * thickness;
    const int x = left + int(i);
    for (int y = std::max(clipTop, int(std::floor(top)));
         y <= std::min(clipBottom, int(std::floor(bottom))); ++y)
    {
      const double cover = std::min(bottom, y + 1.0) - std::max(top, double(y));
      if (cover > 0.0) RAS_PutPixel(bmp, x, y, color, float(std::min(1.0, cover)), RAS_BLEND_COPY);
    }
  }
}

std::string HzLabel(double f)
{
  char buf[16];
  if (f >= 1000.0)
    std::snprintf(buf, sizeof(buf), "%gk", f / 1000.0);
  else
    std::snprintf(buf, sizeof(buf), "%g", f);
  return buf;
}

std::string DbLabel(double v)
{
  char buf[16];
  std::snprintf(buf, sizeof(buf), "%s%g",
                v > 0.0   ? "+"
                : v < 0.0 ? "\xE2\x88\x92"
                          : "",
                std::fabs(v)); // U+2212 minus
  return buf;
}
} // namespace

void DrawResponsePlot(const std::vector<double>& hz, const std::vector<double>& db,
                      const ResponseLabels& labels, int width, int height, RAS_MemBitmap* bmp)
{
  if (!bmp || width < 200 || height < 150 || !bmp->resize(width, height)) return;
  RAS_FillRect(bmp, 0, 0, width, height, kBackground, 1.0f, RAS_BLEND_COPY);
  Font title(17, true), body(12, false), small(11, false);

  // Title, then the settings on up to two lines.
  const int margin = 16;
  int y = 10;
  title.Draw(bmp, labels.title, margin, y, 0, kInk);
  y += title.Height() + 2;
  for (const std::string& line : Wrap(body, labels.settings, width - 2 * margin, 2))
  {
    body.Draw(bmp, line, margin, y, 0, kSubtle);
    y += body.Height();
  }

  const int plotL = 56, plotR = width - 24, plotT = y + 10 + small.Height(), plotB = height - 46;
  if (plotB - plotT < 40) return;
  const int plotW = plotR - plotL;

  // dB range: the curve's extent with a little room, at least 12 dB, grid steps from a
  // short list so that there are at most eight of them; deep notches run off the bottom
  // some 110 dB below the peak.
  double lo = 1e300, hi = -1e300;
  for (size_t i = 0; i < hz.size() && i < db.size(); ++i)
    if (hz[i] >= kLowHz * 0.999 && hz[i] <= kHighHz * 1.001 && db[i] > kFloorDb)
    {
      lo = std::min(lo, db[i]);
      hi = std::max(hi, db[i]);
    }
  if (lo > hi) lo = hi = 0.0;
  lo = std::max(lo, hi - 110.0);
  if (hi - lo < 12.0)
  {
    const double mid = 0.5 * (hi + lo);
    lo = mid - 6.0;
    hi = mid + 6.0;
  }
  double step = 60.0, top = 0.0, bottom = 0.0;
  for (double s : {2.0, 3.0, 6.0, 10.0, 12.0, 20.0, 30.0, 60.0})
  {
    top = std::ceil((hi + 1.0) / s) * s;
    bottom = std::floor((lo - 1.0) / s) * s;
    step = s;
    if ((top - bottom) / s <= 8.0) break;
  }
  auto yOf = [&](double v) { return plotT + (top - v) / (top - bottom) * (plotB - plotT); };
  auto xOf = [&](double f)
  { return plotL + std::log(f / kLowHz) / std::log(kHighHz / kLowHz) * plotW; };

  // Frequency grid: every 1-2-...-9 step, decades darker, the usual values labelled.
  for (double decade = 10.0; decade <= kHighHz; decade *= 10.0)
    for (int m = 1; m <= 9; ++m)
    {
      const double f = decade * m;
      if (f < kLowHz || f > kHighHz) continue;
      const int x = int(std::lround(xOf(f)));
      RAS_Line(bmp, x, plotT, x, plotB, m == 1 ? kMajorGrid : kMinorGrid, 1.0f, RAS_BLEND_COPY,
               false);
      if (m == 1 || m == 2 || m == 5) small.Draw(bmp, HzLabel(f), x, plotB + 5, 1, kInk);
    }
  for (double v = bottom; v <= top + 1e-9; v += step)
  {
    const int yy = int(std::lround(yOf(v)));
    RAS_Line(bmp, plotL, yy, plotR, yy, v == 0.0 ? kZeroLine : kMajorGrid, 1.0f, RAS_BLEND_COPY,
             false);
    small.Draw(bmp, DbLabel(v), plotL - 6, yy - small.Height() / 2, 2, kInk);
  }
  small.Draw(bmp, "dB", plotL - 6, plotT - small.Height() - 2, 2, kSubtle);
  small.Draw(bmp, "Hz", plotR, plotB + 7 + small.Height(), 2, kSubtle);
  RAS_DrawRect(bmp, plotL, plotT, plotW, plotB - plotT, kFrame, 1.0f, RAS_BLEND_COPY);

  // The curve, one point per pixel column.
  if (hz.size() >= 2 && db.size() == hz.size())
  {
    std::vector<double> ys;
    ys.reserve(size_t(plotW) + 1);
    for (int x = 0; x <= plotW; ++x)
    {
      const double f = kLowHz * std::pow(kHighHz / kLowHz, double(x) / plotW);
      const size_t j = size_t(std::lower_bound(hz.begin(), hz.end(), f) - hz.begin());
      double v;
      if (j == 0)
        v = db.front();
      else if (j >= hz.size())
        v = db.back();
      else
      {
        const double t = std::log(f / hz[j - 1]) / std::log(hz[j] / hz[j - 1]);
        v = db[j - 1] + (db[j] - db[j - 1]) * t;
      }
      ys.push_back(std::min(std::max(yOf(v), double(plotT)), double(plotB)));
    }
    DrawCurveColumns(bmp, plotL, ys, 2.0, kCurve, plotT + 1, plotB - 1);
  }

  char note[128];
  std::snprintf(note, sizeof(note), "small-signal (%g dBFS): impulse into input 1, output 1, %g Hz",
                labels.levelDb, labels.rate);
  body.Draw(bmp, note, plotL, plotB + 7 + small.Height(), 0, kSubtle);
}
