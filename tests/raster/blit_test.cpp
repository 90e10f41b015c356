#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "RasterTestUtil.h"
#include "raster/RAS_BlitRows.h"
#include "raster/RAS_Combine.h"
#include "raster/RAS_Raster.h"

namespace
{
void SetPixel(RAS_IBitmap& b, int x, int y, RAS_Pixel p)
{
  RAS_RowAccess a;
  a.Attach(&b);
  a.Row(y)[x] = p;
}

// Naive reference: every destination pixel whose source lies inside both the source
// rectangle and the source bitmap is combined with Op. No clipping arithmetic.
template <class Op>
void ReferenceBlit(RAS_IBitmap& dst, RAS_IBitmap& src, int dstx, int dsty, int srcx, int srcy,
                   int srcw, int srch, int w)
{
  for (int y = 0; y < dst.getHeight(); ++y)
    for (int x = 0; x < dst.getWidth(); ++x)
    {
      const int64_t sx = int64_t(x) - dstx + srcx, sy = int64_t(y) - dsty + srcy;
      if (sx < srcx || sy < srcy || sx >= int64_t(srcx) + srcw || sy >= int64_t(srcy) + srch)
        continue;
      if (sx < 0 || sy < 0 || sx >= src.getWidth() || sy >= src.getHeight()) continue;
      RAS_Pixel p = RAS_GetPixel(&dst, x, y);
      RAS_CombinePixel<Op>(&p, RAS_GetPixel(&src, int(sx), int(sy)), w);
      SetPixel(dst, x, y, p);
    }
}

void ExpectSame(RAS_IBitmap& got, RAS_IBitmap& want, const char* what)
{
  ASSERT_EQ(got.getWidth(), want.getWidth());
  ASSERT_EQ(got.getHeight(), want.getHeight());
  int bad = 0;
  for (int y = 0; y < got.getHeight(); ++y)
    for (int x = 0; x < got.getWidth(); ++x)
      if (RAS_GetPixel(&got, x, y) != RAS_GetPixel(&want, x, y) && ++bad < 4)
        ADD_FAILURE() << what << " at " << x << "," << y << std::hex << ": got "
                      << RAS_GetPixel(&got, x, y) << " want " << RAS_GetPixel(&want, x, y);
}
} // namespace

TEST(Blit, ClipsAtEveryEdgeLikeANaiveBlit)
{
  struct Case
  {
    int dx, dy, sx, sy, sw, sh;
  } cases[] = {
      {2, 2, 0, 0, 6, 5},
      {-3, -2, 0, 0, 6, 5},
      {7, 6, 0, 0, 6, 5},
      {-5, 0, 0, 0, 6, 5},
      {0, -4, 0, 0, 6, 5},
      {8, 0, 1, 1, 6, 5},
      {9, 7, 0, 0, 6, 5},
      {10, 0, 0, 0, 6, 5},
      {0, 8, 0, 0, 6, 5},
      {-6, 0, 0, 0, 6, 5},
      {1, 1, -2, -1, 6, 5},
      {0, 0, -10, -10, 12, 12},
      {0, 0, 0, 0, 100, 100},
      {3, 3, 4, 3, 9, 9},
      {0, 0, 6, 0, 3, 3},
      {0, 0, 0, 0, 0, 5},
      {0, 0, 0, 0, -3, 5},
      {INT_MAX, 0, 0, 0, 6, 5},
      {INT_MIN, INT_MIN, 0, 0, 6, 5},
      {0, 0, INT_MIN, 0, INT_MAX, 5},
      {0, 0, 2, 2, INT_MAX, INT_MAX},
  };
  RAS_MemBitmap src(6, 5, 4);
  FillPattern(src, 7);
  for (const Case& c : cases)
  {
    for (int pass = 0; pass < 2; ++pass)
    {
      RAS_MemBitmap got(10, 8, 4), want(10, 8, 4);
      FillPattern(got, 3);
      FillPattern(want, 3);
      if (pass == 0)
      {
        RAS_Blit(&got, &src, c.dx, c.dy, c.sx, c.sy, c.sw, c.sh, 1.0f, RAS_BLEND_COPY);
        ReferenceBlit<RAS_CombinePixelsClobberNoClamp>(want, src, c.dx, c.dy, c.sx, c.sy, c.sw,
                                                       c.sh, 256);
      }
      else
      {
        RAS_Blit(&got, &src, c.dx, c.dy, c.sx, c.sy, c.sw, c.sh, 0.3f,
                 RAS_BLEND_ADD | RAS_BLEND_USE_SOURCE_ALPHA);
        ReferenceBlit<RAS_CombinePixelsAddSourceAlpha>(want, src, c.dx, c.dy, c.sx, c.sy, c.sw,
                                                       c.sh, 76);
      }
      SCOPED_TRACE(testing::Message() << "case " << c.dx << "," << c.dy << " " << c.sx << ","
                                      << c.sy << " " << c.sw << "x" << c.sh << " pass " << pass);
      ExpectSame(got, want, "blit");
    }
  }
}

TEST(Blit, OperatorChoiceFollowsModeAndWeight)
{
  RAS_MemBitmap src(9, 4, 4);
  FillPattern(src, 11);
  // Some fully transparent and fully opaque source pixels for the source-alpha shortcuts.
  SetPixel(src, 0, 0, PatternPixel(0, 0, 11) & 0xFFFFFF00u);
  SetPixel(src, 1, 0, PatternPixel(1, 0, 11) | 0xFFu);
  struct Case
  {
    int mode;
    float alpha;
  } cases[] = {
      {RAS_BLEND_COPY | RAS_BLEND_USE_SOURCE_ALPHA, 1.0f},
      {RAS_BLEND_COPY | RAS_BLEND_USE_SOURCE_ALPHA, 0.25f},
      {RAS_BLEND_COPY, 0.3f},
      {RAS_BLEND_COPY | RAS_BLEND_FILTER_BILINEAR, 1.0f},
      {RAS_BLEND_ADD, 1.0f},
      {RAS_BLEND_COLORDODGE | RAS_BLEND_USE_SOURCE_ALPHA, 0.8f},
      {RAS_BLEND_MUL, 0.6f},
      {RAS_BLEND_OVERLAY | RAS_BLEND_USE_SOURCE_ALPHA, 1.0f},
      {RAS_BLEND_HSVADJ, 0.5f},
  };
  for (const Case& c : cases)
  {
    RAS_MemBitmap got(9, 4, 4), want(9, 4, 4);
    FillPattern(got, 5);
    FillPattern(want, 5);
    RAS_Blit(&got, &src, 0, 0, 0, 0, 9, 4, c.alpha, c.mode);
    const int w = RAS_Weight(c.alpha);
    RAS_DispatchCombine(
        c.mode, w, [&](auto op) { ReferenceBlit<decltype(op)>(want, src, 0, 0, 0, 0, 9, 4, w); });
    SCOPED_TRACE(testing::Message()
                 << std::hex << "mode " << c.mode << std::dec << " alpha " << c.alpha);
    ExpectSame(got, want, "operator");
  }

  // Nothing at all: zero weight, unknown operation, null bitmaps.
  RAS_MemBitmap d(9, 4, 4), keep(9, 4, 4);
  FillPattern(d, 5);
  FillPattern(keep, 5);
  RAS_Blit(&d, &src, 0, 0, 0, 0, 9, 4, 0.0f, RAS_BLEND_COPY);
  RAS_Blit(&d, &src, 0, 0, 0, 0, 9, 4, 0.002f, RAS_BLEND_ADD);
  RAS_Blit(&d, &src, 0, 0, 0, 0, 9, 4, 1.0f, 6);
  RAS_Blit(&d, nullptr, 0, 0, 0, 0, 9, 4, 1.0f, RAS_BLEND_COPY);
  RAS_Blit(nullptr, &src, 0, 0, 0, 0, 9, 4, 1.0f, RAS_BLEND_COPY);
  RAS_MemBitmap empty;
  RAS_Blit(&d, &empty, 0, 0, 0, 0, 9, 4, 1.0f, RAS_BLEND_COPY);
  RAS_Blit(&empty, &src, 0, 0, 0, 0, 9, 4, 1.0f, RAS_BLEND_COPY);
  ExpectSame(d, keep, "no-op");
}

TEST(Blit, HalfMixIsWholePixelShiftsNotTheCopyOperator)
{
  RAS_MemBitmap src(16, 16, 4), dst(16, 16, 4), before(16, 16, 4);
  FillPattern(src, 1);
  FillPattern(dst, 2);
  RAS_Copy(&before, &dst);
  RAS_Blit(&dst, &src, 0, 0, 0, 0, 16, 16, 0.5f, RAS_BLEND_COPY);
  int differsFromOperator = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
    {
      const RAS_Pixel D = RAS_GetPixel(&before, x, y), S = RAS_GetPixel(&src, x, y);
      RAS_Pixel viaOp = D;
      RAS_CombinePixel<RAS_CombinePixelsCopyNoClamp>(&viaOp, S, 128);
      const RAS_Pixel got = RAS_GetPixel(&dst, x, y);
      for (int i = 0; i < 4; ++i)
      {
        EXPECT_EQ(ByteOf(got, i), (ByteOf(D, i) >> 1) + (ByteOf(S, i) >> 1));
        EXPECT_LE(std::abs(ByteOf(got, i) - ByteOf(viaOp, i)), 1);
      }
      differsFromOperator += got != viaOp;
    }
  EXPECT_GT(differsFromOperator, 0);
}

TEST(Blit, ChannelCopyMovesOneByte)
{
  RAS_MemBitmap src(5, 3, 4);
  FillPattern(src, 9);
  for (int from = 0; from < 4; ++from)
    for (int to = 0; to < 4; ++to)
    {
      RAS_MemBitmap dst(5, 3, 4);
      FillPattern(dst, 4);
      RAS_Blit(&dst, &src, 1, 0, 0, 0, 5, 3, 0.01f,
               0xF0 | (to << 2) | from | RAS_BLEND_USE_SOURCE_ALPHA);
      for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
        {
          const RAS_Pixel was = PatternPixel(x, y, 4), got = RAS_GetPixel(&dst, x, y);
          for (int i = 0; i < 4; ++i)
          {
            const int want =
                (x >= 1 && i == to) ? ByteOf(PatternPixel(x - 1, y, 9), from) : ByteOf(was, i);
            EXPECT_EQ(ByteOf(got, i), want) << from << "->" << to << " at " << x << "," << y;
          }
        }
    }
}

TEST(Blit, OverlappingBlitWithinOneBitmapReadsTheOriginal)
{
  const int shifts[][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {2, 3}, {-3, -2}};
  for (const auto& s : shifts)
    for (float alpha : {1.0f, 0.5f, 0.7f})
    {
      RAS_MemBitmap b(12, 9, 4), snapshot(12, 9, 4), want(12, 9, 4);
      FillPattern(b, 6);
      RAS_Copy(&snapshot, &b);
      RAS_Copy(&want, &b);
      RAS_Blit(&want, &snapshot, 2 + s[0], 2 + s[1], 2, 2, 7, 5, alpha, RAS_BLEND_COPY);
      RAS_Blit(&b, &b, 2 + s[0], 2 + s[1], 2, 2, 7, 5, alpha, RAS_BLEND_COPY);
      SCOPED_TRACE(testing::Message() << s[0] << "," << s[1] << " alpha " << alpha);
      ExpectSame(b, want, "overlap");
    }
}

TEST(Blit, RectFormAndWholeCopy)
{
  RAS_MemBitmap src(6, 5, 4);
  FillPattern(src, 8);
  RAS_MemBitmap a(10, 10, 4), b(10, 10, 4);
  FillSolid(a, 0);
  FillSolid(b, 0);
  RAS_Blit(&a, &src, 2, 3, nullptr, 1.0f, RAS_BLEND_COPY);
  RAS_Blit(&b, &src, 2, 3, 0, 0, 6, 5, 1.0f, RAS_BLEND_COPY);
  ExpectSame(a, b, "null rect");
  const RAS_Rect r{1, 2, 4, 5};
  RAS_Blit(&a, &src, 0, 0, &r, 1.0f, RAS_BLEND_COPY);
  RAS_Blit(&b, &src, 0, 0, 1, 2, 3, 3, 1.0f, RAS_BLEND_COPY);
  ExpectSame(a, b, "rect");
  const RAS_Rect inverted{4, 2, 1, 5};
  RAS_Blit(&a, &src, 0, 0, &inverted, 1.0f, RAS_BLEND_COPY);
  ExpectSame(a, b, "inverted rect");

  RAS_MemBitmap copy(1, 1, 4);
  RAS_Copy(&copy, &src);
  ExpectSame(copy, src, "copy");
}

TEST(Blit, FlippedBitmapsCountRowsFromTheBottom)
{
  FlippedBitmap f(4, 3);
  RAS_MemBitmap src(4, 3, 4);
  FillPattern(src, 2);
  RAS_Blit(&f, &src, 0, 0, 0, 0, 4, 3, 1.0f, RAS_BLEND_COPY);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x)
    {
      EXPECT_EQ(f.Memory(x, 2 - y), PatternPixel(x, y, 2));
      EXPECT_EQ(RAS_GetPixel(&f, x, y), PatternPixel(x, y, 2));
    }
  RAS_PutPixel(&f, 1, 0, 0x11223344u, 1.0f, RAS_BLEND_COPY);
  EXPECT_EQ(f.Memory(1, 2), 0x11223344u);
  RAS_MemBitmap back(1, 1, 4);
  RAS_Copy(&back, &f);
  EXPECT_EQ(RAS_GetPixel(&back, 1, 0), 0x11223344u);
  EXPECT_EQ(RAS_GetPixel(&back, 3, 2), PatternPixel(3, 2, 2));
}

TEST(Fill, CopyWeightsUseTheWholePixelFormsAndStayNearTheOperator)
{
  const RAS_Pixel F = RAS_RGBA(250, 3, 128, 200);
  struct Case
  {
    float alpha;
    int w8;
  } cases[] = {{0.25f, 64}, {0.5f, 128}, {0.75f, 192}, {1.0f, 256}, {0.3f, 76}, {1.5f, 256}};
  for (const Case& c : cases)
  {
    RAS_MemBitmap b(7, 7, 4);
    FillPattern(b, 12);
    RAS_FillRect(&b, -2, -2, 20, 20, F, c.alpha, RAS_BLEND_COPY);
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 7; ++x)
      {
        const RAS_Pixel D = PatternPixel(x, y, 12), got = RAS_GetPixel(&b, x, y);
        RAS_Pixel viaOp = D;
        // The operator's alpha component is the weight itself; the whole-pixel forms use F's.
        RAS_CombinePixelsCopyNoClamp::Combine(reinterpret_cast<uint8_t*>(&viaOp), RAS_GetR(F),
                                              RAS_GetG(F), RAS_GetB(F), c.w8 > 255 ? 255 : c.w8,
                                              c.w8);
        for (int i = 0; i < 4; ++i)
        {
          const int f = ByteOf(F, i), d = ByteOf(D, i), g = ByteOf(got, i);
          switch (c.w8)
          {
          case 64:
            EXPECT_EQ(g, (f >> 2) + (d >> 1) + (d >> 2));
            break;
          case 128:
            EXPECT_EQ(g, (f >> 1) + (d >> 1));
            break;
          case 192:
            EXPECT_EQ(g, (f >> 2) + (f >> 1) + (d >> 2));
            break;
          case 256:
            EXPECT_EQ(g, f);
            break;
          default:
            EXPECT_EQ(g, ByteOf(viaOp, i));
            break;
          }
          if (i != 0)
          {
            EXPECT_LE(std::abs(g - ByteOf(viaOp, i)), 2) << "w8 " << c.w8 << " byte " << i;
          }
        }
      }
  }
}

TEST(Fill, SourceAlphaOtherModesAndClipping)
{
  // Colour alpha 64 of 255 turns weight 1.0 into 64: the quarter form.
  RAS_MemBitmap b(4, 4, 4);
  FillSolid(b, RAS_RGBA(200, 200, 200, 200));
  RAS_FillRect(&b, 0, 0, 4, 4, RAS_RGBA(0, 0, 0, 64), 1.0f,
               RAS_BLEND_COPY | RAS_BLEND_USE_SOURCE_ALPHA);
  EXPECT_EQ(RAS_GetPixel(&b, 0, 0), RAS_RGBA(150, 150, 150, 166));
  // Colour alpha 0 with source alpha draws nothing.
  RAS_FillRect(&b, 0, 0, 4, 4, RAS_RGBA(255, 0, 0, 0), 1.0f,
               RAS_BLEND_ADD | RAS_BLEND_USE_SOURCE_ALPHA);
  EXPECT_EQ(RAS_GetPixel(&b, 0, 0), RAS_RGBA(150, 150, 150, 166));

  // Add at 0.5: each colour byte scaled by 128 / 256, and the weight added to A as its alpha.
  FillSolid(b, RAS_RGBA(10, 20, 30, 40));
  RAS_FillRect(&b, 1, 1, 2, 2, RAS_RGBA(100, 200, 255, 0), 0.5f, RAS_BLEND_ADD);
  EXPECT_EQ(RAS_GetPixel(&b, 1, 1), RAS_RGBA(60, 120, 157, 104));
  EXPECT_EQ(RAS_GetPixel(&b, 0, 0), RAS_RGBA(10, 20, 30, 40));
  EXPECT_EQ(RAS_GetPixel(&b, 3, 3), RAS_RGBA(10, 20, 30, 40));
  // Full-weight HSV fill: A becomes 255, not a wrapped 256.
  RAS_FillRect(&b, 0, 0, 1, 1, RAS_RGBA(128, 128, 128, 0), 1.0f, RAS_BLEND_HSVADJ);
  EXPECT_EQ(RAS_GetA(RAS_GetPixel(&b, 0, 0)), 255);
  // Unknown modes and empty rectangles draw nothing.
  RAS_FillRect(&b, 0, 0, 4, 4, 0xFFFFFFFFu, 1.0f, 9);
  RAS_FillRect(&b, 2, 2, 0, 5, 0xFFFFFFFFu, 1.0f, RAS_BLEND_COPY);
  RAS_FillRect(&b, 2, 2, -3, 5, 0xFFFFFFFFu, 1.0f, RAS_BLEND_COPY);
  RAS_FillRect(&b, INT_MAX, 0, INT_MAX, 5, 0xFFFFFFFFu, 1.0f, RAS_BLEND_COPY);
  RAS_FillRect(nullptr, 0, 0, 4, 4, 0xFFFFFFFFu, 1.0f, RAS_BLEND_COPY);
  EXPECT_EQ(RAS_GetPixel(&b, 3, 3), RAS_RGBA(10, 20, 30, 40));
  RAS_FillRect(&b, 3, 3, INT_MAX, INT_MAX, 0xFFFFFFFFu, 1.0f, RAS_BLEND_COPY);
  EXPECT_EQ(RAS_GetPixel(&b, 3, 3), 0xFFFFFFFFu);
  EXPECT_EQ(RAS_GetPixel(&b, 2, 3), RAS_RGBA(10, 20, 30, 40));
}

TEST(Pixels, GetPutClearAtTheEdges)
{
  RAS_MemBitmap b(5, 4, 4);
  FillSolid(b, 0x0F0F0F0Fu);
  EXPECT_EQ(RAS_GetPixel(&b, 5, 0), 0u);
  EXPECT_EQ(RAS_GetPixel(&b, 0, 4), 0u);
  EXPECT_EQ(RAS_GetPixel(&b, -1, 0), 0u);
  EXPECT_EQ(RAS_GetPixel(nullptr, 0, 0), 0u);
  EXPECT_EQ(RAS_GetPixel(&b, 4, 3), 0x0F0F0F0Fu);
  b.getBits()[5] = 0x0F0F0F0Fu; // row padding
  RAS_PutPixel(&b, 5, 0, 0xFFFFFFFFu, 1.0f, RAS_BLEND_COPY);
  RAS_PutPixel(&b, -1, 2, 0xFFFFFFFFu, 1.0f, RAS_BLEND_COPY);
  RAS_PutPixel(nullptr, 0, 0, 0xFFFFFFFFu, 1.0f, RAS_BLEND_COPY);
  EXPECT_EQ(b.getBits()[5], 0x0F0F0F0Fu);
  RAS_PutPixel(&b, 4, 3, 0xA0A0A0A0u, 0.5f, RAS_BLEND_COPY);
  EXPECT_EQ(RAS_GetPixel(&b, 4, 3), 0x50505050u + 0x07070707u);

  RAS_ClearRect(&b, -1, -1, 3, 2, 0xFFFFFF00u, 0x000000FFu);
  EXPECT_EQ(RAS_GetPixel(&b, 0, 0), 0x0F0F0FFFu);
  EXPECT_EQ(RAS_GetPixel(&b, 1, 0), 0x0F0F0FFFu);
  EXPECT_EQ(RAS_GetPixel(&b, 2, 0), 0x0F0F0F0Fu);
  EXPECT_EQ(RAS_GetPixel(&b, 0, 1), 0x0F0F0F0Fu);
}

TEST(Blit, EveryVectorLevelGivesTheScalarBytes)
{
  // Rows of every length up to 70 (all remainders of 16, 8 and 4), with transparent,
  // opaque and mixed stretches, at each vector level the processor runs.
  uint32_t seed = 7;
  auto next = [&seed]
  {
    seed = seed * 1664525u + 1013904223u;
    return seed;
  };
  for (int n = 0; n <= 70; ++n)
  {
    std::vector<RAS_Pixel> src(size_t(n) + 1), under(size_t(n) + 1);
    for (int i = 0; i < n; ++i)
    {
      RAS_Pixel p = next();
      const int kind = (i / 5 + n) % 4;
      if (kind == 0) p &= 0xFFFFFF00u;
      if (kind == 1) p |= 0xFFu;
      src[size_t(i)] = p;
      under[size_t(i)] = next();
    }
    for (int w : {1, 77, 128, 255, 256})
    {
      std::vector<RAS_Pixel> want = under;
      for (int i = 0; i < n; ++i)
      {
        if (w == 256)
          RAS_CombinePixel<RAS_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>(
              &want[size_t(i)], src[size_t(i)], w);
        else
          RAS_CombinePixel<RAS_CombinePixelsCopySourceAlphaNoClamp>(&want[size_t(i)],
                                                                    src[size_t(i)], w);
      }
      for (int level = 0; level <= 3; ++level)
      {
        std::vector<RAS_Pixel> got = under;
        if (w == 256)
          RAS_CopySourceAlphaFullRowAt(level, got.data(), src.data(), n);
        else
          RAS_CopySourceAlphaRowAt(level, got.data(), src.data(), n, w);
        ASSERT_EQ(got, want) << "length " << n << " weight " << w << " level " << level;
      }
    }
  }
}
