// Redraw strategies and drawing primitives, checked on the pixels of the draw bitmap.
#include "EditorTestUtil.h"

#include "editor/BitmapCache.h"
#include "editor/IGraphicsBlend.h"
#include "editor/controls/IBitmapControl.h"
#include "editor/controls/IPanelControl.h"
#include "raster/RAS_Raster.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <string>
#include <thread>

namespace
{
// Opaque pixels by name; the raster layout is A | R << 8 | G << 16 | B << 24.
const uint32_t kRed = 0x000000FFu | 0xFFu << 8;
const uint32_t kGreen = 0x000000FFu | 0xFFu << 16;
const uint32_t kBlue = 0x000000FFu | 0xFFu << 24;
const uint32_t kWhite = 0xFFFFFFFFu;

// A 20 x 20 editor: a red background image, a green 10 x 10 control at (5, 5) and a blue
// 10 x 10 control at (10, 10) that overlaps it.
struct Layered
{
  TestEffect fx{"1-1", 1};
  HeadlessGraphics g{&fx, 20, 20};
  IBitmapControl* green = nullptr;
  IBitmapControl* blue = nullptr;

  explicit Layered(int idBase)
  {
    g.AddStripImage("red", 20, 20, {kRed});
    g.AddStripImage("green", 10, 10, {kGreen});
    g.AddStripImage("blue", 10, 10, {kBlue});
    g.PrepDraw();
    g.AttachBackground(idBase, "red");
    IBitmap gb = g.LoadIBitmap(idBase + 1, "green");
    IBitmap bb = g.LoadIBitmap(idBase + 2, "blue");
    green = new IBitmapControl(&fx, 5, 5, -1, &gb);
    blue = new IBitmapControl(&fx, 10, 10, -1, &bb);
    g.AttachControl(green);
    g.AttachControl(blue);
  }
  // Fills the whole draw bitmap with white, so untouched pixels stand out.
  void Wipe() { RAS_FillRect(g.GetDrawBitmap(), 0, 0, 20, 20, kWhite, 1.0f, 0); }
  // One character per pixel of row y: R, G, B, W or '?'.
  std::string Row(int y)
  {
    std::string s;
    for (int x = 0; x < 20; ++x)
    {
      const uint32_t p = g.Pixel(x, y);
      s += p == kRed ? 'R' : p == kGreen ? 'G' : p == kBlue ? 'B' : p == kWhite ? 'W' : '?';
    }
    return s;
  }
};
} // namespace

TEST(EditorDraw, StrictDrawingLayersControlsClippedToTheRegion)
{
  Layered l(9200);
  IRECT all;
  ASSERT_TRUE(l.g.IsDirty(&all));
  EXPECT_EQ(all, IRECT(0, 0, 20, 20));
  l.g.Draw(&all);
  EXPECT_EQ(l.Row(0), "RRRRRRRRRRRRRRRRRRRR");
  EXPECT_EQ(l.Row(7), "RRRRRGGGGGGGGGGRRRRR");
  EXPECT_EQ(l.Row(12), "RRRRRGGGGGBBBBBBBBBB");
  EXPECT_EQ(l.Row(19), "RRRRRRRRRRBBBBBBBBBB");

  // Only the region is repainted, every control touching it layered in order.
  l.Wipe();
  IRECT region(8, 8, 12, 12);
  l.g.Draw(&region);
  EXPECT_EQ(l.Row(7), "WWWWWWWWWWWWWWWWWWWW");
  EXPECT_EQ(l.Row(8), "WWWWWWWWGGGGWWWWWWWW");
  EXPECT_EQ(l.Row(11), "WWWWWWWWGGBBWWWWWWWW");
  EXPECT_EQ(l.Row(12), "WWWWWWWWWWWWWWWWWWWW");

  // Hidden controls are skipped; what lies beneath shows.
  l.blue->Hide(true);
  l.g.Draw(&region);
  EXPECT_EQ(l.Row(11), "WWWWWWWWGGGGWWWWWWWW");
}

TEST(EditorDraw, NonStrictDrawingRepaintsEachDirtyControlsRectangle)
{
  Layered l(9210);
  l.g.SetStrictDrawing(false);
  IRECT all(0, 0, 20, 20);
  l.g.Draw(&all); // background dirty: everything drawn once, all clean
  EXPECT_EQ(l.Row(12), "RRRRRGGGGGBBBBBBBBBB");
  IRECT none;
  EXPECT_FALSE(l.g.IsDirty(&none));

  // The green control dirty: every control overlapping it redraws, clipped to it.
  l.Wipe();
  l.green->SetDirty(false);
  IRECT d;
  ASSERT_TRUE(l.g.IsDirty(&d));
  EXPECT_EQ(d, IRECT(5, 5, 15, 15));
  l.g.Draw(&d);
  EXPECT_EQ(l.Row(4), "WWWWWWWWWWWWWWWWWWWW");
  EXPECT_EQ(l.Row(9), "WWWWWGGGGGGGGGGWWWWW");
  EXPECT_EQ(l.Row(14), "WWWWWGGGGGBBBBBWWWWW");
  EXPECT_EQ(l.Row(15), "WWWWWWWWWWWWWWWWWWWW");
  EXPECT_EQ(l.g.mScreenRects.back(), d);
  // Only the dirty control is cleaned; the blue one was merely drawn.
  EXPECT_FALSE(l.green->IsDirty());
}

TEST(EditorDraw, GrayedControlsDrawAtQuarterWeight)
{
  Layered l(9220);
  l.blue->GrayOut(true);
  IRECT all(0, 0, 20, 20);
  l.g.Draw(&all);
  // Copy with source alpha at weight w = 64, source alpha 255: w' = 64 * 256 / 256 = 64;
  // each colour byte D = S + (D - S) * 192 / 256 over a green pixel.
  const uint32_t p = l.g.Pixel(12, 12);
  EXPECT_EQ(int(p >> 8 & 0xFF), 0);                      // R: both 0
  EXPECT_EQ(int(p >> 16 & 0xFF), 0 + 255 * 192 / 256);   // G: 191
  EXPECT_EQ(int(p >> 24 & 0xFF), 255 - 255 * 192 / 256); // B: 255 + (0 - 255) * 192 / 256 = 64
}

TEST(EditorDraw, FrameSelectionPicksRoundedStripOffsets)
{
  TestEffect fx("1-1", 1);
  HeadlessGraphics g(&fx, 8, 8);
  g.PrepDraw();
  // A 2 x 7 vertical strip of 3 frames, each row's red byte its row number + 1, and a
  // 7 x 2 horizontal one coloured by column the same way.
  HeadlessGraphics::MemoryImage down, across;
  down.w = 2;
  down.h = 7;
  across.w = 7;
  across.h = 2;
  for (int y = 0; y < 7; ++y)
    down.pixels.insert(down.pixels.end(), 2, 0xFFu | uint32_t(y + 1) << 8);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 7; ++x)
      across.pixels.push_back(0xFFu | uint32_t(x + 1) << 8);
  g.mMemoryImages["down"] = down;
  g.mMemoryImages["across"] = across;
  IBitmap vertical = g.LoadIBitmap(9230, "down", 3);
  IBitmap horizontal = g.LoadIBitmap(9231, "across", 3, true);

  // Blits clip to the draw rect, which a redraw sets: make it the whole bitmap.
  g.AttachControl(new IPanelControl(&fx, IRECT(0, 0, 8, 8), &COLOR_BLACK));
  IRECT all(0, 0, 8, 8);
  g.Draw(&all);

  // Offset int(0.5 + (frame - 1) * 7 / 3): frames 2 and 3 start 2 and 5 pixels in;
  // frame 1 or less shows the first frame.
  struct Case
  {
    int frame;
    int offset;
  };
  const Case cases[] = {{-1, 0}, {0, 0}, {1, 0}, {2, 2}, {3, 5}};
  for (const Case& c : cases)
  {
    IRECT dest(0, 0, 2, 2);
    EXPECT_TRUE(g.DrawBitmap(&vertical, &dest, c.frame, nullptr));
    EXPECT_EQ(int(g.Pixel(0, 0) >> 8 & 0xFF), c.offset + 1) << "frame " << c.frame;
    EXPECT_TRUE(g.DrawBitmap(&horizontal, &dest, c.frame, nullptr));
    EXPECT_EQ(int(g.Pixel(0, 0) >> 8 & 0xFF), c.offset + 1) << "frame " << c.frame;
  }

  // Outside the draw rect nothing is drawn.
  IRECT small(0, 0, 1, 1);
  g.GetControl(0)->SetDirty(false);
  g.Draw(&small);
  IRECT dest(4, 4, 6, 6);
  g.DrawBitmap(&vertical, &dest, 1, nullptr);
  EXPECT_EQ(g.Pixel(4, 4), 0x000000FFu); // still the black panel
}

TEST(EditorDraw, BlendRecordsMapToRasterModes)
{
  struct Case
  {
    int method;
    int bitmap, rotated, line;
  };
  const Case cases[] = {
      {0, 0x10000, 0x10100, 0}, {1, 0, 0x100, 0},         {2, 0x10001, 0x10101, 1},
      {3, 0x10002, 0x10102, 2}, {5, 0x10000, 0x10100, 0}, {-1, 0x10000, 0x10100, 0},
  };
  for (const Case& c : cases)
  {
    IChannelBlend b(c.method, 0.5f);
    EXPECT_EQ(BitmapBlendMode(&b), c.bitmap) << c.method;
    EXPECT_EQ(RotatedBlendMode(&b), c.rotated) << c.method;
    EXPECT_EQ(LineBlendMode(&b), c.line) << c.method;
  }
  EXPECT_EQ(BitmapBlendMode(nullptr), 0x10000);
  EXPECT_EQ(LineBlendMode(nullptr), 0);
  EXPECT_FLOAT_EQ(BlendWeight(nullptr), 1.0f);

  // Colours pack as A | R << 8 | G << 16 | B << 24 and read back the same way.
  EXPECT_EQ(IColorToPixel(IColor(0x11, 0x22, 0x33, 0x44)), 0x44332211u);
  EXPECT_EQ(IColorToPixel(IColor(0x111, -1, 0, 0)), 0x0000FF11u); // masked to 8 bits
  EXPECT_EQ(PixelToIColor(0x44332211u), IColor(0x11, 0x22, 0x33, 0x44));
}

TEST(EditorDraw, PixelsAndFillsAndMissingBitmapsAreSafe)
{
  TestEffect fx("1-1", 1);
  HeadlessGraphics g(&fx, 4, 3);
  IColor c(255, 1, 2, 3);
  // Before PrepDraw there is nothing to draw into: no crash, nothing read.
  EXPECT_FALSE(g.ForcePixel(&c, 0, 0));
  EXPECT_EQ(g.GetPoint(0, 0), IColor(0, 0, 0, 0));
  EXPECT_EQ(g.GetBits(), nullptr);
  g.PrepDraw();
  ASSERT_NE(g.GetBits(), nullptr);

  EXPECT_TRUE(g.ForcePixel(&c, 3, 2));
  EXPECT_EQ(g.GetPoint(3, 2), c);
  const int outside[][2] = {{4, 0}, {0, 3}, {-1, 0}, {0, -1}, {1 << 30, 1 << 30}};
  for (const auto& p : outside)
    EXPECT_FALSE(g.ForcePixel(&c, p[0], p[1]));

  IColor half(128, 200, 100, 50);
  IRECT r(1, 1, 3, 2);
  EXPECT_TRUE(g.FillIRect(&half, &r, nullptr));
  EXPECT_EQ(g.GetPoint(0, 0), IColor(0, 0, 0, 0));
  EXPECT_NE(g.GetPoint(1, 1), IColor(0, 0, 0, 0));

  EXPECT_TRUE(g.DrawPoint(&c, 0.6f, 0.4f)); // rounds to (1, 0)
  EXPECT_EQ(g.GetPoint(1, 0), c);

  // A bitmap that could not be loaded draws nothing anywhere.
  IBitmap missing = g.LoadIBitmap(9240, "nowhere.png", 4);
  EXPECT_EQ(missing.mData, nullptr);
  EXPECT_EQ(missing.W, 0);
  EXPECT_EQ(missing.H, 0);
  IRECT all(0, 0, 4, 3);
  EXPECT_FALSE(g.DrawBitmap(&missing, &all, 2));
  EXPECT_FALSE(g.DrawRotatedBitmap(&missing, 2, 2, 1.0));
  EXPECT_FALSE(g.DrawRotatedMask(&missing, &missing, &missing, 0, 0, 30.0));
  IBitmap scaled = g.ScaleBitmap(&missing, 10, 10);
  IBitmap cropped = g.CropBitmap(&missing, &all);
  EXPECT_EQ(scaled.mData, nullptr);
  EXPECT_EQ(cropped.mData, nullptr);
  g.ReleaseBitmap(&missing);
  EXPECT_EQ(g.GetPoint(3, 2), c);
}

TEST(EditorBitmaps, CacheSharesByIdAndOwnsRetainedBitmaps)
{
  TestEffect fx("1-1", 1);
  HeadlessGraphics g(&fx, 4, 4);
  g.AddStripImage("first", 3, 2, {kRed, kGreen});
  g.AddStripImage("second", 5, 5, {kBlue});
  IBitmap a = g.LoadIBitmap(9250, "first", 2);
  IBitmap b = g.LoadIBitmap(9250, "second", 1, true);
  ASSERT_NE(a.mData, nullptr);
  EXPECT_EQ(a.mData, b.mData); // the id decides; the second name is never loaded
  EXPECT_EQ(g.mLoads.size(), 1u);
  EXPECT_EQ(b.W, 3);
  EXPECT_EQ(b.H, 4);
  EXPECT_EQ(b.N, 1);
  EXPECT_TRUE(b.mFramesAreHorizontal);

  // Another editor of the module shares the decoded image.
  HeadlessGraphics other(&fx, 4, 4);
  EXPECT_EQ(other.LoadIBitmap(9250, "whatever").mData, a.mData);
  EXPECT_TRUE(other.mLoads.empty());

  const int before = s_bitmapCache.GetSize();
  IRECT crop(0, 2, 3, 4); // the second frame
  IBitmap c = g.CropBitmap(&a, &crop);
  ASSERT_NE(c.mData, nullptr);
  EXPECT_EQ(c.W, 3);
  EXPECT_EQ(c.H, 2);
  EXPECT_EQ(c.N, 2);
  EXPECT_EQ(RAS_GetPixel(c.mData, 0, 0), kGreen);
  IBitmap s = g.ScaleBitmap(&a, 6, 8);
  ASSERT_NE(s.mData, nullptr);
  EXPECT_EQ(RAS_GetPixel(s.mData, 0, 0), kRed);
  EXPECT_EQ(RAS_GetPixel(s.mData, 5, 7), kGreen);
  EXPECT_EQ(s_bitmapCache.GetSize(), before + 2);

  g.ReleaseBitmap(&c);
  g.ReleaseBitmap(&c); // a second release finds nothing and frees nothing
  EXPECT_EQ(s_bitmapCache.GetSize(), before + 1);
  g.ReleaseBitmap(&s);
  EXPECT_EQ(s_bitmapCache.GetSize(), before);
}

TEST(EditorBitmaps, LoadsPngFilesThroughThePlatform)
{
  TestEffect fx("1-1", 1);
  HeadlessGraphics g(&fx, 4, 4);
  char dir[] = "/tmp/quorvane-editor-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  g.mImageDir = dir;
  RAS_MemBitmap src(2, 4, 4);
  RAS_FillRect(&src, 0, 0, 2, 2, kRed, 1.0f, 0);
  RAS_FillRect(&src, 0, 2, 2, 2, kBlue, 1.0f, 0);
  const std::string path = std::string(dir) + "/two.png";
  ASSERT_TRUE(RAS_WritePNG(&src, path.c_str()));

  IBitmap b = g.LoadIBitmap(9260, "two.png", 2);
  ASSERT_NE(b.mData, nullptr);
  EXPECT_EQ(b.W, 2);
  EXPECT_EQ(b.H, 4);
  EXPECT_EQ(b.FrameHeight(), 2);
  EXPECT_EQ(RAS_GetPixel(b.mData, 1, 3), kBlue);
  std::remove(path.c_str());
  rmdir(dir);
}

TEST(EditorBitmaps, EditorsOnSeveralThreadsShareTheCacheSafely)
{
  // Each thread's editor loads its own ids and a shared one, then releases what it made.
  const int before = s_bitmapCache.GetSize();
  auto work = [](int base, int* sharedLoads)
  {
    TestEffect fx("1-1", 1);
    HeadlessGraphics g(&fx, 4, 4);
    g.AddStripImage("img", 2, 2, {0xFFu});
    IRECT corner(0, 0, 1, 1);
    for (int i = 0; i < 100; ++i)
    {
      IBitmap own = g.LoadIBitmap(base + i, "img");
      g.LoadIBitmap(9799, "img");
      IBitmap crop = g.CropBitmap(&own, &corner);
      g.ReleaseBitmap(&crop);
      g.ReleaseBitmap(&own);
    }
    *sharedLoads = 0;
    for (const auto& load : g.mLoads)
      *sharedLoads += load.id == 9799;
  };
  int loadsA = 0, loadsB = 0;
  std::thread a(work, 10000, &loadsA), b(work, 20000, &loadsB);
  a.join();
  b.join();
  // The shared id may be decoded by both editors at once, but by each at most once.
  EXPECT_LE(loadsA, 1);
  EXPECT_LE(loadsB, 1);
  EXPECT_GE(loadsA + loadsB, 1);
  // Every own and cropped bitmap was released; only the shared one (once or twice) stays.
  const int grown = s_bitmapCache.GetSize() - before;
  EXPECT_GE(grown, 1);
  EXPECT_LE(grown, 2);
}
