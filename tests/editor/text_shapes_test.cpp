// Text through the font cache, the composed shapes and rotated bitmaps.
#include "EditorTestUtil.h"

#include "editor/FontCache.h"
#include "editor/controls/IPanelControl.h"
#include "raster/RAS_CachedFont.h"
#include "raster/RAS_Raster.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

namespace
{
const uint32_t kWhite = 0xFFFFFFFFu;

// An editor whose draw rect covers its whole (white) bitmap.
struct Canvas
{
  TestEffect fx{"1-1", 1};
  HeadlessGraphics g;

  Canvas(int w, int h) : g(&fx, w, h)
  {
    g.PrepDraw();
    g.AttachControl(new IPanelControl(&fx, IRECT(0, 0, w, h), &COLOR_WHITE));
    IRECT all(0, 0, w, h);
    g.Draw(&all);
  }
  void Wipe() { RAS_FillRect(g.GetDrawBitmap(), 0, 0, g.Width(), g.Height(), kWhite, 1.0f, 0); }
  // The bounding box of pixels that are not white, or empty.
  IRECT Ink()
  {
    IRECT box;
    bool any = false;
    for (int y = 0; y < g.Height(); ++y)
      for (int x = 0; x < g.Width(); ++x)
        if (g.Pixel(x, y) != kWhite)
        {
          box = any ? box.Union(IRECT(x, y, x + 1, y + 1)) : IRECT(x, y, x + 1, y + 1);
          any = true;
        }
    return box;
  }
  std::string Row(int y, int x0, int x1)
  {
    std::string s;
    for (int x = x0; x < x1; ++x)
      s += g.Pixel(x, y) == kWhite ? '.' : '#';
    return s;
  }
};
} // namespace

TEST(EditorText, FontsAreSharedPerStyleAndSizedByLineHeight)
{
  Canvas c(10, 10);
  IText a(20, &COLOR_BLACK, "DejaVu Sans");
  RAS_IFont* font = c.g.CacheFont(&a);
  if (!font) GTEST_SKIP() << "no system font";
  EXPECT_EQ(a.mCached, font);
  // The one height correction brings the line height to the requested size.
  EXPECT_NEAR(font->GetLineHeight(), 20, 1);

  // Colour and quality are not part of the key; size, style, orientation and face are.
  IText sameKey(20, &COLOR_RED, "DejaVu Sans", IText::kStyleNormal, IText::kAlignFar, 0,
                IText::kQualityAntiAliased);
  EXPECT_EQ(c.g.CacheFont(&sameKey), font);
  const int before = s_fontCache.GetSize();
  IText bold(20, &COLOR_BLACK, "DejaVu Sans", IText::kStyleBold);
  IText bigger(21, &COLOR_BLACK, "DejaVu Sans");
  EXPECT_NE(c.g.CacheFont(&bold), font);
  EXPECT_NE(c.g.CacheFont(&bigger), font);
  EXPECT_EQ(s_fontCache.GetSize(), before + 2);

  // Sizes below 2 ask for 2: the same line height as size 2 itself.
  IText two(2), one(1), zero(0), negative(-5);
  RAS_IFont* f2 = c.g.CacheFont(&two);
  ASSERT_NE(f2, nullptr);
  for (IText* t : {&one, &zero, &negative})
  {
    RAS_IFont* f = c.g.CacheFont(t);
    ASSERT_NE(f, nullptr) << t->mSize;
    EXPECT_EQ(f->GetLineHeight(), f2->GetLineHeight()) << t->mSize;
  }
}

TEST(EditorText, MeasuringMovesOnlyTheEdgeTheAlignmentFrees)
{
  Canvas c(10, 10);
  IText text(14, &COLOR_BLACK, "DejaVu Sans", IText::kStyleNormal, IText::kAlignNear);
  if (!c.g.CacheFont(&text)) GTEST_SKIP() << "no system font";
  IRECT near(10, 20, 300, 100);
  ASSERT_TRUE(c.g.MeasureIText(&text, "Level", &near));
  const int w = near.W(), h = near.H();
  EXPECT_GT(w, 10);
  EXPECT_GT(h, 10);
  EXPECT_EQ(near.L, 10);
  EXPECT_EQ(near.T, 20);

  text.mAlign = IText::kAlignCenter;
  IRECT centre(10, 20, 301, 100); // midpoint 155.5 -> 155
  c.g.MeasureIText(&text, "Level", &centre);
  EXPECT_EQ(centre, IRECT(155 - w / 2, 20, 155 - w / 2 + w, 20 + h));

  text.mAlign = 7; // anything else aligns right
  IRECT right(10, 20, 300, 100);
  c.g.MeasureIText(&text, "Level", &right);
  EXPECT_EQ(right, IRECT(300 - w, 20, 300, 20 + h));

  // Nothing to draw is a success that touches nothing.
  IRECT untouched(1, 2, 3, 4);
  EXPECT_TRUE(c.g.DrawIText(&text, "", &untouched));
  EXPECT_TRUE(c.g.DrawIText(&text, nullptr, &untouched, true));
  EXPECT_EQ(untouched, IRECT(1, 2, 3, 4));
}

TEST(EditorText, DrawsInsideTheRectangleWithItsAlignment)
{
  Canvas c(120, 30);
  IText text(14, &COLOR_BLACK, "DejaVu Sans", IText::kStyleNormal, IText::kAlignNear);
  if (!c.g.CacheFont(&text)) GTEST_SKIP() << "no system font";
  IRECT box(10, 5, 110, 25);
  ASSERT_TRUE(c.g.DrawIText(&text, "Drive", &box));
  const IRECT nearInk = c.Ink();
  ASSERT_FALSE(nearInk.Empty());
  EXPECT_GE(nearInk.L, 10);
  EXPECT_LT(nearInk.L, 14);

  c.Wipe();
  text.mAlign = IText::kAlignFar;
  c.g.DrawIText(&text, "Drive", &box);
  const IRECT farInk = c.Ink();
  EXPECT_LE(farInk.R, 110);
  EXPECT_GT(farInk.R, 104);
  EXPECT_EQ(farInk.W(), nearInk.W());

  // A translucent colour goes through the glyph path and still draws, lighter.
  c.Wipe();
  IColor half(128, 0, 0, 0);
  IText ghost(14, &half, "DejaVu Sans", IText::kStyleNormal, IText::kAlignNear);
  c.g.DrawIText(&ghost, "Drive", &box);
  const IRECT ghostInk = c.Ink();
  EXPECT_FALSE(ghostInk.Empty());
  int darkest = 255;
  for (int y = ghostInk.T; y < ghostInk.B; ++y)
    for (int x = ghostInk.L; x < ghostInk.R; ++x)
      darkest = std::min(darkest, int(c.g.Pixel(x, y) >> 8 & 0xFF));
  EXPECT_GT(darkest, 40); // never fully black at half weight
}

TEST(EditorShapes, RoundedFillIsACrossWithFourDiscs)
{
  Canvas c(40, 30);
  c.Wipe();
  IRECT r(5, 5, 35, 25); // 30 x 20, radius 4
  ASSERT_TRUE(c.g.FillRoundRect(&COLOR_BLACK, &r, nullptr, 4, false));
  EXPECT_EQ(c.Ink(), IRECT(5, 5, 35, 25));
  // The very corners stay empty; the edges between the discs are full.
  EXPECT_EQ(c.g.Pixel(5, 5), kWhite);
  EXPECT_EQ(c.g.Pixel(34, 24), kWhite);
  EXPECT_EQ(c.Row(5, 5, 35).substr(4, 22), std::string(22, '#'));
  EXPECT_EQ(c.Row(15, 5, 35), std::string(30, '#'));

  // An outline touches the rectangle's edges only.
  c.Wipe();
  IRECT outline(2, 3, 12, 9);
  ASSERT_TRUE(c.g.DrawRect(&COLOR_BLACK, &outline));
  EXPECT_EQ(c.Ink(), IRECT(2, 3, 13, 10)); // corners inclusive
  EXPECT_EQ(c.Row(3, 0, 14), "..###########.");
  EXPECT_EQ(c.Row(6, 0, 14), "..#.........#.");
}

TEST(EditorShapes, FractionalLinesAndRadialLines)
{
  Canvas c(40, 40);
  IRECT r(10, 10, 30, 20);
  struct Case
  {
    float f;
    int at;
  };
  // Vertical: L + int(W * x); horizontal: B - int(H * y); both clamped to 0..1.
  const Case vertical[] = {{0.0f, 10},  {0.5f, 20}, {0.99f, 29},        {1.0f, 30},
                           {-2.0f, 10}, {5.0f, 30}, {std::nanf(""), 10}};
  for (const Case& v : vertical)
  {
    c.Wipe();
    c.g.DrawVerticalLine(&COLOR_BLACK, &r, v.f);
    EXPECT_EQ(c.Ink(), IRECT(v.at, 10, v.at + 1, 21)) << v.f;
  }
  const Case horizontal[] = {{0.0f, 20}, {0.25f, 18}, {1.0f, 10}, {3.0f, 10}};
  for (const Case& h : horizontal)
  {
    c.Wipe();
    c.g.DrawHorizontalLine(&COLOR_BLACK, &r, h.f);
    EXPECT_EQ(c.Ink(), IRECT(10, h.at, 31, h.at + 1)) << h.f;
  }

  // Angle 0 points up, pi/2 to the right (clockwise on screen).
  c.Wipe();
  c.g.DrawRadialLine(&COLOR_BLACK, 20.0f, 20.0f, 0.0f, 5.0f, 15.0f);
  EXPECT_EQ(c.Ink(), IRECT(20, 5, 21, 16));
  c.Wipe();
  c.g.DrawRadialLine(&COLOR_BLACK, 20.0f, 20.0f, float(M_PI / 2), 5.0f, 15.0f);
  const IRECT right = c.Ink();
  EXPECT_GE(right.L, 24);
  EXPECT_LE(right.R, 36);
  EXPECT_EQ(right.H(), 1);
}

TEST(EditorShapes, RotatedBitmapTurnsAboutItsCentre)
{
  Canvas c(20, 20);
  // A 5 x 9 bar, black, drawn centred at (10, 10): upright it covers x 8..12, y 6..14.
  c.g.AddStripImage("bar", 5, 9, {0x000000FFu});
  IBitmap bar = c.g.LoadIBitmap(9500, "bar");
  c.Wipe();
  ASSERT_TRUE(c.g.DrawRotatedBitmap(&bar, 10, 10, 0.0));
  EXPECT_EQ(c.Ink(), IRECT(8, 6, 13, 15));
  // A quarter turn lies within the same 5 x 9 destination box, so only its middle band
  // (the bar's width across) remains: rows 8..12, all five columns.
  c.Wipe();
  c.g.DrawRotatedBitmap(&bar, 10, 10, M_PI / 2);
  const IRECT turned = c.Ink();
  EXPECT_EQ(turned.L, 8);
  EXPECT_EQ(turned.R, 13);
  EXPECT_GE(turned.T, 7);
  EXPECT_LE(turned.B, 14);
  EXPECT_LT(turned.H(), 9);
}

TEST(EditorShapes, RotatedMaskBuildsAlphaFromTheMaskAndClipsToTheDrawRect)
{
  Canvas c(20, 20);
  // Base red; the mask adds alpha (black, so no colour) on its left half only; the top is
  // fully transparent.
  HeadlessGraphics::MemoryImage mask;
  mask.w = 4;
  mask.h = 4;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      mask.pixels.push_back(x < 2 ? 0x000000FFu : 0u);
  c.g.mMemoryImages["mask"] = mask;
  c.g.AddStripImage("base", 4, 4, {0x0000FFFFu}); // A 255, R 255
  c.g.AddStripImage("top", 4, 4, {0u});
  IBitmap base = c.g.LoadIBitmap(9510, "base");
  IBitmap m = c.g.LoadIBitmap(9511, "mask");
  IBitmap top = c.g.LoadIBitmap(9512, "top");
  c.Wipe();
  ASSERT_TRUE(c.g.DrawRotatedMask(&base, &m, &top, 3, 3, 0.0));
  // The scratch alpha is what the mask added: opaque on the left, none on the right, so
  // only the left half shows over the white canvas.
  EXPECT_EQ(c.Ink(), IRECT(3, 3, 5, 7));

  // The final blit clips to the draw rect.
  IRECT corner(0, 0, 4, 4);
  c.g.Draw(&corner); // draw rect = (0, 0, 4, 4); the white panel repaints
  c.Wipe();
  c.g.DrawRotatedMask(&base, &m, &top, 3, 3, 0.0);
  EXPECT_EQ(c.Ink(), IRECT(3, 3, 4, 4));
}
