// Lines, circles, arcs, rectangles, polygons and glyphs.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <random>

#include "raster/RAS_Shapes.h"
#include "rastershapes/shapes_test.h"

using namespace shapes_test;

namespace
{
const float kPi = 3.14159265f;
// Adding colour 1 at full weight counts how often each pixel is combined.
const RAS_Pixel kOne = RAS_RGBA(1, 1, 1, 0);

int MaxRed(RAS_IBitmap* b)
{
  int m = 0;
  for (int y = 0; y < b->getHeight(); ++y)
    for (int x = 0; x < b->getWidth(); ++x)
      m = std::max(m, Red(b, x, y));
  return m;
}
} // namespace

TEST(RasLine, PlainSegmentsClipAndCoverTheirPixels)
{
  struct Case
  {
    int x1, y1, x2, y2;
    std::vector<std::string> lit;
  };
  const Case cases[] = {
      {5, 5, 1, 5, {"1,5", "2,5", "3,5", "4,5", "5,5"}},
      {-5, 3, -1, 8, {}},                         // both ends left of the bitmap
      {-4, 2, 2, 2, {"0,2", "1,2", "2,2"}},       // crosses the left edge
      {6, -3, 6, 1, {"6,0", "6,1"}},              // crosses the top edge
      {3, 3, 3, 3, {"3,3"}},                      // zero length
      {0, 0, 3, 3, {"0,0", "1,1", "2,2", "3,3"}}, // exact diagonal
      {INT_MIN, 7, INT_MAX, 7, {"0,7", "1,7", "2,7", "3,7", "4,7", "5,7", "6,7", "7,7"}},
      {INT_MIN, INT_MIN, INT_MIN + 1, INT_MAX, {}}, // far outside, near-vertical
  };
  RAS_MemBitmap bmp(8, 8, 4);
  for (const Case& c : cases)
  {
    Clear(&bmp);
    RAS_Line(&bmp, c.x1, c.y1, c.x2, c.y2, kWhite, 1.0f, RAS_BLEND_COPY, false);
    EXPECT_EQ(Lit(&bmp), c.lit) << c.x1 << "," << c.y1 << " - " << c.x2 << "," << c.y2;
  }
}

TEST(RasLine, PlainLinesAreSymmetricAndStayWithinHalfAPixel)
{
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> d(0, 39);
  RAS_MemBitmap a(40, 40, 4), b(40, 40, 4);
  for (int iter = 0; iter < 200; ++iter)
  {
    const int x1 = d(rng), y1 = d(rng), x2 = d(rng), y2 = d(rng);
    Clear(&a);
    Clear(&b);
    RAS_Line(&a, x1, y1, x2, y2, kOne, 1.0f, RAS_BLEND_ADD, false);
    RAS_Line(&b, x2, y2, x1, y1, kOne, 1.0f, RAS_BLEND_ADD, false);
    ASSERT_EQ(Lit(&a), Lit(&b)) << x1 << "," << y1 << " " << x2 << "," << y2;
    ASSERT_LE(MaxRed(&a), 1); // every pixel once
    // One pixel per step of the major axis, each near the ideal line.
    const bool xMajor = std::abs(x2 - x1) >= std::abs(y2 - y1);
    const int n = std::max(std::abs(x2 - x1), std::abs(y2 - y1));
    ASSERT_EQ(Sum(&a), n + 1);
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 40; ++x)
      {
        if (!Red(&a, x, y) || n == 0) continue;
        const double t = xMajor ? double(x - x1) / (x2 - x1) : double(y - y1) / (y2 - y1);
        const double ideal = xMajor ? y1 + t * (y2 - y1) : x1 + t * (x2 - x1);
        ASSERT_LE(std::fabs((xMajor ? y : x) - ideal), 0.51); // 16.16 steps
      }
  }
}

TEST(RasLine, AntiAliasedWeights)
{
  RAS_MemBitmap bmp(32, 16, 4);
  // Exact diagonal: copy at 3/4 on the diagonal, 1/4 on the staircase pixels. White over
  // black: 255 - 255 * 64 / 256 = 192 and 255 - 255 * 192 / 256 = 64 (truncated).
  Clear(&bmp);
  RAS_Line(&bmp, 2, 2, 5, 5, kWhite, 1.0f, RAS_BLEND_COPY, true);
  EXPECT_EQ(Red(&bmp, 3, 3), 192);
  EXPECT_EQ(Red(&bmp, 5, 5), 192);
  EXPECT_EQ(Red(&bmp, 3, 2), 64);
  EXPECT_EQ(Red(&bmp, 2, 3), 64);
  EXPECT_EQ(Red(&bmp, 6, 5), 0); // the last pixel has no side neighbours
  EXPECT_EQ(Red(&bmp, 5, 6), 0);

  // Shallow line: ends at full weight; each column between carries one pixel's worth,
  // split between two rows (255 - f and f, each scaled by 256 / 256 and added).
  Clear(&bmp);
  RAS_Line(&bmp, 1, 3, 29, 11, RAS_RGBA(255, 255, 255, 255), 1.0f, RAS_BLEND_ADD, true);
  EXPECT_EQ(Red(&bmp, 1, 3), 255);
  EXPECT_EQ(Red(&bmp, 29, 11), 255);
  bool sawSplit = false;
  for (int x = 2; x < 29; ++x)
  {
    int col = 0, lit = 0;
    for (int y = 0; y < 16; ++y)
    {
      col += Red(&bmp, x, y);
      lit += Red(&bmp, x, y) > 0;
    }
    EXPECT_GE(col, 252) << x;
    EXPECT_LE(col, 255) << x;
    EXPECT_LE(lit, 2) << x;
    sawSplit |= lit == 2;
  }
  EXPECT_TRUE(sawSplit);
}

TEST(RasCircle, SmallRadiusMasks)
{
  RAS_MemBitmap bmp(12, 12, 4);
  // Copy of white at weight c: 255 + (0 - 255) * (256 - c) / 256 gives back c exactly.
  const int aa[16] = {0x4F, 0xFF, 0xFF, 0x4F, 0xFF, 0x0F, 0x0F, 0xFF,
                      0xFF, 0x0F, 0x0F, 0xFF, 0x4F, 0xFF, 0xFF, 0x4F};
  Clear(&bmp);
  RAS_Circle(&bmp, 5.4f, 5.9f, 1.5f, kWhite, 1.0f, RAS_BLEND_COPY, true);
  for (int i = 0; i < 16; ++i)
    EXPECT_EQ(Red(&bmp, 3 + i % 4, 4 + i / 4), aa[i]) << i;
  EXPECT_EQ(Sum(&bmp), 8 * 255 + 4 * 0x4F + 4 * 0x0F);

  Clear(&bmp);
  RAS_Circle(&bmp, 5.4f, 5.9f, 1.5f, kWhite, 1.0f, RAS_BLEND_COPY, false);
  EXPECT_EQ(Red(&bmp, 3, 4), 0);
  EXPECT_EQ(Red(&bmp, 4, 4), 255);
  EXPECT_EQ(Red(&bmp, 4, 5), 0);
  EXPECT_EQ(Sum(&bmp), 8 * 255);

  // Every mask radius is a ring of that radius: its extreme points lit, all its pixels near
  // the radius. 2.25 is not a mask radius and takes the traced path.
  for (float r : {2.0f, 2.5f, 3.0f, 3.5f, 4.0f})
  {
    Clear(&bmp);
    RAS_Circle(&bmp, 6, 6, r, kWhite, 1.0f, RAS_BLEND_COPY, false);
    const int x0 = int(6 - r), size = int(2 * r + 1);
    const double c = x0 + size / 2.0; // the mask's centre in pixel-edge coordinates
    const int mid = x0 + size / 2;
    EXPECT_EQ(Red(&bmp, mid, x0), 255) << r;
    EXPECT_EQ(Red(&bmp, x0, mid), 255) << r;
    EXPECT_EQ(Red(&bmp, x0 + size - 1, mid), 255) << r;
    EXPECT_EQ(Red(&bmp, mid, x0 + size - 1), 255) << r;
    for (int y = 0; y < 12; ++y)
      for (int x = 0; x < 12; ++x)
        if (Red(&bmp, x, y))
        {
          EXPECT_LT(std::fabs(std::hypot(x + 0.5 - c, y + 0.5 - c) - r), 0.75) << r;
        }
  }
}

TEST(RasCircle, EveryPixelOnceAndTheRightShape)
{
  RAS_MemBitmap bmp(64, 64, 4);
  for (float r : {0.0f, 0.4f, 1.0f, 5.0f, 7.3f, 20.0f, 25.5f})
  {
    for (bool aa : {false, true})
    {
      // Filled, counted: plain adds 1 per combine; anti-aliased adds at most 63 (white at
      // weight 64 or less), so a pixel combined twice would exceed it.
      const RAS_Pixel ink = aa ? kWhite : kOne;
      const float alpha = aa ? 0.25f : 1.0f;
      const int once = aa ? 63 : 1;
      Clear(&bmp);
      RAS_FillCircle(&bmp, 31.0f, 32.0f, r, ink, alpha, RAS_BLEND_ADD, aa);
      EXPECT_LE(MaxRed(&bmp), once) << r << " aa " << aa;
      if (!aa)
      {
        // Pixels on the outline count as inside: the area of radius r + 1/2.
        const double ri = std::floor(r + 0.5) + 0.5;
        const double area = double(Sum(&bmp)), ideal = kPi * ri * ri;
        if (r >= 5)
        {
          EXPECT_NEAR(area / ideal, 1.0, 0.12) << r;
        }
        // Mirror symmetry about the centre's row and column.
        for (int y = 0; y < 64; ++y)
          for (int x = 0; x < 63; ++x)
          {
            ASSERT_EQ(Red(&bmp, x, y), Red(&bmp, 62 - x, y)) << r;
            if (y >= 1)
            {
              ASSERT_EQ(Red(&bmp, x, y), Red(&bmp, x, 64 - y)) << r;
            }
          }
      }
      // Anti-aliased fill at full weight: coverage sums to the disc's area.
      if (aa && r >= 5)
      {
        Clear(&bmp);
        RAS_FillCircle(&bmp, 31.0f, 32.0f, r, kWhite, 1.0f, RAS_BLEND_ADD, true);
        EXPECT_NEAR(Sum(&bmp) / 255.0 / (kPi * (r + 0.5) * (r + 0.5)), 1.0, 0.05) << r;
        EXPECT_EQ(Red(&bmp, 31, 32), 255);
      }
      // Outlines: each pixel once, every pixel near the radius.
      if (r == 1.5f) continue;
      Clear(&bmp);
      RAS_Circle(&bmp, 31.0f, 32.0f, r, ink, alpha, RAS_BLEND_ADD, aa);
      EXPECT_LE(MaxRed(&bmp), once) << r << " aa " << aa;
      for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
          if (Red(&bmp, x, y))
          {
            ASSERT_LT(std::fabs(std::hypot(x - 31.0, y - 32.0) - r), 1.5) << r;
          }
    }
  }
  // Anti-aliased outline of radius 20: one pixel's worth of ink per pixel of circumference.
  Clear(&bmp);
  RAS_Circle(&bmp, 31.0f, 32.0f, 20.0f, kWhite, 1.0f, RAS_BLEND_ADD, true);
  EXPECT_NEAR(Sum(&bmp) / 255.0 / (2 * kPi * 20), 1.0, 0.12);
}

TEST(RasCircle, AntiAliasedCirclesAreEightWaySymmetricAndCombineEachPixelOnce)
{
  // Quarter-pixel radius steps cross every way the octant walk can end at the diagonal.
  RAS_MemBitmap bmp(80, 80, 4);
  const int c = 40;
  for (int q = 2; q <= 140; ++q)
  {
    const float r = q * 0.25f;
    for (bool fill : {false, true})
    {
      if (!fill && (r == 1.5f || r == 2.0f || r == 2.5f || r == 3.0f || r == 3.5f || r == 4.0f))
        continue; // small outlines come from fixed masks
      // White added at weight 64 leaves at most 63 per combine; twice would exceed it.
      Clear(&bmp);
      if (fill)
        RAS_FillCircle(&bmp, float(c), float(c), r, kWhite, 0.25f, RAS_BLEND_ADD, true);
      else
        RAS_Circle(&bmp, float(c), float(c), r, kWhite, 0.25f, RAS_BLEND_ADD, true);
      ASSERT_LE(MaxRed(&bmp), 63) << "r " << r << " fill " << fill;
      for (int v = 0; v <= 37; ++v)
        for (int u = 0; u <= 37; ++u)
        {
          const int ink = Red(&bmp, c + u, c + v);
          // Mirrors across both axes and the diagonal.
          ASSERT_EQ(Red(&bmp, c + v, c + u), ink)
              << "r " << r << " fill " << fill << " at " << u << ", " << v;
          ASSERT_EQ(Red(&bmp, c - u, c + v), ink) << "r " << r << " at " << u << ", " << v;
          ASSERT_EQ(Red(&bmp, c + u, c - v), ink) << "r " << r << " at " << u << ", " << v;
          ASSERT_EQ(Red(&bmp, c - v, c - u), ink) << "r " << r << " at " << u << ", " << v;
        }
    }
  }
}

TEST(RasCircle, DegenerateAndHugeInputs)
{
  RAS_MemBitmap bmp(16, 16, 4);
  struct Case
  {
    float cx, cy, r;
    long lit; // pixels of a filled circle (-1: whole bitmap)
  };
  const Case cases[] = {
      {8, 8, -1.0f, 0},
      {8, 8, NAN, 0},
      {NAN, 8, 3.0f, 0},
      {8, 8, 0.0f, 1},
      {1e20f, 8, 3.0f, 0},
      {8, 8, 1e20f, 0}, // beyond any sane radius: refused, not traced
                        // for hours
      {8, 8, 1e6f, -1}, // covers the bitmap
      {-1e6f, 8, 1e6f - 3.0f, 0},
  };
  for (const Case& c : cases)
    for (bool aa : {false, true})
    {
      Clear(&bmp);
      RAS_FillCircle(&bmp, c.cx, c.cy, c.r, kOne, 1.0f, RAS_BLEND_ADD, aa);
      EXPECT_EQ(Sum(&bmp), c.lit < 0 ? 256 : c.lit) << c.cx << " " << c.r << " aa " << aa;
      RAS_Circle(&bmp, c.cx, c.cy, c.r, kOne, 1.0f, RAS_BLEND_ADD, aa);
    }
  // Zero weight and unknown operations draw nothing.
  Clear(&bmp);
  RAS_FillCircle(&bmp, 8, 8, 5, kWhite, 0.001f, RAS_BLEND_COPY, false);
  RAS_FillCircle(&bmp, 8, 8, 5, kWhite, 1.0f, 7, false);
  RAS_FillCircle(nullptr, 8, 8, 5, kWhite, 1.0f, RAS_BLEND_COPY, false);
  EXPECT_EQ(Sum(&bmp), 0);
}

TEST(RasArc, QuartersAndFullTurns)
{
  RAS_MemBitmap full(48, 48, 4), arc(48, 48, 4);
  for (bool aa : {false, true})
  {
    Clear(&full);
    RAS_Circle(&full, 24, 24, 15.0f, kWhite, 1.0f, RAS_BLEND_COPY, aa);
    Clear(&arc);
    RAS_Arc(&arc, 24, 24, 15.0f, 0, 2 * kPi + 0.001f, kWhite, 1.0f, RAS_BLEND_COPY, aa);
    EXPECT_EQ(Lit(&arc), Lit(&full));

    // 0 to pi/2 is the upper-right quarter: right of the centre column, above the centre row.
    Clear(&arc);
    RAS_Arc(&arc, 24, 24, 15.0f, 0, kPi / 2, kWhite, 1.0f, RAS_BLEND_COPY, aa);
    EXPECT_GT(Sum(&arc), 15 * 255);
    for (int y = 0; y < 48; ++y)
      for (int x = 0; x < 48; ++x)
        if (Red(&arc, x, y))
        {
          ASSERT_GE(x, 24);
          ASSERT_LE(y, 24);
          ASSERT_EQ(Red(&arc, x, y), Red(&full, x, y)); // the circle's own pixels
        }
    // Angles a whole turn away, or given in reverse, draw the same quarter.
    const auto quarter = Lit(&arc);
    Clear(&arc);
    RAS_Arc(&arc, 24, 24, 15.0f, 4 * kPi, 4 * kPi + kPi / 2, kWhite, 1.0f, RAS_BLEND_COPY, aa);
    EXPECT_EQ(Lit(&arc), quarter);
    Clear(&arc);
    RAS_Arc(&arc, 24, 24, 15.0f, kPi / 2, 0, kWhite, 1.0f, RAS_BLEND_COPY, aa);
    EXPECT_EQ(Lit(&arc), quarter);

    // The four quarters together give back the whole outline.
    Clear(&arc);
    for (int q = 0; q < 4; ++q)
      RAS_Arc(&arc, 24, 24, 15.0f, q * kPi / 2, (q + 1) * kPi / 2, kWhite, 1.0f, RAS_BLEND_COPY,
              aa);
    EXPECT_EQ(Lit(&arc), Lit(&full));
  }
  Clear(&arc);
  RAS_Arc(&arc, 24, 24, 15.0f, 1.0f, 1.0f, kWhite, 1.0f, RAS_BLEND_COPY, true);
  RAS_Arc(&arc, 24, 24, 15.0f, NAN, 1.0f, kWhite, 1.0f, RAS_BLEND_COPY, true);
  RAS_Arc(&arc, 24, 24, 15.0f, 0, INFINITY, kWhite, 1.0f, RAS_BLEND_COPY, true);
  EXPECT_EQ(Sum(&arc), 0);
}

TEST(RasRect, OutlinesAndRoundedCorners)
{
  RAS_MemBitmap a(40, 30, 4), b(40, 30, 4);
  // Corners included, every pixel once, also for flat and single-point rectangles.
  struct Case
  {
    int x, y, w, h;
    long pixels;
  };
  const Case cases[] = {{2, 3, 10, 5, 2 * 11 + 2 * 4},
                        {5, 5, 0, 4, 5},
                        {5, 5, 6, 0, 7},
                        {5, 5, 0, 0, 1},
                        {12, 8, -10, -5, 2 * 11 + 2 * 4}};
  for (const Case& c : cases)
  {
    Clear(&a);
    RAS_DrawRect(&a, c.x, c.y, c.w, c.h, kOne, 1.0f, RAS_BLEND_ADD);
    EXPECT_EQ(Sum(&a), c.pixels) << c.x << " " << c.w << " " << c.h;
    EXPECT_LE(MaxRed(&a), 1);
  }
  Clear(&a);
  RAS_DrawRect(&a, 2, 3, 10, 5, kWhite, 1.0f, RAS_BLEND_COPY);
  for (auto [x, y] : {std::pair{2, 3}, {12, 3}, {2, 8}, {12, 8}})
    EXPECT_EQ(Red(&a, x, y), 255);

  // Radius 1 is a plain rectangle; radius 50 on 20 x 10 is radius 5.
  Clear(&a);
  Clear(&b);
  RAS_RoundRect(&a, 3, 4, 20, 10, 1, kWhite, 1.0f, RAS_BLEND_COPY, true);
  RAS_DrawRect(&b, 3, 4, 20, 10, kWhite, 1.0f, RAS_BLEND_COPY);
  EXPECT_EQ(Lit(&a), Lit(&b));
  Clear(&a);
  Clear(&b);
  RAS_RoundRect(&a, 3, 4, 20, 10, 50, kWhite, 1.0f, RAS_BLEND_COPY, false);
  RAS_RoundRect(&b, 3, 4, 20, 10, 5, kWhite, 1.0f, RAS_BLEND_COPY, false);
  EXPECT_EQ(Lit(&a), Lit(&b));
  EXPECT_EQ(Red(&a, 3, 4), 0);     // the corner is cut
  EXPECT_EQ(Red(&a, 13, 4), 255);  // the straight top edge
  EXPECT_EQ(Red(&a, 3, 9), 255);   // the straight left edge
  EXPECT_EQ(Red(&a, 23, 9), 255);  // the straight right edge
  EXPECT_EQ(Red(&a, 13, 14), 255); // the straight bottom edge
}

TEST(RasPolygon, FillsHullRowsOnce)
{
  RAS_MemBitmap bmp(40, 40, 4);
  auto fill = [&](std::vector<int> xs, std::vector<int> ys)
  {
    Clear(&bmp);
    RAS_FillConvexPolygon(&bmp, xs.data(), ys.data(), int(xs.size()), kOne, 1.0f, RAS_BLEND_ADD);
    EXPECT_LE(MaxRed(&bmp), 1);
    return Sum(&bmp);
  };
  EXPECT_EQ(fill({1, 10}, {1, 10}), 0);                 // two points
  EXPECT_EQ(fill({3, 9, 6}, {5, 5, 5}), 7);             // collinear on one row: one span
  EXPECT_EQ(fill({0, 5, 10}, {0, 5, 10}), 11);          // collinear slant: one pixel a row
  EXPECT_EQ(fill({2, 2, 2}, {2, 2, 2}), 1);             // all one point
  EXPECT_EQ(fill({5, 12, 12, 5}, {4, 4, 9, 9}), 8 * 6); // square, edges included
  EXPECT_EQ(fill({12, 5, 12, 5}, {9, 4, 4, 9}), 8 * 6); // the same points in any order
  EXPECT_EQ(fill({-10, 50, 50, -10}, {-10, -10, 50, 50}), 40 * 40);

  // A convex polygon against a naive inside test of each pixel centre: pixels clearly
  // inside are filled once, pixels clearly outside never.
  const std::vector<int> xs = {20, 34, 30, 8, 4}, ys = {2, 12, 33, 36, 14};
  fill(xs, ys);
  int checked = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x)
    {
      double minDist = 1e9;
      bool inside = true;
      for (size_t i = 0; i < xs.size(); ++i)
      {
        const size_t j = (i + 1) % xs.size();
        const double ex = xs[j] - xs[i], ey = ys[j] - ys[i];
        const double cross = (ex * (y - ys[i]) - ey * (x - xs[i])) / std::hypot(ex, ey);
        inside &= cross >= 0; // clockwise on screen
        minDist = std::min(minDist, std::fabs(cross));
      }
      if (minDist < 1.0) continue;
      ++checked;
      ASSERT_EQ(Red(&bmp, x, y), inside ? 1 : 0) << x << "," << y;
    }
  EXPECT_GT(checked, 1000);

  // Coordinates at the ends of the int range: no overflow, the visible part is filled.
  EXPECT_EQ(fill({INT_MIN, INT_MAX, INT_MAX, INT_MIN}, {INT_MIN, INT_MIN, INT_MAX, INT_MAX}), 1600);
  Clear(&bmp);
  RAS_FillTriangle(&bmp, INT_MIN, INT_MIN, INT_MAX, 0, 0, INT_MAX, kOne, 1.0f, RAS_BLEND_ADD);
  EXPECT_EQ(Red(&bmp, 20, 20), 1);
  EXPECT_LE(MaxRed(&bmp), 1);
}

TEST(RasShapes, NothingLandsOutsideTheBitmap)
{
  // Every primitive, placed across each edge and corner and far outside, on a window with a
  // sentinel border.
  WindowBitmap win(23, 17, 12);
  const int pos[][2] = {{0, 8},   {22, 8}, {11, 0}, {11, 16}, {0, 0},   {22, 0},    {0, 16},
                        {22, 16}, {-3, 8}, {26, 8}, {11, -4}, {11, 20}, {-40, -40}, {60, 60}};
  for (const auto& p : pos)
  {
    const int x = p[0], y = p[1];
    for (bool aa : {false, true})
    {
      for (int mode : {int(RAS_BLEND_COPY), int(RAS_BLEND_ADD | RAS_BLEND_USE_SOURCE_ALPHA)})
      {
        RAS_Line(&win, x - 9, y - 4, x + 9, y + 5, kWhite, 0.7f, mode, aa);
        RAS_Line(&win, x - 5, y - 5, x + 5, y + 5, kWhite, 1.0f, mode, aa);
        RAS_Line(&win, x - 30, y, x + 30, y, kWhite, 0.75f, mode, aa);
        RAS_Line(&win, x, y - 30, x, y + 30, kWhite, 1.0f, mode, aa);
        for (float r : {1.5f, 2.0f, 4.0f, 6.0f, 6.7f})
        {
          RAS_Circle(&win, float(x), float(y), r, kWhite, 0.5f, mode, aa);
          RAS_FillCircle(&win, float(x) + 0.3f, float(y), r, kWhite, 1.0f, mode, aa);
        }
        RAS_Arc(&win, float(x), float(y), 7.0f, -1.0f, 3.0f, kWhite, 1.0f, mode, aa);
        RAS_RoundRect(&win, x - 6, y - 5, 12, 10, 4, kWhite, 1.0f, mode, aa);
        RAS_DrawRect(&win, x - 6, y - 5, 12, 10, kWhite, 0.25f, mode);
        const int xs[5] = {x - 8, x + 2, x + 9, x + 4, x - 6},
                  ys[5] = {y - 2, y - 9, y, y + 8, y + 7};
        RAS_FillConvexPolygon(&win, xs, ys, 5, kWhite, 1.0f, mode);
        RAS_FillTriangle(&win, x - 7, y + 7, x, y - 8, x + 7, y + 7, kWhite, 0.5f, mode);
        const uint8_t glyph[12] = {255, 128, 1, 0, 64, 255, 255, 64, 0, 1, 128, 255};
        RAS_DrawGlyph(&win, x - 2, y - 1, kWhite, glyph, 4, 3, 1.0f, mode);
      }
    }
  }
  EXPECT_EQ(win.Damage(), 0);
  EXPECT_GT(Sum(&win), 0);
}

TEST(RasGlyph, CoverageScalesTheWeight)
{
  RAS_MemBitmap bmp(4, 2, 4);
  Clear(&bmp, RAS_RGBA(0, 0, 0, 0));
  const uint8_t cov[4] = {0, 128, 255, 64};
  // Colour (200, 100, 0, 255) copied at weight 256 * c / 256 = c over zero:
  // D = S - S * (256 - c) / 256.
  RAS_DrawGlyph(&bmp, 0, 0, RAS_RGBA(200, 100, 0, 255), cov, 4, 1, 1.0f, RAS_BLEND_COPY);
  EXPECT_EQ(Px(&bmp, 0, 0), 0u);
  EXPECT_EQ(Px(&bmp, 1, 0),
            RAS_RGBA(200 - 200 * 128 / 256, 100 - 100 * 128 / 256, 0, 255 - 255 * 128 / 256));
  EXPECT_EQ(Px(&bmp, 2, 0), RAS_RGBA(200 - 200 * 1 / 256, 100 - 100 / 256, 0, 255 - 255 / 256));
  // Half the alpha: weight 128 * 64 / 256 = 32.
  RAS_DrawGlyph(&bmp, 0, 1, RAS_RGBA(200, 100, 0, 255), cov + 3, 1, 1, 0.5f, RAS_BLEND_COPY);
  EXPECT_EQ(RAS_GetR(Px(&bmp, 0, 1)), 200 - 200 * 224 / 256);
}
