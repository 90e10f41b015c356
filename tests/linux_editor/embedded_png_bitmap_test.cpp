// Embedded images report their size from the header and decode on first use to the
// same pixels as an eager decode.
#include "platform/linux/EmbeddedPNGBitmap.h"
#include "raster/RAS_Raster.h"
#include "resources/EmbeddedResources.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

TEST(EmbeddedPNGBitmap, SizeFromTheHeaderPixelsOnFirstUseGarbageRefused)
{
  const EmbeddedResource* res = FindEmbeddedResource("quorvane_knob_02.png");
  ASSERT_NE(res, nullptr);
  std::unique_ptr<RAS_IBitmap> eager(RAS_LoadPNGFromMemory(res->data, res->size));
  ASSERT_NE(eager, nullptr);
  std::unique_ptr<EmbeddedPNGBitmap> lazy(EmbeddedPNGBitmap::Create(res->data, res->size));
  ASSERT_NE(lazy, nullptr);
  EXPECT_EQ(lazy->getWidth(), eager->getWidth());
  EXPECT_EQ(lazy->getHeight(), eager->getHeight());
  ASSERT_NE(lazy->getBits(), nullptr);
  for (int y = 0; y < eager->getHeight(); ++y)
    for (int x = 0; x < eager->getWidth(); ++x)
      ASSERT_EQ(lazy->getBits()[y * lazy->getRowSpan() + x],
                eager->getBits()[y * eager->getRowSpan() + x])
          << x << "," << y;

  // Not a PNG, a header cut short, a zero or absurd size.
  std::vector<unsigned char> bytes(res->data, res->data + 24);
  EXPECT_EQ(EmbeddedPNGBitmap::Create(bytes.data(), 23), nullptr);
  EXPECT_EQ(EmbeddedPNGBitmap::Create(nullptr, 100), nullptr);
  bytes[1] = 'Q';
  EXPECT_EQ(EmbeddedPNGBitmap::Create(bytes.data(), bytes.size()), nullptr);
  bytes[1] = 'P';
  bytes[16] = bytes[17] = bytes[18] = bytes[19] = 0; // width 0
  EXPECT_EQ(EmbeddedPNGBitmap::Create(bytes.data(), bytes.size()), nullptr);
  bytes[16] = 0x7F; // width of two thousand million
  EXPECT_EQ(EmbeddedPNGBitmap::Create(bytes.data(), bytes.size()), nullptr);
  // A valid header over a body cut short: the size stands, decoding yields no pixels.
  bytes[16] = 0;
  bytes[19] = 8;
  std::unique_ptr<EmbeddedPNGBitmap> cut(EmbeddedPNGBitmap::Create(bytes.data(), bytes.size()));
  ASSERT_NE(cut, nullptr);
  EXPECT_EQ(cut->getWidth(), 8);
  EXPECT_EQ(cut->getBits(), nullptr);
  EXPECT_EQ(cut->getWidth(), 0);
}
