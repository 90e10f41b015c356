// Shapes and text on the editor's 224 x 333 bitmap, in megapixels per second; the memcpy
// line copies the same bitmap's bytes for comparison.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "platform/common/SHIM_Font.h"
#include "raster/RAS_CachedFont.h"
#include "raster/RAS_Raster.h"
#include "raster/RAS_Shapes.h"

namespace
{

const int kW = 224, kH = 333;

void Rate(benchmark::State& state, double pixelsPerIteration)
{
  state.counters["MPix/s"] =
      benchmark::Counter(pixelsPerIteration * double(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
}

void BM_Shapes_MemcpyReference(benchmark::State& state)
{
  std::vector<uint32_t> a(size_t(kW) * kH, 0x12345678u), b(a.size());
  for (auto _ : state)
  {
    std::memcpy(b.data(), a.data(), a.size() * 4);
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
  }
  Rate(state, double(kW) * kH);
}
BENCHMARK(BM_Shapes_MemcpyReference);

// 64 anti-aliased spokes from the centre to the border, at every slope.
void BM_Shapes_AALines(benchmark::State& state)
{
  RAS_MemBitmap bmp(kW, kH, 4);
  RAS_FillRect(&bmp, 0, 0, kW, kH, RAS_RGBA(240, 240, 240, 255), 1.0f, RAS_BLEND_COPY);
  double pixels = 0;
  struct Seg
  {
    int x2, y2;
  };
  std::vector<Seg> segs;
  for (int i = 0; i < 64; ++i)
  {
    const double a = i * 6.283185307179586 / 64;
    const int x2 = kW / 2 + int(150 * std::cos(a)), y2 = kH / 2 + int(150 * std::sin(a));
    segs.push_back({x2, y2});
    // Two pixels per step of the major axis, clipped to the bitmap.
    const int cx2 = std::min(std::max(x2, 0), kW - 1), cy2 = std::min(std::max(y2, 0), kH - 1);
    pixels += 2.0 * std::max(std::abs(cx2 - kW / 2), std::abs(cy2 - kH / 2));
  }
  for (auto _ : state)
  {
    for (const Seg& s : segs)
      RAS_Line(&bmp, kW / 2, kH / 2, s.x2, s.y2, RAS_RGBA(20, 20, 20, 255), 0.8f, RAS_BLEND_COPY, true);
    benchmark::DoNotOptimize(bmp.getBits());
  }
  Rate(state, pixels);
}
BENCHMARK(BM_Shapes_AALines);

// Filled circles as the editor draws them (copy with source alpha), anti-aliased and not.
void BM_Shapes_FillCircle(benchmark::State& state)
{
  RAS_MemBitmap bmp(kW, kH, 4);
  const bool aa = state.range(0) != 0;
  const float r = 100.0f;
  for (auto _ : state)
  {
    RAS_FillCircle(&bmp, kW / 2.0f, kH / 2.0f, r, RAS_RGBA(30, 90, 200, 255), 1.0f,
                   RAS_BLEND_USE_SOURCE_ALPHA, aa);
    benchmark::DoNotOptimize(bmp.getBits());
  }
  Rate(state, 3.141592653589793 * r * r);
}
BENCHMARK(BM_Shapes_FillCircle)->Arg(0)->Arg(1);

// Text lines covering the bitmap: native (opaque colour) and through the glyph cache
// (translucent colour). Rate counts the text boxes' pixels.
void BM_Shapes_Text(benchmark::State& state)
{
  const bool glyphPath = state.range(0) != 0;
  RAS_MemBitmap bmp(kW, kH, 4);
  RAS_FillRect(&bmp, 0, 0, kW, kH, RAS_RGBA(240, 240, 240, 255), 1.0f, RAS_BLEND_COPY);
  RAS_CachedFont font;
  font.SetFromHFont(SHIM_CreateFont(10, 0, 0, 0, 400, false, false, false, 0, 0, 0, 4, 0, "Monaco"),
                    RAS_FONT_FLAG_OWNS_HFONT | RAS_FONT_FLAG_FORCE_NATIVE);
  font.SetTextColor(RAS_RGBA(10, 10, 10, glyphPath ? 200 : 255));
  const unsigned flags = RAS_DT_CENTER | RAS_DT_NOCLIP | (glyphPath ? RAS_DT_USEFGALPHA : 0u);
  const char* text = "Drive 7.5 dB  Level -3.0";
  RAS_Rect m{0, 0, 0, 0};
  font.DrawText(nullptr, text, -1, &m, RAS_DT_CALCRECT);
  const int lh = std::max(1, font.GetLineHeight());
  const int lines = kH / lh;
  for (auto _ : state)
  {
    for (int i = 0; i < lines; ++i)
    {
      RAS_Rect r{0, i * lh, kW, i * lh + lh};
      font.DrawText(&bmp, text, -1, &r, flags);
    }
    benchmark::DoNotOptimize(bmp.getBits());
  }
  Rate(state, double(std::min(m.right, kW)) * lh * lines);
}
BENCHMARK(BM_Shapes_Text)->Arg(0)->Arg(1);

} // namespace
