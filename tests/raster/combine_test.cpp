#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "raster/RAS_Combine.h"

namespace
{
// References in floating point: std::trunc pins down C++'s truncation toward zero
// independently of the integer code under test.
int T(double v)
{
  return int(std::trunc(v));
}
int C(int v)
{
  return v < 0 ? 0 : (v > 255 ? 255 : v);
}

int RefCopy(int D, int S, int w)
{
  return S + T((D - S) * (256.0 - w) / 256.0);
}
int RefAdd(int D, int S, int w)
{
  return C(D + T(S * w / 256.0));
}
int RefDodge(int D, int S, int w)
{
  const int s = T(S * w / 256.0);
  return s < 255 ? C(T(D * 256.0 / (256 - s))) : C(D * 256);
}
int RefMul(int D, int S, int w)
{
  return T(D * (double(S) * w + (256.0 - w) * 256.0) / 65536.0);
}
int RefOverlay(int D, int S, int w)
{
  const double s = double(S) * w + (256.0 - w) * 128.0;
  return C(T((T((32768.0 - s) * D / 256.0) + s) * D / 32768.0));
}

template <class Op> uint32_t Apply(uint32_t dst, int r, int g, int b, int a, int w)
{
  Op::Combine(reinterpret_cast<uint8_t*>(&dst), r, g, b, a, w);
  return dst;
}

// Runs op over every destination and source byte pair at weight w (each channel gets a
// different mapping of the pair) and compares with ref.
template <class Op, class Ref> void Exhaustive(Ref ref, int w, const char* name)
{
  int failures = 0;
  for (int D = 0; D < 256; ++D)
    for (int S = 0; S < 256; ++S)
    {
      const uint32_t dst = RAS_RGBA(D, 255 - D, D / 2, 255 - D / 3);
      const uint32_t out = Apply<Op>(dst, S, S / 3, 255 - S, 255 - S / 2, w);
      const int want[4] = {ref(255 - D / 3, 255 - S / 2, w), ref(D, S, w), ref(255 - D, S / 3, w),
                           ref(D / 2, 255 - S, w)};
      for (int i = 0; i < 4; ++i)
        if (int((out >> (8 * i)) & 0xFF) != want[i] && ++failures < 5)
          ADD_FAILURE() << name << " w=" << w << " D=" << D << " S=" << S << " byte " << i
                        << " got " << ((out >> (8 * i)) & 0xFF) << " want " << want[i];
    }
}
} // namespace

TEST(Combine, OperatorsMatchTruncatingReferences)
{
  for (int w : {1, 2, 64, 127, 128, 129, 200, 255, 256})
  {
    Exhaustive<RAS_CombinePixelsCopyNoClamp>(RefCopy, w, "copy");
    Exhaustive<RAS_CombinePixelsAdd>(RefAdd, w, "add");
    Exhaustive<RAS_CombinePixelsColorDodge>(RefDodge, w, "dodge");
    Exhaustive<RAS_CombinePixelsMulNoClamp>(RefMul, w, "mul");
    Exhaustive<RAS_CombinePixelsOverlay>(RefOverlay, w, "overlay");
  }
}

TEST(Combine, HandWorkedBoundaries)
{
  using Copy = RAS_CombinePixelsCopyNoClamp;
  using Add = RAS_CombinePixelsAdd;
  using Dodge = RAS_CombinePixelsColorDodge;
  using Mul = RAS_CombinePixelsMulNoClamp;
  struct Case
  {
    const char* what;
    uint32_t got, want;
  } cases[] = {
      // (0 - 1) * 128 / 256 truncates to 0, so the copy keeps the source 1 (floor would give 0).
      {"copy truncates toward zero", Apply<Copy>(RAS_RGBA(0, 0, 0, 0), 1, 1, 1, 1, 128),
       RAS_RGBA(1, 1, 1, 1)},
      {"copy at 255 falling", Apply<Copy>(RAS_RGBA(255, 0, 0, 0), 0, 0, 0, 0, 255),
       RAS_RGBA(0, 0, 0, 0)},
      {"copy at 255 rising", Apply<Copy>(RAS_RGBA(0, 0, 0, 0), 255, 255, 255, 255, 255),
       RAS_RGBA(255, 255, 255, 255)},
      // 255 + (0 - 255) * 255 / 256 = 255 - 254 and 0 + 255 * 255 / 256 = 254.
      {"copy at 1", Apply<Copy>(RAS_RGBA(0, 255, 0, 0), 255, 0, 0, 0, 1), RAS_RGBA(1, 254, 0, 0)},
      {"copy past 256 does not wrap", Apply<Copy>(RAS_RGBA(0, 0, 0, 0), 255, 255, 255, 255, 300),
       RAS_RGBA(255, 255, 255, 255)},
      {"clobber", Apply<RAS_CombinePixelsClobberNoClamp>(RAS_RGBA(1, 2, 3, 4), 10, 20, 30, 40, 7),
       RAS_RGBA(10, 20, 30, 40)},
      {"add clamps 200 + 100", Apply<Add>(RAS_RGBA(100, 100, 100, 100), 200, 200, 200, 200, 256),
       RAS_RGBA(255, 255, 255, 255)},
      {"add with negative weight subtracts",
       Apply<Add>(RAS_RGBA(100, 10, 0, 255), 200, 200, 0, 0, -256), RAS_RGBA(0, 0, 0, 255)},
      {"dodge of full source saturates non-zero",
       Apply<Dodge>(RAS_RGBA(0, 1, 128, 0), 255, 255, 255, 0, 256), RAS_RGBA(0, 255, 255, 0)},
      {"dodge of zero source is neutral", Apply<Dodge>(RAS_RGBA(9, 99, 199, 255), 0, 0, 0, 0, 256),
       RAS_RGBA(9, 99, 199, 255)},
      {"dodge s = 254", Apply<Dodge>(RAS_RGBA(1, 2, 0, 0), 254, 254, 0, 0, 256),
       RAS_RGBA(128, 255, 0, 0)},
      {"mul by white at full weight loses one step",
       Apply<Mul>(RAS_RGBA(255, 128, 1, 0), 255, 255, 255, 255, 256), RAS_RGBA(254, 127, 0, 0)},
      {"mul by black", Apply<Mul>(RAS_RGBA(255, 128, 1, 9), 0, 0, 0, 0, 256), RAS_RGBA(0, 0, 0, 0)},
      {"mul weight held to 256", Apply<Mul>(RAS_RGBA(200, 200, 200, 200), 0, 0, 0, 0, 1000),
       RAS_RGBA(0, 0, 0, 0)},
      {"mul negative weight is neutral", Apply<Mul>(RAS_RGBA(200, 100, 50, 25), 0, 0, 0, 0, -300),
       RAS_RGBA(200, 100, 50, 25)},
      {"overlay 128 is neutral",
       Apply<RAS_CombinePixelsOverlay>(RAS_RGBA(0, 77, 200, 255), 128, 128, 128, 128, 256),
       RAS_RGBA(0, 77, 200, 255)},
      // s = 65280: 128 -> (-16256 + 65280) * 128 / 32768 = 191; 64 -> 57152 * 64 / 32768 = 111.
      {"overlay white",
       Apply<RAS_CombinePixelsOverlay>(RAS_RGBA(0, 128, 255, 64), 255, 255, 255, 255, 256),
       RAS_RGBA(0, 191, 255, 111)},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.got, c.want) << c.what;
}

TEST(Combine, SourceAlphaVariants)
{
  using Full = RAS_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp;
  using Copy = RAS_CombinePixelsCopySourceAlphaNoClamp;
  const uint32_t black0 = RAS_RGBA(0, 0, 0, 0);
  const uint32_t grey = RAS_RGBA(100, 100, 100, 200);
  struct Case
  {
    const char* what;
    uint32_t got, want;
  } cases[] = {
      {"full-weight copy, alpha 0, leaves D", Apply<Full>(grey, 9, 9, 9, 0, 256), grey},
      {"full-weight copy, alpha 255, replaces", Apply<Full>(grey, 1, 2, 3, 255, 256),
       RAS_RGBA(1, 2, 3, 255)},
      // R = S + (0 - S) * 127 / 256: 200 - 99 = 101, 255 - 126 = 129, 1 - 0 = 1.
      {"full-weight copy, alpha 128, over 0", Apply<Full>(black0, 200, 255, 1, 128, 256),
       RAS_RGBA(101, 129, 1, 128)},
      {"full-weight copy, alpha adds and saturates", Apply<Full>(grey, 100, 100, 100, 128, 256),
       RAS_RGBA(100, 100, 100, 255)},
      // w' = 64 * 256 / 256 = 64: R = 0 + (100 - 0) * 192 / 256 = 75; A = 200 + 64 -> 255.
      {"copy at 64, alpha 255", Apply<Copy>(grey, 0, 0, 0, 255, 64), RAS_RGBA(75, 75, 75, 255)},
      // w' = 128 * 128 / 256 = 64.
      {"copy at 128, alpha 127", Apply<Copy>(black0, 255, 255, 255, 127, 128),
       RAS_RGBA(64, 64, 64, 64)},
      {"copy, alpha 0", Apply<Copy>(grey, 0, 0, 0, 0, 256), grey},
      {"add, alpha 0", Apply<RAS_CombinePixelsAddSourceAlpha>(grey, 255, 255, 255, 0, 256), grey},
      // w' = 256 * 128 / 256 = 128: 100 + 100 * 128 / 256 = 150; A: 200 + 127 * 128 / 256 -> 255.
      {"add, alpha 127", Apply<RAS_CombinePixelsAddSourceAlpha>(grey, 100, 100, 100, 127, 256),
       RAS_RGBA(150, 150, 150, 255)},
      {"mul, alpha 0", Apply<RAS_CombinePixelsMulSourceAlpha>(grey, 0, 0, 0, 0, 256), grey},
      {"dodge, alpha 0, is neutral",
       Apply<RAS_CombinePixelsColorDodgeSourceAlpha>(grey, 255, 255, 255, 0, 256), grey},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.got, c.want) << c.what;
}

TEST(Combine, HSVAdjust)
{
  using HSV = RAS_CombinePixelsHSVAdjust;
  // A neutral source (128 for hue, saturation and value) gives back the colour within the
  // rounding of the hue steps (64 per sector: up to 255 / 64 on the middle channel) plus a
  // step of saturation; A takes the source alpha.
  int worst = 0;
  for (int r = 0; r < 256; r += 15)
    for (int g = 0; g < 256; g += 15)
      for (int b = 0; b < 256; b += 15)
      {
        const uint32_t out = Apply<HSV>(RAS_RGBA(r, g, b, 7), 128, 128, 128, 99, 256);
        EXPECT_EQ(RAS_GetA(out), 99);
        worst = std::max({worst, std::abs(RAS_GetR(out) - r), std::abs(RAS_GetG(out) - g),
                          std::abs(RAS_GetB(out) - b)});
      }
  EXPECT_LE(worst, 5);

  // Hue 0 turned by half a circle (r = 0: -192 steps) is cyan.
  EXPECT_EQ(Apply<HSV>(RAS_RGBA(255, 0, 0, 0), 0, 128, 128, 255, 256), RAS_RGBA(0, 255, 255, 255));
  // Value down by 256 is black; saturation down by 256 is the grey of the value.
  EXPECT_EQ(Apply<HSV>(RAS_RGBA(30, 200, 90, 0), 128, 128, 0, 255, 256), RAS_RGBA(0, 0, 0, 255));
  EXPECT_EQ(Apply<HSV>(RAS_RGBA(30, 200, 90, 0), 128, 0, 128, 255, 256),
            RAS_RGBA(200, 200, 200, 255));
  // Weights far beyond 256 still land on the hue circle.
  for (int w : {4096, 65536, -65536})
  {
    const uint32_t out = Apply<HSV>(RAS_RGBA(255, 0, 0, 0), 255, 128, 128, 255, w);
    EXPECT_EQ(RAS_GetA(out), 255);
  }
}

TEST(Combine, WeightAndDispatch)
{
  struct W
  {
    double alpha;
    int w;
  } weights[] = {{1.0, 256},    {0.5, 128},      {0.25, 64},
                 {0.3f, 76},    {0.0039, 0},     {-0.5, -128},
                 {1e30, 65536}, {-1e30, -65536}, {std::numeric_limits<double>::quiet_NaN(), 0}};
  for (const W& c : weights)
    EXPECT_EQ(RAS_Weight(c.alpha), c.w) << c.alpha;

  // Which operator each mode and weight select, seen through its effect on one pixel.
  const uint32_t dst = RAS_RGBA(100, 150, 200, 50);
  auto run = [&](int mode, int w, bool* drew)
  {
    uint32_t p = dst;
    *drew = RAS_DispatchCombine(
        mode, w,
        [&](auto op)
        { decltype(op)::Combine(reinterpret_cast<uint8_t*>(&p), 10, 20, 30, 128, w); });
    return p;
  };
  const int SA = RAS_BLEND_USE_SOURCE_ALPHA;
  struct Case
  {
    int mode, w;
    bool drew;
    uint32_t want;
  } cases[] = {
      {RAS_BLEND_COPY, 256, true, RAS_RGBA(10, 20, 30, 128)},
      {RAS_BLEND_COPY, 300, true, RAS_RGBA(10, 20, 30, 128)},
      {RAS_BLEND_COPY, 128, true, Apply<RAS_CombinePixelsCopyNoClamp>(dst, 10, 20, 30, 128, 128)},
      {RAS_BLEND_COPY, 0, false, dst},
      {RAS_BLEND_COPY, -5, false, dst},
      {RAS_BLEND_COPY | SA, 256, true,
       Apply<RAS_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>(dst, 10, 20, 30, 128, 256)},
      {RAS_BLEND_COPY | SA, 255, true,
       Apply<RAS_CombinePixelsCopySourceAlphaNoClamp>(dst, 10, 20, 30, 128, 255)},
      {RAS_BLEND_ADD | RAS_BLEND_FILTER_BILINEAR, 64, true,
       Apply<RAS_CombinePixelsAdd>(dst, 10, 20, 30, 128, 64)},
      {RAS_BLEND_ADD, -64, true, Apply<RAS_CombinePixelsAdd>(dst, 10, 20, 30, 128, -64)},
      {RAS_BLEND_ADD, 0, false, dst},
      {RAS_BLEND_MUL | SA, 256, true,
       Apply<RAS_CombinePixelsMulSourceAlpha>(dst, 10, 20, 30, 128, 256)},
      {RAS_BLEND_HSVADJ, 256, true, Apply<RAS_CombinePixelsHSVAdjust>(dst, 10, 20, 30, 128, 256)},
      {6, 256, false, dst},
      {0xF5, 256, false, dst},
  };
  for (const Case& c : cases)
  {
    bool drew = false;
    EXPECT_EQ(run(c.mode, c.w, &drew), c.want) << std::hex << c.mode << std::dec << " w " << c.w;
    EXPECT_EQ(drew, c.drew) << std::hex << c.mode << std::dec << " w " << c.w;
  }
}
