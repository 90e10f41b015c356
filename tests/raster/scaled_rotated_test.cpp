#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "RasterTestUtil.h"
#include "raster/RAS_Raster.h"

namespace
{
const double kPi = 3.14159265358979323846;

void SetPixel(RAS_IBitmap& b, int x, int y, RAS_Pixel p)
{
  RAS_RowAccess a;
  a.Attach(&b);
  a.Row(y)[x] = p;
}

// Red = 8 x, green = 8 y, opaque: linear ramps to read sampling positions back from.
void FillRamps(RAS_IBitmap& b)
{
  for (int y = 0; y < b.getHeight(); ++y)
    for (int x = 0; x < b.getWidth(); ++x)
      SetPixel(b, x, y, RAS_RGBA(8 * x, 8 * y, 0, 255));
}

const RAS_Pixel kCanvas = RAS_RGBA(1, 2, 3, 4);

// Draws with draw(canvas, offset) into a small canvas and into a large one offset by 20,
// and checks the small one is exactly the matching window of the large one.
template <class Draw>
void ExpectClippingIsExact(Draw draw, int w, int h, bool expectDrawn, const std::string& what)
{
  RAS_MemBitmap small(w, h, 4), big(w + 40, h + 40, 4);
  FillSolid(small, kCanvas);
  FillSolid(big, kCanvas);
  draw(small, 0);
  draw(big, 20);
  int bad = 0, drawn = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
    {
      const RAS_Pixel s = RAS_GetPixel(&small, x, y);
      drawn += s != kCanvas;
      if (s != RAS_GetPixel(&big, x + 20, y + 20) && ++bad < 4)
        ADD_FAILURE() << what << " differs at " << x << "," << y;
    }
  EXPECT_EQ(drawn > 0, expectDrawn) << what;
}
} // namespace

TEST(ScaledBlit, UnscaledPositionsRoundOrInterpolate)
{
  RAS_MemBitmap src(24, 4, 4);
  FillRamps(src);
  struct Case
  {
    double srcx;
    int mode;
    int wantRed; // at destination column 0
  } cases[] = {
      {10.4, RAS_BLEND_COPY, 80},                              // nearest: column 10
      {10.6, RAS_BLEND_COPY, 88},                              // nearest: column 11
      {10.02, RAS_BLEND_COPY | RAS_BLEND_FILTER_BILINEAR, 80}, // close enough to whole
      {10.4, RAS_BLEND_COPY | RAS_BLEND_FILTER_BILINEAR, 83},  // 80 + 8 * 0.4, truncated
      {10.5, RAS_BLEND_COPY | RAS_BLEND_FILTER_BILINEAR, 84},
  };
  for (const Case& c : cases)
  {
    RAS_MemBitmap dst(6, 4, 4);
    FillSolid(dst, 0);
    RAS_ScaledBlit(&dst, &src, 0, 0, 6, 4, c.srcx, 0.0, 6.0, 4.0, 1.0f, c.mode);
    EXPECT_EQ(RAS_GetR(RAS_GetPixel(&dst, 0, 0)), c.wantRed) << c.srcx << " mode " << c.mode;
    EXPECT_EQ(RAS_GetR(RAS_GetPixel(&dst, 3, 2)), c.wantRed + 24) << c.srcx;
    EXPECT_EQ(RAS_GetG(RAS_GetPixel(&dst, 3, 2)), 16) << c.srcx;
  }
}

TEST(ScaledBlit, NearestAndBilinearSamplePositions)
{
  RAS_MemBitmap src(8, 6, 4);
  FillRamps(src);

  // Doubling, nearest: destination (i, j) takes source (i / 2, j / 2).
  RAS_MemBitmap twice(16, 12, 4);
  RAS_ScaledBlit(&twice, &src, 0, 0, 16, 12, 0, 0, 8, 6, 1.0f, RAS_BLEND_COPY);
  for (int j = 0; j < 12; ++j)
    for (int i = 0; i < 16; ++i)
      ASSERT_EQ(RAS_GetPixel(&twice, i, j), RAS_GetPixel(&src, i / 2, j / 2)) << i << "," << j;

  // Bilinear by 8 / 20 per pixel: the ramp is linear, so red = 8 x position (truncated)
  // wherever a right neighbour exists; the last column is the pixel itself.
  RAS_MemBitmap wide(20, 6, 4);
  FillSolid(wide, 0);
  RAS_ScaledBlit(&wide, &src, 0, 0, 20, 6, 0, 0, 8, 6, 1.0f,
                 RAS_BLEND_COPY | RAS_BLEND_FILTER_BILINEAR);
  for (int i = 0; i < 20; ++i)
  {
    const double pos = i * 8.0 / 20.0;
    const int want = pos < 7.0 ? int(8.0 * pos + 1e-9) : 56;
    EXPECT_NEAR(RAS_GetR(RAS_GetPixel(&wide, i, 2)), want, 1) << i;
    EXPECT_EQ(RAS_GetG(RAS_GetPixel(&wide, i, 2)), 16) << i;
  }

  // A constant source stays constant under interpolation, edges included.
  RAS_MemBitmap flat(5, 5, 4), out(13, 11, 4);
  FillSolid(flat, RAS_RGBA(200, 100, 50, 255));
  FillSolid(out, 0);
  RAS_ScaledBlit(&out, &flat, 0, 0, 13, 11, 0, 0, 5, 5, 1.0f,
                 RAS_BLEND_COPY | RAS_BLEND_FILTER_BILINEAR);
  for (int j = 0; j < 11; ++j)
    for (int i = 0; i < 13; ++i)
      ASSERT_EQ(RAS_GetPixel(&out, i, j), RAS_RGBA(200, 100, 50, 255));
}

TEST(ScaledBlit, NegativeSizesMirrorExactly)
{
  RAS_MemBitmap src(6, 4, 4);
  FillPattern(src, 3);
  // Steps that 16.16 fixed point holds exactly; others drift by truncation in opposite
  // directions for the two walks.
  const int widths[] = {6, 12, 24, 4, 3};
  for (int w : widths)
  {
    RAS_MemBitmap plain(w, 4, 4), mirrored(w, 4, 4), flipped(w, 4, 4);
    RAS_ScaledBlit(&plain, &src, 0, 0, w, 4, 0.0, 0.0, 6.0, 4.0, 1.0f, RAS_BLEND_COPY);
    RAS_ScaledBlit(&mirrored, &src, w, 0, -w, 4, 0.0, 0.0, 6.0, 4.0, 1.0f, RAS_BLEND_COPY);
    RAS_ScaledBlit(&flipped, &src, 0, 4, w, -4, 0.0, 0.0, 6.0, 4.0, 1.0f, RAS_BLEND_COPY);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < w; ++x)
      {
        ASSERT_EQ(RAS_GetPixel(&mirrored, x, y), RAS_GetPixel(&plain, w - 1 - x, y))
            << w << ": " << x;
        ASSERT_EQ(RAS_GetPixel(&flipped, x, y), RAS_GetPixel(&plain, x, 3 - y)) << w << ": " << y;
      }
  }
}

TEST(ScaledBlit, StrongReductionsAreBoxMeans)
{
  RAS_MemBitmap src(40, 40, 4);
  FillPattern(src, 5);
  struct Case
  {
    int factor, radius; // 3 x 3 up to a step of 3, 5 x 5 beyond
  } cases[] = {{2, 1}, {3, 1}, {4, 2}, {8, 2}};
  for (const Case& c : cases)
  {
    const int n = 40 / c.factor, used = n * c.factor;
    RAS_MemBitmap dst(n, n, 4);
    RAS_ScaledBlit(&dst, &src, 0, 0, n, n, 0, 0, used, used, 1.0f,
                   RAS_BLEND_COPY | RAS_BLEND_FILTER_BILINEAR);
    for (int j = 0; j < n; ++j)
      for (int i = 0; i < n; ++i)
      {
        int sum[4] = {}, count = 0;
        for (int y = c.factor * j - c.radius; y <= c.factor * j + c.radius; ++y)
          for (int x = c.factor * i - c.radius; x <= c.factor * i + c.radius; ++x)
          {
            if (x < 0 || y < 0 || x >= used || y >= used) continue;
            for (int b = 0; b < 4; ++b)
              sum[b] += ByteOf(PatternPixel(x, y, 5), b);
            ++count;
          }
        const RAS_Pixel got = RAS_GetPixel(&dst, i, j);
        for (int b = 0; b < 4; ++b)
          ASSERT_EQ(ByteOf(got, b), sum[b] / count)
              << "factor " << c.factor << " at " << i << "," << j;
      }
  }
}

TEST(ScaledBlit, ClippingSamplesWhatTheUnclippedBlitWould)
{
  RAS_MemBitmap src(13, 9, 4);
  FillPattern(src, 8);
  const int modes[] = {RAS_BLEND_COPY, RAS_BLEND_COPY | RAS_BLEND_FILTER_BILINEAR,
                       RAS_BLEND_ADD | RAS_BLEND_USE_SOURCE_ALPHA | RAS_BLEND_FILTER_BILINEAR};
  const int origins[][2] = {{-7, -5}, {10, 8}, {-3, 12}, {0, 0}};
  for (int mode : modes)
    for (const auto& o : origins)
      for (double scale : {0.37, 1.7, 3.0})
      {
        const int dw = int(13 * scale), dh = int(9 * scale);
        ExpectClippingIsExact(
            [&](RAS_MemBitmap& canvas, int off) {
              RAS_ScaledBlit(&canvas, &src, o[0] + off, o[1] + off, dw, dh, 0.3, 0.6, 12.4, 8.1,
                             0.9f, mode);
            },
            16, 14, o[0] < 16 && o[1] < 14 && o[0] + dw > 0 && o[1] + dh > 0,
            "scaled " + std::to_string(mode) + " " + std::to_string(scale));
      }
}

TEST(ScaledBlit, DegenerateAndExtremeArgumentsDrawNothingOrStayInside)
{
  RAS_MemBitmap src(4, 4, 4), dst(8, 8, 4);
  FillPattern(src, 1);
  FillSolid(dst, kCanvas);
  const double nan = std::nan("");
  RAS_ScaledBlit(&dst, &src, 0, 0, 0, 8, 0, 0, 4, 4, 1.0f, 0);
  RAS_ScaledBlit(&dst, &src, 0, 0, 8, 8, nan, 0, 4, 4, 1.0f, 0);
  RAS_ScaledBlit(&dst, &src, 0, 0, 8, 8, 0, 0, INFINITY, 4, 1.0f, 0);
  RAS_ScaledBlit(&dst, &src, 0, 0, 8, 8, 1e30, 0, 4, 4, 1.0f, 0);
  RAS_ScaledBlit(&dst, &src, 0, 0, 8, 8, 0, 0, 4, 4, 0.0f, 0);
  RAS_ScaledBlit(&dst, nullptr, 0, 0, 8, 8, 0, 0, 4, 4, 1.0f, 0);
  RAS_ScaledBlit(&dst, &src, 0, 0, 8, 8, 100, 100, 4, 4, 1.0f, 0); // outside the source
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      ASSERT_EQ(RAS_GetPixel(&dst, x, y), kCanvas);

  // Huge steps and huge destinations: whatever lands, lands inside the bitmap.
  RAS_ScaledBlit(&dst, &src, -(1 << 30), -(1 << 30), (1 << 30) + 8, (1 << 30) + 8, 0, 0, 4, 4, 1.0f,
                 0);
  RAS_ScaledBlit(&dst, &src, 0, 0, 3, 3, 0, 0, 1e7, 1e7, 1.0f, RAS_BLEND_FILTER_BILINEAR);
  RAS_ScaledBlit(&dst, &src, INT32_MIN, 0, INT32_MAX, 8, 0, 0, 16000000, 4, 1.0f,
                 RAS_BLEND_FILTER_BILINEAR);
  RAS_ScaledBlit(&dst, &src, 7, 7, -INT32_MAX, -INT32_MAX, 0, 0, 4, 4, 1.0f, 0);
}

TEST(RotatedBlit, ZeroAngleIsAPlainCopy)
{
  RAS_MemBitmap src(11, 7, 4);
  FillPattern(src, 4);
  for (int mode : {int(RAS_BLEND_COPY), RAS_BLEND_COPY | RAS_BLEND_FILTER_BILINEAR})
  {
    RAS_MemBitmap dst(11, 7, 4);
    FillSolid(dst, kCanvas);
    RAS_RotatedBlit(&dst, &src, 0, 0, 11, 7, 0, 0, 11, 7, 0.0, false, 1.0f, mode, 0, 0);
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 11; ++x)
        ASSERT_EQ(RAS_GetPixel(&dst, x, y), PatternPixel(x, y, 4)) << mode;
  }
}

TEST(RotatedBlit, NegativeSizesMirrorExactlyAtZeroAngle)
{
  RAS_MemBitmap src(7, 5, 4);
  FillPattern(src, 6);
  for (int mode : {int(RAS_BLEND_COPY), RAS_BLEND_COPY | RAS_BLEND_FILTER_BILINEAR})
  {
    RAS_MemBitmap mirrored(7, 5, 4), flipped(7, 5, 4);
    RAS_RotatedBlit(&mirrored, &src, 7, 0, -7, 5, 0, 0, 7, 5, 0.0, true, 1.0f, mode, 0, 0);
    RAS_RotatedBlit(&flipped, &src, 0, 5, 7, -5, 0, 0, 7, 5, 0.0, true, 1.0f, mode, 0, 0);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 7; ++x)
      {
        ASSERT_EQ(RAS_GetPixel(&mirrored, x, y), PatternPixel(6 - x, y, 6)) << x << "," << y;
        ASSERT_EQ(RAS_GetPixel(&flipped, x, y), PatternPixel(x, 4 - y, 6)) << x << "," << y;
      }
  }
}

TEST(RotatedBlit, AMarkerTurnsClockwiseAboutTheCentre)
{
  // A 3 x 3 marker 12 pixels right of the centre; after turning by a it must sit at
  // centre + 12 (cos a, sin a) in screen coordinates (y down, so positive is clockwise).
  RAS_MemBitmap src(41, 41, 4);
  FillSolid(src, 0);
  for (int y = 19; y <= 21; ++y)
    for (int x = 31; x <= 33; ++x)
      SetPixel(src, x, y, 0xFFFFFFFFu);
  for (double a : {0.0, kPi / 6, kPi / 2, 2 * kPi / 3, kPi, -kPi / 4, 5.0})
    for (int mode : {int(RAS_BLEND_COPY), RAS_BLEND_COPY | RAS_BLEND_FILTER_BILINEAR})
    {
      RAS_MemBitmap dst(41, 41, 4);
      FillSolid(dst, 0);
      RAS_RotatedBlit(&dst, &src, 0, 0, 41, 41, 0, 0, 41, 41, a, false, 1.0f, mode, 0, 0);
      double sx = 0, sy = 0, total = 0;
      for (int y = 0; y < 41; ++y)
        for (int x = 0; x < 41; ++x)
        {
          const double v = RAS_GetR(RAS_GetPixel(&dst, x, y));
          sx += v * x;
          sy += v * y;
          total += v;
        }
      ASSERT_GT(total, 0.0) << a;
      // Pixel indices stand for their top-left corners, so the centroid of the indices lies
      // within half a pixel (plus sampling) of the marker's turned centre, on either side
      // depending on whether the turn reverses an axis.
      EXPECT_NEAR(sx / total, 20.5 + 12 * std::cos(a), 1.0) << "angle " << a << " mode " << mode;
      EXPECT_NEAR(sy / total, 20.5 + 12 * std::sin(a), 1.0) << "angle " << a << " mode " << mode;
    }
}

TEST(RotatedBlit, BoundsClippingAndDegenerateInput)
{
  RAS_MemBitmap src(41, 41, 4);
  FillSolid(src, RAS_RGBA(200, 100, 50, 255));
  // With the clip, only the 20 x 20 source rectangle is sampled: the turned square leaves
  // the destination's corners alone; without it the rest of the source shows there.
  for (bool clip : {true, false})
  {
    RAS_MemBitmap dst(20, 20, 4);
    FillSolid(dst, kCanvas);
    RAS_RotatedBlit(&dst, &src, 0, 0, 20, 20, 10, 10, 20, 20, kPi / 4, clip, 1.0f,
                    RAS_BLEND_COPY | RAS_BLEND_FILTER_BILINEAR, 0, 0);
    EXPECT_EQ(RAS_GetPixel(&dst, 0, 0) == kCanvas, clip);
    EXPECT_EQ(RAS_GetPixel(&dst, 19, 19) == kCanvas, clip);
    // Interpolating a constant gives the constant exactly.
    EXPECT_EQ(RAS_GetPixel(&dst, 10, 10), RAS_RGBA(200, 100, 50, 255));
  }

  RAS_MemBitmap pattern(13, 9, 4);
  FillPattern(pattern, 2);
  for (int mode : {int(RAS_BLEND_COPY),
                   RAS_BLEND_COPY | RAS_BLEND_FILTER_BILINEAR | RAS_BLEND_USE_SOURCE_ALPHA})
    for (double a : {0.3, 2.0, -1.2})
      ExpectClippingIsExact(
          [&](RAS_MemBitmap& canvas, int off)
          {
            RAS_RotatedBlit(&canvas, &pattern, -6 + off, 7 + off, 17, 12, 0, 0, 13, 9, a, true,
                            0.8f, mode, 1.5, -0.5);
          },
          14, 14, true, "rotated " + std::to_string(a));

  RAS_MemBitmap dst(8, 8, 4);
  FillSolid(dst, kCanvas);
  RAS_RotatedBlit(&dst, &pattern, 0, 0, 0, 8, 0, 0, 13, 9, 1.0, false, 1.0f, 0, 0, 0);
  RAS_RotatedBlit(&dst, &pattern, 0, 0, 8, 8, 0, 0, 13, 9, std::nan(""), false, 1.0f, 0, 0, 0);
  RAS_RotatedBlit(&dst, &pattern, 0, 0, 8, 8, 0, 0, 13, 9, 1.0, false, 0.0f, 0, 0, 0);
  RAS_RotatedBlit(&dst, &pattern, 0, 0, 8, 8, 0, 0, 13, 9, 1.0, false, 1.0f, 7, 0, 0);
  RAS_RotatedBlit(&dst, &pattern, 0, 0, 8, 8, 50, 50, 13, 9, 1.0, true, 1.0f, 0, 0, 0);
  RAS_RotatedBlit(&dst, nullptr, 0, 0, 8, 8, 0, 0, 13, 9, 1.0, false, 1.0f, 0, 0, 0);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      ASSERT_EQ(RAS_GetPixel(&dst, x, y), kCanvas);
  RAS_RotatedBlit(&dst, &pattern, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 0, 0, 1e7, 1e7, 1.0,
                  false, 1.0f, RAS_BLEND_FILTER_BILINEAR, 0, 0);
  RAS_RotatedBlit(&dst, &pattern, 0, 0, 1, 1, 0, 0, 16000000, 16000000, 0.5, false, 1.0f, 0, 0, 0);
}
