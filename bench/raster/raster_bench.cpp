// Blits and fills on the editor-sized bitmap, each beside memcpy of the same bytes.
#include <cmath>
#include <cstring>
#include <vector>

#include "RasterBench.h"
#include "raster/RAS_Raster.h"

namespace
{
// Artwork-like source: opaque discs with soft edges on a transparent ground, as the
// editor's knob and button images are.
void FillArtwork(RAS_MemBitmap& b)
{
  RAS_RowAccess a;
  a.Attach(&b);
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x)
    {
      const double cx = (x % 48) - 23.5, cy = (y % 48) - 23.5;
      const double r = std::sqrt(cx * cx + cy * cy);
      const int alpha = r < 18 ? 255 : (r < 22 ? int(255 * (22 - r) / 4) : 0);
      a.Row(y)[x] = RAS_RGBA(x & 255, y & 255, (x ^ y) & 255, alpha);
    }
}

// Every alpha value equally often: the worst case for the source-alpha copy.
void FillRandomAlpha(RAS_MemBitmap& b)
{
  RAS_RowAccess a;
  a.Attach(&b);
  uint32_t s = 12345;
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x)
    {
      s = s * 1664525u + 1013904223u;
      a.Row(y)[x] = s;
    }
}

struct Canvas
{
  RAS_MemBitmap dst{kBenchW, kBenchH, 4};
  RAS_MemBitmap src{kBenchW, kBenchH, 4};
  explicit Canvas(bool randomAlpha = false)
  {
    if (randomAlpha)
      FillRandomAlpha(src);
    else
      FillArtwork(src);
    RAS_FillRect(&dst, 0, 0, kBenchW, kBenchH, RAS_RGBA(40, 50, 60, 255), 1.0f, RAS_BLEND_COPY);
  }
};

const int64_t kPixels = int64_t(kBenchW) * kBenchH;

void BM_Memcpy(benchmark::State& state)
{
  std::vector<uint8_t> a(size_t(kPixels) * 4, 1), b(size_t(kPixels) * 4, 2);
  uint8_t* from = a.data();
  uint8_t* to = b.data();
  benchmark::DoNotOptimize(from);
  benchmark::DoNotOptimize(to);
  RasterBenchRun(state, kPixels, [&] { std::memcpy(to, from, a.size()); });
}
BENCHMARK(BM_Memcpy);

void BM_BlitOpaqueCopy(benchmark::State& state)
{
  Canvas c;
  RasterBenchRun(state, kPixels,
                 [&]
                 { RAS_Blit(&c.dst, &c.src, 0, 0, 0, 0, kBenchW, kBenchH, 1.0f, RAS_BLEND_COPY); });
}
BENCHMARK(BM_BlitOpaqueCopy);

void BM_BlitSourceAlpha(benchmark::State& state)
{
  Canvas c(state.range(1) != 0);
  const float alpha = state.range(0) == 256 ? 1.0f : 0.25f;
  RasterBenchRun(state, kPixels,
                 [&]
                 {
                   RAS_Blit(&c.dst, &c.src, 0, 0, 0, 0, kBenchW, kBenchH, alpha,
                            RAS_BLEND_COPY | RAS_BLEND_USE_SOURCE_ALPHA);
                 });
}
// Weight 256 and 0.25, on artwork and on random alpha.
BENCHMARK(BM_BlitSourceAlpha)
    ->ArgNames({"w", "random"})
    ->Args({256, 0})
    ->Args({64, 0})
    ->Args({256, 1})
    ->Args({64, 1});

void BM_FillRect(benchmark::State& state)
{
  Canvas c;
  const float alpha = float(state.range(0)) / 256.0f;
  RasterBenchRun(state, kPixels,
                 [&]
                 {
                   RAS_FillRect(&c.dst, 0, 0, kBenchW, kBenchH, RAS_RGBA(200, 100, 50, 255), alpha,
                                RAS_BLEND_COPY);
                 });
}
// Solid, the half mix, and a weight that takes the per-channel operator.
BENCHMARK(BM_FillRect)->ArgName("w")->Arg(256)->Arg(128)->Arg(77);

void BM_ScaledBilinear(benchmark::State& state)
{
  Canvas c;
  RAS_MemBitmap half(kBenchW / 2, kBenchH / 2, 4);
  RAS_ScaledBlit(&half, &c.src, 0, 0, kBenchW / 2, kBenchH / 2, 0, 0, kBenchW, kBenchH, 1.0f,
                 RAS_BLEND_COPY);
  RasterBenchRun(state, kPixels,
                 [&]
                 {
                   RAS_ScaledBlit(
                       &c.dst, &half, 0, 0, kBenchW, kBenchH, 0, 0, kBenchW / 2, kBenchH / 2, 1.0f,
                       RAS_BLEND_COPY | RAS_BLEND_USE_SOURCE_ALPHA | RAS_BLEND_FILTER_BILINEAR);
                 });
}
BENCHMARK(BM_ScaledBilinear);

void BM_RotatedBilinear(benchmark::State& state)
{
  Canvas c;
  RasterBenchRun(state, kPixels,
                 [&]
                 {
                   RAS_RotatedBlit(&c.dst, &c.src, 0, 0, kBenchW, kBenchH, 0, 0, kBenchW, kBenchH,
                                   0.3, false, 1.0f,
                                   RAS_BLEND_COPY | RAS_BLEND_USE_SOURCE_ALPHA |
                                       RAS_BLEND_FILTER_BILINEAR,
                                   0, 0);
                 });
}
BENCHMARK(BM_RotatedBilinear);
} // namespace
