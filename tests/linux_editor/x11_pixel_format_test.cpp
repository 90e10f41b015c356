// Editor pixels (A R G B bytes) to the words of the visuals X servers offer.
#include "platform/linux/X11PixelFormat.h"

#include <gtest/gtest.h>

TEST(X11PixelFormat, PacksEachChannelIntoTheVisualsMasks)
{
  // One pixel, bytes A R G B = 0x80 0x12 0xC4 0xFF (the alpha byte never shows).
  const uint8_t src[4] = {0x80, 0x12, 0xC4, 0xFF};
  const struct
  {
    uint32_t r, g, b;
    int depth;
    bool swap;
    uint32_t word; // worked by hand
  } cases[] = {
      {0xFF0000, 0x00FF00, 0x0000FF, 24, false, 0x0012C4FF}, // the usual depth 24
      {0xFF0000, 0x00FF00, 0x0000FF, 32, false, 0xFF12C4FF}, // ARGB visual: opaque alpha
      {0x0000FF, 0x00FF00, 0xFF0000, 24, false, 0x00FFC412}, // BGR order
      {0xFF0000, 0x00FF00, 0x0000FF, 24, true, 0xFFC41200},  // other byte order
      // 5-6-5: 0x12 -> round(18 * 31 / 255) = 2, 0xC4 -> round(196 * 63 / 255) = 48, 0xFF -> 31.
      {0xF800, 0x07E0, 0x001F, 16, false, (2u << 11) | (48u << 5) | 31u},
      // 10 bits per channel: 0x12 -> round(18 * 1023 / 255) = 72, 0xC4 -> 786, 0xFF -> 1023.
      {0x3FF00000, 0x000FFC00, 0x000003FF, 30, false, (72u << 20) | (786u << 10) | 1023u},
  };
  for (const auto& c : cases)
  {
    X11PixelFormat format(c.r, c.g, c.b, c.depth, c.swap);
    uint32_t out[2] = {0, 0xDEADBEEF};
    format.ConvertRow(src, out, 1);
    EXPECT_EQ(out[0], c.word) << std::hex << c.r << " " << c.depth << " " << c.swap;
    EXPECT_EQ(out[1], 0xDEADBEEFu); // nothing written past n
  }
}
