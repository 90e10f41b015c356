// The artwork tool's building blocks: mask geometry and lossless PNG output.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "raster/RAS_Raster.h"
#include "tools/artwork/ArtMask.h"
#include "tools/artwork/ArtPng.h"

namespace
{
double Sum(const ArtMask& m)
{
  double s = 0;
  for (int y = 0; y < m.Height(); ++y)
    for (int x = 0; x < m.Width(); ++x)
      s += m.At(x, y);
  return s;
}

// The PNG colour type byte of the file's header (2 RGB, 6 RGBA), or -1.
int ColourType(const std::string& path)
{
  unsigned char head[26] = {};
  FILE* fp = std::fopen(path.c_str(), "rb");
  if (!fp) return -1;
  const size_t n = std::fread(head, 1, sizeof head, fp);
  std::fclose(fp);
  return n == sizeof head ? head[25] : -1;
}
} // namespace

TEST(ArtMask, CoverageMatchesTheShapesAreas)
{
  const double pi = 3.14159265358979;
  // Anti-aliased edges: coverage sums to the ideal area within a fraction of a pixel per
  // pixel of edge.
  EXPECT_NEAR(Sum(MaskFromDistance(64, 64, Circle(31.3, 30.8, 20.0))), pi * 400.0, 2.0);
  EXPECT_NEAR(Sum(MaskFromDistance(64, 64, Ring(32, 32, 20.0, 2.0))), 2 * pi * 20.0 * 2.0, 2.0);
  EXPECT_NEAR(Sum(MaskFromDistance(64, 64, RoundRect(4, 6, 54, 40, 8.0))),
              50.0 * 34.0 - (4.0 - pi) * 64.0, 2.0);
  EXPECT_NEAR(Sum(MaskFromDistance(64, 64, Capsule(10, 10, 50, 10, 3.0))), 40.0 * 6.0 + pi * 9.0,
              2.0);
  // Blurring away from the edges keeps the ink; combining follows the set rules.
  const ArtMask disc = MaskFromDistance(64, 64, Circle(32, 32, 10.0));
  EXPECT_NEAR(Sum(Blurred(disc, 4)), Sum(disc), 0.5);
  const ArtMask right = MaskFromDistance(64, 64, [](double x, double) { return 32.0 - x; });
  EXPECT_NEAR(Sum(Intersected(disc, right)) + Sum(Subtracted(disc, right)), Sum(disc), 1e-3);
  EXPECT_NEAR(Sum(United(disc, right)), Sum(right) + Sum(Subtracted(disc, right)), 1e-3);
  EXPECT_EQ(disc.At(-1, 5), 0.0f);
  EXPECT_EQ(disc.At(64, 5), 0.0f);
}

TEST(ArtPng, WritesLosslesslyAndDropsAlphaOnlyWhenEveryPixelIsOpaque)
{
  const std::string path = ::testing::TempDir() + "artwork_test.png";
  for (bool translucent : {false, true})
  {
    RAS_MemBitmap bmp(7, 5);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 7; ++x)
        RAS_PutPixel(&bmp, x, y, RAS_RGBA(x * 30, y * 50, 200 - x * y, 255), 1.0f, RAS_BLEND_COPY);
    // The alpha byte set through the mask, colours untouched.
    ArtMask alpha(7, 5);
    for (int x = 0; x < 7; ++x)
      alpha.Set(x, 2, translucent ? x / 6.0f : 1.0f);
    for (int y : {0, 1, 3, 4})
      for (int x = 0; x < 7; ++x)
        alpha.Set(x, y, 1.0f);
    SetAlphaFromMask(&bmp, alpha, 0, 0);
    EXPECT_EQ(RAS_GetA(RAS_GetPixel(&bmp, 3, 2)), translucent ? 128 : 255);
    EXPECT_EQ(RAS_GetR(RAS_GetPixel(&bmp, 3, 2)), 90);

    ASSERT_TRUE(ArtWritePNG(&bmp, path.c_str()));
    EXPECT_EQ(ColourType(path), translucent ? 6 : 2);
    std::unique_ptr<RAS_IBitmap> back(RAS_LoadPNG(path.c_str()));
    ASSERT_NE(back, nullptr);
    ASSERT_EQ(back->getWidth(), 7);
    ASSERT_EQ(back->getHeight(), 5);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 7; ++x)
        ASSERT_EQ(RAS_GetPixel(back.get(), x, y), RAS_GetPixel(&bmp, x, y)) << x << ", " << y;
  }
  std::remove(path.c_str());

  RAS_MemBitmap empty;
  EXPECT_FALSE(ArtWritePNG(&empty, path.c_str()));
  RAS_MemBitmap one(1, 1);
  EXPECT_FALSE(ArtWritePNG(&one, "/nonexistent-dir/x.png"));
  EXPECT_FALSE(ArtWritePNG(nullptr, path.c_str()));
}
