// Shapes and text on the editor-sized canvas, in megapixels per second beside memcpy of the
// same bytes (RasterBench.h).
#include <cmath>
#include <vector>

#include "RasterBench.h"
#include "platform/common/SHIM_Font.h"
#include "raster/RAS_CachedFont.h"
#include "raster/RAS_Raster.h"
#include "raster/RAS_Shapes.h"

namespace
{

// 64 anti-aliased spokes from the centre past the border, at every slope. Pixels: two per
// step of each clipped spoke's major axis.
void BM_ShapesAALines(benchmark::State& state)
{
  RAS_MemBitmap bmp(kBenchW, kBenchH, 4);
  RAS_FillRect(&bmp, 0, 0, kBenchW, kBenchH, RAS_RGBA(240, 240, 240, 255), 1.0f, RAS_BLEND_COPY);
  const int cx = kBenchW / 2, cy = kBenchH / 2;
  std::vector<std::pair<int, int>> ends;
  int64_t pixels = 0;
  for (int i = 0; i < 64; ++i)
  {
    const double a = i * 6.283185307179586 / 64;
    const int x2 = cx + int(150 * std::cos(a)), y2 = cy + int(150 * std::sin(a));
    ends.emplace_back(x2, y2);
    const int ex = std::min(std::max(x2, 0), kBenchW - 1),
              ey = std::min(std::max(y2, 0), kBenchH - 1);
    pixels += 2 * std::max(std::abs(ex - cx), std::abs(ey - cy));
  }
  RasterBenchRun(state, pixels,
                 [&]
                 {
                   for (const auto& e : ends)
                     RAS_Line(&bmp, cx, cy, e.first, e.second, RAS_RGBA(20, 20, 20, 255), 0.8f,
                              RAS_BLEND_COPY, true);
                 });
}
BENCHMARK(BM_ShapesAALines);

// A filled circle of radius 100 as the editor draws it (copy with source alpha); pixels:
// its area.
void BM_ShapesFillCircle(benchmark::State& state)
{
  RAS_MemBitmap bmp(kBenchW, kBenchH, 4);
  const bool aa = state.range(0) != 0;
  RasterBenchRun(state, int64_t(3.14159265 * 100 * 100),
                 [&]
                 {
                   RAS_FillCircle(&bmp, kBenchW / 2.0f, kBenchH / 2.0f, 100.0f,
                                  RAS_RGBA(30, 90, 200, 255), 1.0f, RAS_BLEND_USE_SOURCE_ALPHA, aa);
                 });
}
BENCHMARK(BM_ShapesFillCircle)->ArgName("aa")->Arg(0)->Arg(1);

// Lines of text down the canvas in the editor's default font: native (opaque colour) and
// through the glyph cache (translucent colour). Pixels: the text boxes.
void BM_ShapesText(benchmark::State& state)
{
  const bool glyphPath = state.range(0) != 0;
  RAS_MemBitmap bmp(kBenchW, kBenchH, 4);
  RAS_FillRect(&bmp, 0, 0, kBenchW, kBenchH, RAS_RGBA(240, 240, 240, 255), 1.0f, RAS_BLEND_COPY);
  RAS_CachedFont font;
  font.SetFromHFont(SHIM_CreateFont(10, 0, 0, 0, SHIM_FW_NORMAL, false, false, false, 0, 0, 0,
                                    SHIM_QUALITY_ANTIALIASED, 0, "Monaco"),
                    RAS_FONT_FLAG_OWNS_HFONT | RAS_FONT_FLAG_FORCE_NATIVE);
  font.SetTextColor(RAS_RGBA(10, 10, 10, glyphPath ? 200 : 255));
  const unsigned flags =
      RAS_DT_CENTER | RAS_DT_NOCLIP | (glyphPath ? unsigned(RAS_DT_USEFGALPHA) : 0u);
  const char* text = "Drive 7.5 dB  Level -3.0";
  RAS_Rect box{0, 0, 0, 0};
  font.DrawText(nullptr, text, -1, &box, RAS_DT_CALCRECT);
  const int lh = std::max(1, font.GetLineHeight()), lines = kBenchH / lh;
  RasterBenchRun(state, int64_t(std::min(box.right, kBenchW)) * lh * lines,
                 [&]
                 {
                   for (int i = 0; i < lines; ++i)
                   {
                     RAS_Rect r{0, i * lh, kBenchW, i * lh + lh};
                     font.DrawText(&bmp, text, -1, &r, flags);
                   }
                 });
}
BENCHMARK(BM_ShapesText)->ArgName("glyphs")->Arg(0)->Arg(1);

} // namespace
