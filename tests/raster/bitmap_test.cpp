#include <gtest/gtest.h>

#include <cstdint>

#include "platform/common/SHIM.h"
#include "raster/RAS_Bitmap.h"

namespace
{
bool Aligned64(const void* p)
{
  return (reinterpret_cast<uintptr_t>(p) & 63) == 0;
}
} // namespace

TEST(MemBitmap, RowSpanFollowsTheLowestBitOfTheAlignment)
{
  struct Case
  {
    int linealign, width, span;
  } cases[] = {
      {4, 5, 8},
      {4, 8, 8},
      {4, 1, 4},
      {0, 5, 5},
      {1, 5, 5},
      {-4, 5, 5},
      {6, 5, 6},
      {6, 6, 6},
      {2, 7, 8},
      {16, 17, 32},
      {32, 17, 32}, // alignment capped at 16
                    // pixels
      {12, 5, 8},
      {3, 5, 5},
      {64, 1, 16},
  };
  for (const Case& c : cases)
  {
    RAS_MemBitmap b(c.width, 3, c.linealign);
    EXPECT_EQ(b.getRowSpan(), c.span) << "linealign " << c.linealign << " width " << c.width;
    EXPECT_EQ(b.getWidth(), c.width);
    EXPECT_TRUE(Aligned64(b.getBits()));
  }
}

TEST(MemBitmap, GrowsByAQuarterAndNeverShrinksExceptToEmpty)
{
  RAS_MemBitmap b(100, 100, 4);
  ASSERT_NE(b.getBits(), nullptr);
  EXPECT_EQ(b.GetAllocatedSize(), 100u * 100 * 4); // first allocation is exact
  RAS_Pixel* first = b.getBits();

  EXPECT_TRUE(b.resize(50, 50));
  EXPECT_EQ(b.getBits(), first);
  EXPECT_EQ(b.getRowSpan(), 52);
  EXPECT_TRUE(b.resize(100, 100));
  EXPECT_EQ(b.getBits(), first);
  EXPECT_FALSE(b.resize(100, 100));

  EXPECT_TRUE(b.resize(100, 101));
  EXPECT_EQ(b.GetAllocatedSize(), 100u * 101 * 4 / 4 * 5);
  EXPECT_TRUE(Aligned64(b.getBits()));
  EXPECT_TRUE(b.resize(110, 110)); // still inside the quarter to spare
  EXPECT_EQ(b.GetAllocatedSize(), 100u * 101 * 4 / 4 * 5);

  EXPECT_TRUE(b.resize(0, 10));
  EXPECT_EQ(b.getBits(), nullptr);
  EXPECT_EQ(b.getWidth(), 0);
  EXPECT_EQ(b.getHeight(), 0);
  EXPECT_EQ(b.GetAllocatedSize(), 0u);
}

TEST(MemBitmap, NonsenseSizesGiveAnEmptyBitmap)
{
  const int sizes[][2] = {{-10, -10},
                          {-1, 5},
                          {5, -1},
                          {0, 0},
                          {1 << 20, 1 << 20},
                          {INT32_MAX, 1},
                          {INT32_MAX, INT32_MAX},
                          {16385, 16384}};
  for (const auto& s : sizes)
  {
    RAS_MemBitmap b(8, 8, 4);
    b.resize(s[0], s[1]);
    EXPECT_EQ(b.getBits(), nullptr) << s[0] << " x " << s[1];
    EXPECT_EQ(b.getWidth(), 0);
    EXPECT_EQ(b.getHeight(), 0);
  }
  RAS_MemBitmap edge(16384, 1, 4);
  EXPECT_NE(edge.getBits(), nullptr);
}

TEST(SysBitmap, WrapsAZeroedAlignedShimContext)
{
  RAS_SysBitmap b(5, 3);
  ASSERT_NE(b.getBits(), nullptr);
  ASSERT_NE(b.getDC(), nullptr);
  EXPECT_EQ(b.getRowSpan(), 8);
  EXPECT_TRUE(Aligned64(b.getBits()));
  auto* ctx = static_cast<SHIM_GfxContext*>(b.getDC());
  EXPECT_EQ(SHIM_GetCtxWidth(ctx), 8);
  EXPECT_EQ(SHIM_GetCtxHeight(ctx), 3);
  EXPECT_EQ(SHIM_GetCtxRowBytes(ctx), 32);
  EXPECT_EQ(SHIM_GetCtxFrameBuffer(ctx), static_cast<void*>(b.getBits()));
  for (int i = 0; i < 8 * 3; ++i)
    EXPECT_EQ(b.getBits()[i], 0u);

  // Shrinking stays in the context; growing past it makes a new one.
  RAS_Pixel* bits = b.getBits();
  EXPECT_TRUE(b.resize(4, 2));
  EXPECT_EQ(b.getBits(), bits);
  EXPECT_EQ(b.getRowSpan(), 8);
  EXPECT_TRUE(b.resize(9, 2));
  EXPECT_EQ(b.getRowSpan(), 12);
  EXPECT_EQ(b.getWidth(), 9);

  EXPECT_TRUE(b.resize(-3, 4));
  EXPECT_EQ(b.getBits(), nullptr);
  EXPECT_EQ(b.getDC(), nullptr);
  EXPECT_EQ(b.getWidth(), 0);
}

TEST(ShimContext, KeepsTextStateAndRefusesBadSizes)
{
  EXPECT_EQ(SHIM_CreateMemContext(nullptr, 0, 5), nullptr);
  EXPECT_EQ(SHIM_CreateMemContext(nullptr, -4, -4), nullptr);
  EXPECT_EQ(SHIM_CreateMemContext(nullptr, 1 << 16, 1 << 16), nullptr);
  SHIM_DeleteGfxContext(nullptr);
  EXPECT_EQ(SHIM_GetCtxFrameBuffer(nullptr), nullptr);
  EXPECT_EQ(SHIM_SetTextColor(nullptr, 5), 0);

  SHIM_GfxContext* c = SHIM_CreateMemContext(nullptr, 4, 4);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(SHIM_GetTextColor(c), 0);
  EXPECT_EQ(SHIM_GetBkMode(c), SHIM_OPAQUE);
  EXPECT_EQ(SHIM_GetBkColor(c), 0xFFFFFF);
  EXPECT_EQ(SHIM_GetCtxFont(c), nullptr);
  EXPECT_EQ(SHIM_SetTextColor(c, 0x12345678), 0);
  EXPECT_EQ(SHIM_SetTextColor(c, 0), 0x345678);
  EXPECT_EQ(SHIM_SetBkMode(c, SHIM_TRANSPARENT), SHIM_OPAQUE);
  auto* fake = reinterpret_cast<SHIM_Font*>(uintptr_t(0x40));
  EXPECT_EQ(SHIM_SelectFont(c, fake), nullptr);
  EXPECT_EQ(SHIM_SelectFont(c, nullptr), fake);

  // A reused record starts over with fresh, zeroed pixels and default state.
  static_cast<uint32_t*>(SHIM_GetCtxFrameBuffer(c))[3] = 0xDEADBEEF;
  SHIM_SetBkMode(c, SHIM_TRANSPARENT);
  SHIM_DeleteGfxContext(c);
  SHIM_GfxContext* d = SHIM_CreateMemContext(nullptr, 4, 4);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(static_cast<uint32_t*>(SHIM_GetCtxFrameBuffer(d))[3], 0u);
  EXPECT_EQ(SHIM_GetBkMode(d), SHIM_OPAQUE);
  SHIM_DeleteGfxContext(d);
}
