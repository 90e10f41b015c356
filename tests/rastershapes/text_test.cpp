// Fonts of the drawing shim and RAS_CachedFont's two text paths.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/common/SHIM_Font.h"
#include "platform/common/SHIM_FontRecord.h"
#include "raster/RAS_CachedFont.h"
#include "raster/RAS_Shapes.h"
#include "rastershapes/shapes_test.h"

using namespace shapes_test;

namespace
{

SHIM_Font* MakeFont(int h, const char* face = "Monaco", int weight = SHIM_FW_NORMAL,
                    bool italic = false, int quality = SHIM_QUALITY_ANTIALIASED, int esc = 0)
{
  return SHIM_CreateFont(h, 0, esc, esc, weight, italic, false, false, 0, 0, 0, quality, 0, face);
}

struct Ink
{
  int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN; // inclusive
  bool Empty() const { return right < left; }
};

// Bounding box of pixels that differ from the background.
Ink InkBox(RAS_IBitmap* b, RAS_Pixel bg)
{
  Ink k;
  for (int y = 0; y < b->getHeight(); ++y)
    for (int x = 0; x < b->getWidth(); ++x)
      if (Px(b, x, y) != bg)
      {
        k.left = std::min(k.left, x);
        k.right = std::max(k.right, x);
        k.top = std::min(k.top, y);
        k.bottom = std::max(k.bottom, y);
      }
  return k;
}

SHIM_Surface SurfaceOf(RAS_IBitmap* b)
{
  return SHIM_Surface{b->getBits(), b->getRowSpan(), b->getWidth(), b->getHeight()};
}

int Measure(SHIM_Font* f, const char* text, int flags = SHIM_DT_SINGLELINE, int* height = nullptr)
{
  const SHIM_TextStyle st{f, 0, SHIM_TRANSPARENT, 0};
  SHIM_Rect r{5, 7, 5, 7};
  const int h = SHIM_DrawTextOnSurface(nullptr, &st, text, -1, &r, flags | SHIM_DT_CALCRECT);
  if (height) *height = h;
  EXPECT_EQ(r.bottom - r.top, h);
  return r.right - r.left;
}

} // namespace

TEST(ShimFont, CreationFallbackAndMetrics)
{
  SHIM_Font* f = MakeFont(12);
  ASSERT_NE(f, nullptr);
  // "Monaco" is a monospace face wherever it comes from.
  EXPECT_EQ(Measure(f, "iiii"), Measure(f, "WWWW"));
  EXPECT_GT(Measure(f, "W"), 0);
  SHIM_TextMetrics tm;
  ASSERT_TRUE(SHIM_GetTextMetrics(f, &tm));
  EXPECT_EQ(tm.height, tm.ascent + tm.descent);
  EXPECT_GE(tm.height, 12);
  EXPECT_LE(tm.height, 18);
  EXPECT_GT(tm.descent, 0);

  // A negative height is the same size; absurd sizes are refused.
  SHIM_Font* neg = MakeFont(-12);
  SHIM_TextMetrics tn;
  ASSERT_TRUE(SHIM_GetTextMetrics(neg, &tn));
  EXPECT_EQ(tn.height, tm.height);
  EXPECT_EQ(MakeFont(100000), nullptr);
  EXPECT_FALSE(SHIM_GetTextMetrics(nullptr, &tn));
  EXPECT_STREQ(SHIM_GetFontFamily(nullptr), "");

  // A proportional face is not monospace; bold is wider than regular.
  SHIM_Font* sans = MakeFont(12, "DejaVu Sans");
  SHIM_Font* bold = MakeFont(12, "DejaVu Sans", SHIM_FW_BOLD);
  ASSERT_NE(sans, nullptr);
  ASSERT_NE(bold, nullptr);
  EXPECT_LT(Measure(sans, "iiii"), Measure(sans, "WWWW"));
  EXPECT_GT(Measure(bold, "Level Drive"), Measure(sans, "Level Drive"));
  for (SHIM_Font* x : {f, neg, sans, bold})
    SHIM_DeleteFont(x);
  SHIM_DeleteFont(nullptr);
}

TEST(ShimFont, HeightsBeyondTheBoundsFailAtBothIntLimits)
{
  const struct
  {
    int height, em;
  } cases[] = {{0, 12},   {1, 1},     {-1, 1},      {4096, 4096}, {-4096, 4096},
               {4097, 0}, {-4097, 0}, {INT_MAX, 0}, {INT_MIN, 0}, {INT_MIN + 1, 0}};
  for (const auto& c : cases)
    EXPECT_EQ(SHIM_EmPixels(c.height), c.em) << c.height;
  // INT_MIN has no positive counterpart: it must not slip past the bound as a huge size.
  EXPECT_EQ(MakeFont(INT_MIN), nullptr);
}

TEST(ShimFont, MeasuresLinesAndHostileText)
{
  SHIM_Font* f = MakeFont(12);
  ASSERT_NE(f, nullptr);
  SHIM_TextMetrics tm;
  SHIM_GetTextMetrics(f, &tm);
  const int adv = Measure(f, "a");
  int h = 0;
  struct Case
  {
    const char* text;
    int flags;
    int chars; // widest line in characters (monospace)
    int lines;
  };
  const Case cases[] = {
      {"Drive", SHIM_DT_SINGLELINE, 5, 1},
      {"ab\nabc", 0, 3, 2},
      {"ab\nabc", SHIM_DT_SINGLELINE, 5, 1}, // the break draws nothing and takes no room
      {"a\n\nb\n", 0, 1, 4},
      {"", 0, 0, 0},
      {"\xC3\xA9t\xC3\xA9", 0, 3, 1}, // two-byte sequences are one character each
  };
  for (const Case& c : cases)
  {
    EXPECT_EQ(Measure(f, c.text, c.flags, &h), c.chars * adv) << c.text;
    EXPECT_EQ(h, c.lines * tm.height) << c.text;
  }
  // Malformed and truncated sequences draw one U+FFFD per bad byte.
  const int bad = Measure(f, "\xEF\xBF\xBD");
  EXPECT_EQ(Measure(f, "\xFF\xC3"), 2 * bad);
  EXPECT_EQ(Measure(f, "a\xE2\x82"), adv + 2 * bad);
  EXPECT_EQ(Measure(f, "\xED\xA0\x80"), 3 * bad); // an encoded surrogate
  EXPECT_EQ(Measure(f, "\xC0\xAF"), 2 * bad);     // an overlong encoding
  // A length shorter than the string stops there, even inside a sequence.
  const SHIM_TextStyle st{f, 0, SHIM_TRANSPARENT, 0};
  SHIM_Rect r{0, 0, 0, 0};
  SHIM_DrawTextOnSurface(nullptr, &st, "abc\xC3\xA9", 4, &r, SHIM_DT_CALCRECT);
  EXPECT_EQ(r.right, 3 * adv + bad);
  // Rectangles at the int limits measure without wrapping.
  r = SHIM_Rect{INT_MAX - 3, INT_MAX - 3, 0, 0};
  SHIM_DrawTextOnSurface(nullptr, &st, "abc", -1, &r, SHIM_DT_CALCRECT);
  EXPECT_EQ(r.right, INT_MAX);
  EXPECT_EQ(SHIM_DrawTextOnSurface(nullptr, nullptr, "a", -1, &r, 0), 0);
  SHIM_DeleteFont(f);
}

TEST(ShimFont, AlignmentPlacesTheTextBox)
{
  SHIM_Font* f = MakeFont(14, "DejaVu Sans");
  ASSERT_NE(f, nullptr);
  int h = 0;
  const int w = Measure(f, "Hg", SHIM_DT_SINGLELINE, &h);
  RAS_MemBitmap bmp(120, 80, 4);
  const SHIM_Rect rect{10, 10, 101, 61};
  const SHIM_TextStyle st{f, 0x000000, SHIM_TRANSPARENT, 0};
  auto draw = [&](int flags)
  {
    Clear(&bmp, kWhite);
    SHIM_Surface s = SurfaceOf(&bmp);
    SHIM_Rect r = rect;
    EXPECT_EQ(SHIM_DrawTextOnSurface(&s, &st, "Hg", -1, &r, flags | SHIM_DT_SINGLELINE), h);
    return InkBox(&bmp, kWhite);
  };
  const Ink base = draw(0);
  ASSERT_FALSE(base.Empty());
  EXPECT_GE(base.left, rect.left);
  EXPECT_LE(base.right, rect.left + w);
  EXPECT_GE(base.top, rect.top);
  EXPECT_LT(base.bottom, rect.top + h); // descender of g inside the line
  struct Case
  {
    int flags, dx, dy;
  };
  const Case cases[] = {
      {SHIM_DT_CENTER, (10 + 101 - w) / 2 - 10, 0},
      {SHIM_DT_RIGHT, 101 - w - 10, 0},
      {SHIM_DT_VCENTER, 0, (10 + 61 - h) / 2 - 10},
      {SHIM_DT_BOTTOM, 0, 61 - h - 10},
      {SHIM_DT_CENTER | SHIM_DT_BOTTOM, (10 + 101 - w) / 2 - 10, 61 - h - 10},
  };
  for (const Case& c : cases)
  {
    const Ink k = draw(c.flags);
    EXPECT_EQ(k.left, base.left + c.dx) << c.flags;
    EXPECT_EQ(k.right, base.right + c.dx) << c.flags;
    EXPECT_EQ(k.top, base.top + c.dy) << c.flags;
    EXPECT_EQ(k.bottom, base.bottom + c.dy) << c.flags;
  }
  SHIM_DeleteFont(f);
}

TEST(ShimFont, InkIsAntiAliasedAndNotClipped)
{
  for (int quality : {SHIM_QUALITY_ANTIALIASED, SHIM_QUALITY_NONANTIALIASED})
  {
    SHIM_Font* f = MakeFont(16, "DejaVu Sans", SHIM_FW_NORMAL, false, quality);
    ASSERT_NE(f, nullptr);
    SHIM_TextMetrics tm;
    SHIM_GetTextMetrics(f, &tm);
    RAS_MemBitmap a(200, 40, 4), b(200, 40, 4);
    const SHIM_TextStyle st{f, 0xFFFFFF, SHIM_TRANSPARENT, 0};
    // Clipped to exactly one line and not clipped at all: the same pixels, so no descender
    // or accent is cut off.
    const char* text = "gjpqy \xC3\x89\xC3\x85 Mid";
    Clear(&a);
    Clear(&b);
    SHIM_Surface sa = SurfaceOf(&a), sb = SurfaceOf(&b);
    SHIM_Rect ra{4, 10, 196, 10 + tm.height}, rb = ra;
    SHIM_DrawTextOnSurface(&sa, &st, text, -1, &ra, 0);
    SHIM_DrawTextOnSurface(&sb, &st, text, -1, &rb, SHIM_DT_NOCLIP);
    EXPECT_EQ(Lit(&a), Lit(&b));
    const Ink k = InkBox(&a, 0);
    EXPECT_GE(k.bottom, 10 + tm.ascent) << "descenders reach below the baseline";
    int partial = 0, full = 0;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 200; ++x)
      {
        const int v = Red(&a, x, y);
        partial += v > 0 && v < 255;
        full += v == 255;
      }
    EXPECT_GT(full, 0);
    if (quality == SHIM_QUALITY_ANTIALIASED)
    {
      EXPECT_GT(partial, 20);
    }
    else
    {
      EXPECT_EQ(partial, 0);
    }
    SHIM_DeleteFont(f);
  }
}

TEST(ShimFont, EscapementTurnsTheBaseline)
{
  // 90 degrees counter-clockwise: the text runs upward from the box's top-left corner.
  SHIM_Font* up = MakeFont(14, "DejaVu Sans", SHIM_FW_NORMAL, false, SHIM_QUALITY_ANTIALIASED, 900);
  SHIM_Font* flat = MakeFont(14, "DejaVu Sans");
  ASSERT_NE(up, nullptr);
  const int w = Measure(flat, "Level");
  EXPECT_EQ(Measure(up, "Level"), w); // measured along the baseline
  RAS_MemBitmap bmp(60, 100, 4);
  Clear(&bmp);
  const SHIM_TextStyle st{up, 0xFFFFFF, SHIM_TRANSPARENT, 0};
  SHIM_Surface s = SurfaceOf(&bmp);
  SHIM_Rect r{10, 90, 50, 100};
  SHIM_DrawTextOnSurface(&s, &st, "Level", -1, &r, SHIM_DT_NOCLIP);
  const Ink k = InkBox(&bmp, 0);
  ASSERT_FALSE(k.Empty());
  EXPECT_NEAR(k.bottom - k.top + 1, w, 3);
  EXPECT_LE(k.bottom, 90);
  EXPECT_GE(k.left, 10);
  EXPECT_LE(k.right, 10 + 17);
  SHIM_DeleteFont(up);
  SHIM_DeleteFont(flat);
}

TEST(ShimFont, DrawsThroughAMemoryContextWithItsTextState)
{
  SHIM_Font* f = MakeFont(12);
  SHIM_GfxContext* ctx = SHIM_CreateMemContext(nullptr, 64, 24);
  ASSERT_NE(ctx, nullptr);
  SHIM_Rect r{0, 0, 64, 24};
  EXPECT_EQ(SHIM_DrawText(ctx, "Hi", -1, &r, 0), 0); // no font selected
  SHIM_SelectFont(ctx, f);
  SHIM_SetTextColor(ctx, 0xFF0000);
  SHIM_SetBkMode(ctx, SHIM_OPAQUE);
  SHIM_SetBkColor(ctx, 0x0000FF);
  EXPECT_GT(SHIM_DrawText(ctx, "Hi", -1, &r, 0), 0);
  const uint32_t* px = static_cast<const uint32_t*>(SHIM_GetCtxFrameBuffer(ctx));
  bool red = false;
  for (int i = 0; i < 64 * 24; ++i)
    red |= px[i] == RAS_RGBA(255, 0, 0, 255);
  EXPECT_TRUE(red);
  EXPECT_EQ(px[0], RAS_RGBA(0, 0, 255, 255));        // opaque background inside the box
  EXPECT_EQ(px[63 + 23 * 64], RAS_RGBA(0, 0, 0, 0)); // untouched outside it
  SHIM_SelectFont(ctx, nullptr);
  SHIM_DeleteGfxContext(ctx);
  SHIM_DeleteFont(f);
}

TEST(CachedFont, NativeAndGlyphPathsAgree)
{
  // Italic overhang and the hook of a j reach outside their advance; neither path may cut
  // them off.
  for (bool italic : {false, true})
  {
    RAS_CachedFont font;
    font.SetFromHFont(MakeFont(13, "DejaVu Sans", SHIM_FW_NORMAL, italic),
                      RAS_FONT_FLAG_OWNS_HFONT | RAS_FONT_FLAG_FORCE_NATIVE);
    ASSERT_GT(font.GetLineHeight(), 13);
    font.SetTextColor(RAS_RGBA(0, 0, 0, 255));
    RAS_MemBitmap a(160, 40, 4), b(160, 40, 4);
    Clear(&a, kWhite);
    Clear(&b, kWhite);
    RAS_Rect ra{5, 5, 155, 35}, rb = ra;
    const unsigned flags = RAS_DT_CENTER | RAS_DT_VCENTER;
    const int h = font.DrawText(&a, "Level jfj 7.5 dB", -1, &ra, flags);
    EXPECT_EQ(font.GetGlyphCacheBytes(), 0); // the native path renders no glyphs
    EXPECT_EQ(font.DrawText(&b, "Level jfj 7.5 dB", -1, &rb, flags | 0x80000000u), h);
    EXPECT_GT(font.GetGlyphCacheBytes(), 0);
    // Same layout; coverage differs only by the round trip through a rendered glyph.
    int maxDiff = 0, inked = 0;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 160; ++x)
      {
        maxDiff = std::max(maxDiff, std::abs(Red(&a, x, y) - Red(&b, x, y)));
        inked += Red(&a, x, y) < 128;
      }
    EXPECT_LE(maxDiff, 3) << italic;
    EXPECT_GT(inked, 30);
  }

  RAS_CachedFont font;
  font.SetFromHFont(MakeFont(13, "DejaVu Sans"),
                    RAS_FONT_FLAG_OWNS_HFONT | RAS_FONT_FLAG_FORCE_NATIVE);
  const int h = font.GetLineHeight();
  // Measuring through either path gives the same box and draws nothing.
  RAS_Rect m1{10, 20, 0, 0}, m2{10, 20, 0, 0};
  EXPECT_EQ(font.DrawText(nullptr, "Level", -1, &m1, RAS_DT_CALCRECT), h);
  EXPECT_EQ(font.DrawText(nullptr, "Level", -1, &m2, RAS_DT_CALCRECT | RAS_DT_USEFGALPHA), h);
  EXPECT_EQ(m1.right, m2.right);
  EXPECT_EQ(m1.bottom, 20 + h);
  EXPECT_GT(m1.right, 10);
  EXPECT_EQ(font.DrawText(nullptr, "Level", -1, &m1, 0), 0);
}

TEST(CachedFont, GlyphCacheFillsOnceAndEmptiesOnNewFont)
{
  const int live = RAS_CachedFont::GetLiveCount();
  {
    RAS_CachedFont font;
    EXPECT_EQ(RAS_CachedFont::GetLiveCount(), live + 1);
    font.SetFromHFont(MakeFont(12), RAS_FONT_FLAG_OWNS_HFONT);
    RAS_MemBitmap bmp(100, 20, 4);
    RAS_Rect r{0, 0, 100, 20};
    font.SetTextColor(RAS_RGBA(255, 0, 0, 255));
    font.DrawText(&bmp, "Drive", -1, &r, 0);
    const int bytes = font.GetGlyphCacheBytes();
    EXPECT_GT(bytes, 0);
    font.DrawText(&bmp, "Drive", -1, &r, 0);
    font.DrawText(&bmp, "rive", -1, &r, 0);
    EXPECT_EQ(font.GetGlyphCacheBytes(), bytes); // every glyph from the cache
    // A new colour composites the cached coverage in that colour.
    Clear(&bmp);
    EXPECT_EQ(font.SetTextColor(RAS_RGBA(0, 255, 0, 255)), RAS_RGBA(255, 0, 0, 255));
    font.DrawText(&bmp, "Drive", -1, &r, 0);
    EXPECT_EQ(font.GetGlyphCacheBytes(), bytes);
    long green = 0, red = 0;
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 100; ++x)
        green += RAS_GetG(Px(&bmp, x, y)), red += Red(&bmp, x, y);
    EXPECT_GT(green, 0);
    EXPECT_EQ(red, 0);
    // Code points above 127 go to the sorted list, found again on the next use.
    font.DrawText(&bmp, "\xE2\x82\xAC\xC3\xA9", -1, &r, 0);
    const int more = font.GetGlyphCacheBytes();
    EXPECT_GT(more, bytes);
    font.DrawText(&bmp, "\xC3\xA9\xE2\x82\xAC", -1, &r, 0);
    EXPECT_EQ(font.GetGlyphCacheBytes(), more);
    // A new font (the old one is owned and deleted) starts an empty cache; with the
    // pre-render flag ASCII is rendered at once.
    font.SetFromHFont(MakeFont(20), RAS_FONT_FLAG_OWNS_HFONT);
    EXPECT_EQ(font.GetGlyphCacheBytes(), 0);
    font.SetFromHFont(MakeFont(20), RAS_FONT_FLAG_OWNS_HFONT | RAS_FONT_FLAG_PRECALCALL);
    const int ascii = font.GetGlyphCacheBytes();
    EXPECT_GT(ascii, more);
    font.DrawText(&bmp, "Level Mid High", -1, &r, 0);
    EXPECT_EQ(font.GetGlyphCacheBytes(), ascii);
    // No font: nothing drawn, nothing cached.
    font.SetFromHFont(nullptr, 0);
    EXPECT_EQ(font.DrawText(&bmp, "x", -1, &r, 0), 0);
    EXPECT_EQ(font.GetGlyphCacheBytes(), 0);
  }
  EXPECT_EQ(RAS_CachedFont::GetLiveCount(), live);
}

TEST(CachedFont, TranslucentTextAndCombineAlpha)
{
  RAS_CachedFont font;
  font.SetFromHFont(MakeFont(16, "DejaVu Sans", SHIM_FW_BOLD), 0x600);
  RAS_MemBitmap bmp(80, 30, 4);
  RAS_Rect r{2, 2, 78, 28};
  auto darkest = [&]()
  {
    int m = 255;
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 80; ++x)
        m = std::min(m, Red(&bmp, x, y));
    return m;
  };
  // Opaque black: full ink somewhere.
  font.SetTextColor(RAS_RGBA(0, 0, 0, 255));
  Clear(&bmp, kWhite);
  font.DrawText(&bmp, "MW", -1, &r, 0);
  EXPECT_EQ(darkest(), 0);
  // Half-transparent black through the glyph path: 255 - 255 * 128 / 256 at full coverage.
  font.SetTextColor(RAS_RGBA(0, 0, 0, 128));
  Clear(&bmp, kWhite);
  font.DrawText(&bmp, "MW", -1, &r, RAS_DT_USEFGALPHA);
  EXPECT_NEAR(darkest(), 255 - 255 * 128 / 256, 1);
  // Native text on a bitmap without a drawing context, put back at a combine weight of 0.5.
  font.SetTextColor(RAS_RGBA(0, 0, 0, 255));
  font.SetCombineMode(RAS_BLEND_COPY, 0.5f);
  Clear(&bmp, kWhite);
  font.DrawText(&bmp, "MW", -1, &r, 0);
  EXPECT_NEAR(darkest(), 128, 2);
  EXPECT_EQ(Red(&bmp, 0, 0), 255);
}

TEST(CachedFont, TextNeverLandsOutsideTheBitmap)
{
  RAS_CachedFont font;
  font.SetFromHFont(MakeFont(18, "DejaVu Sans"), 0x600);
  font.SetTextColor(RAS_RGBA(255, 255, 255, 255));
  WindowBitmap win(40, 20, 24);
  const RAS_Rect rects[] = {{-30, 5, 10, 20},
                            {30, 5, 70, 20},
                            {5, -15, 35, 5},
                            {5, 15, 35, 45},
                            {-20, -20, 60, 40},
                            {INT_MIN, INT_MIN, INT_MAX, INT_MAX},
                            {INT_MAX - 5, 0, INT_MAX, 20},
                            {-1000, -1000, -900, -900}};
  for (const RAS_Rect& rect : rects)
    for (unsigned flags : {0u, unsigned(RAS_DT_NOCLIP), unsigned(RAS_DT_CENTER | RAS_DT_VCENTER),
                           unsigned(RAS_DT_RIGHT | RAS_DT_BOTTOM | RAS_DT_NOCLIP)})
      for (unsigned path : {0u, unsigned(RAS_DT_USEFGALPHA)})
        for (float alpha : {1.0f, 0.5f})
        {
          font.SetCombineMode(RAS_BLEND_COPY, alpha);
          RAS_Rect r = rect;
          font.DrawText(&win, "Wgj\nMid", -1, &r, flags | path);
        }
  EXPECT_EQ(win.Damage(), 0);
  EXPECT_GT(Sum(&win), 0);
}

TEST(CachedFont, SampleSheet)
{
  // Set QUORVANE_SHAPES_PNG to a directory to get the rendering to look at.
  RAS_MemBitmap bmp(360, 300, 4);
  Clear(&bmp, RAS_RGBA(235, 230, 220, 255));
  RAS_CachedFont fonts[6];
  const struct
  {
    int size, weight;
    bool italic;
    const char* face;
  } styles[6] = {{8, 400, false, "Monaco"},        {10, 400, false, "Monaco"},
                 {12, 700, false, "DejaVu Sans"},  {16, 400, true, "DejaVu Sans"},
                 {24, 400, false, "DejaVu Serif"}, {32, 700, false, "Monaco"}};
  int y = 4;
  for (int i = 0; i < 6; ++i)
  {
    fonts[i].SetFromHFont(
        MakeFont(styles[i].size, styles[i].face, styles[i].weight, styles[i].italic), 0x600);
    fonts[i].SetTextColor(RAS_RGBA(20, 20, 20, 255));
    RAS_Rect r{4, y, 356, y + 60};
    y += fonts[i].DrawText(&bmp, "Level Drive gjpqy 0.5 dB", -1, &r, 0) + 2;
  }
  fonts[3].SetTextColor(RAS_RGBA(200, 0, 0, 128));
  RAS_Rect r{4, y, 356, y + 40};
  fonts[3].DrawText(&bmp, "translucent glyph path", -1, &r, RAS_DT_USEFGALPHA | RAS_DT_RIGHT);
  {
    RAS_CachedFont turned;
    turned.SetFromHFont(MakeFont(12, "DejaVu Sans", 400, false, SHIM_QUALITY_ANTIALIASED, 900),
                        0x600);
    RAS_Rect tr{340, 210, 360, 230};
    turned.DrawText(&bmp, "turned", -1, &tr, RAS_DT_NOCLIP);
  }
  RAS_FillCircle(&bmp, 40, 250, 30, RAS_RGBA(30, 90, 200, 255), 1.0f, RAS_BLEND_COPY, true);
  RAS_Circle(&bmp, 110, 250, 30, RAS_RGBA(30, 90, 200, 255), 1.0f, RAS_BLEND_COPY, true);
  RAS_Circle(&bmp, 160, 250, 3.5f, RAS_RGBA(200, 30, 30, 255), 1.0f, RAS_BLEND_COPY, true);
  RAS_Arc(&bmp, 210, 250, 25, -2.3f, 2.3f, RAS_RGBA(0, 0, 0, 255), 1.0f, RAS_BLEND_COPY, true);
  RAS_RoundRect(&bmp, 250, 220, 60, 50, 10, RAS_RGBA(0, 0, 0, 255), 1.0f, RAS_BLEND_COPY, true);
  for (int i = 0; i < 12; ++i)
    RAS_Line(&bmp, 330, 250, 330 + int(25 * std::cos(i * 0.5236)),
             250 + int(25 * std::sin(i * 0.5236)), RAS_RGBA(0, 0, 0, 255), 1.0f, RAS_BLEND_COPY,
             true);
  const int xs[5] = {200, 230, 240, 215, 190}, ys[5] = {275, 280, 295, 298, 290};
  RAS_FillConvexPolygon(&bmp, xs, ys, 5, RAS_RGBA(0, 140, 60, 255), 0.75f, RAS_BLEND_COPY);
  if (const char* dir = std::getenv("QUORVANE_SHAPES_PNG"))
  {
    EXPECT_TRUE(RAS_WritePNG(&bmp, (std::string(dir) + "/shapes_sample.png").c_str()));
  }
  EXPECT_GT(Sum(&bmp), 0);
}
