// The LED: a red dome, dark when off; lit, a hot core fading to red with a glow around it.
#include <cmath>

#include "raster/RAS_Raster.h"
#include "tools/artwork/ArtImages.h"
#include "tools/artwork/ArtLayout.h"
#include "tools/artwork/ArtMask.h"
#include "tools/artwork/ArtStrip.h"

namespace
{
constexpr double kDomeRadius = 5.0;

void DrawFrame(RAS_IBitmap* frame, bool lit)
{
  const double c = kLedSize * 0.5;
  const ArtColor red = lit ? Hex(0xff3b22) : Hex(0x3a0a0a);
  RAS_FillRect(frame, 0, 0, kLedSize, kLedSize, ToPixel(red), 1.0f, RAS_BLEND_COPY);

  const ArtMask dome = MaskFromDistance(kLedSize, kLedSize, Circle(c, c, kDomeRadius));
  PaintShaded(frame, dome, 0, 0,
              [&](double x, double y)
              {
                const double dx = x - c, dy = y - c, rr = std::hypot(dx, dy) / kDomeRadius;
                ArtColor col =
                    lit ? Mix(Hex(0xfff0d8), Hex(0xe8220f), SmoothStep(0.0, 1.0, rr))
                        : Mix(Hex(0x6a1414), Hex(0x2a0606), SmoothStep(-0.6, 1.0, (dx + dy) / 7.0));
                // Specular spot up and to the left.
                const double sx = dx + 1.9, sy = dy + 2.1;
                const double spot =
                    (lit ? 0.35 : 0.55) * std::exp(-(sx * sx + sy * sy) / (2.0 * 1.1 * 1.1));
                return Mix(col, ArtColor{1, 1, 1}, spot);
              });

  ArtMask alpha = dome;
  if (lit)
  {
    // Glow: falls off with distance beyond the dome, gone at the frame's edge.
    ArtMask glow(kLedSize, kLedSize);
    for (int y = 0; y < kLedSize; ++y)
      for (int x = 0; x < kLedSize; ++x)
      {
        const double d = std::hypot(x + 0.5 - c, y + 0.5 - c) - kDomeRadius;
        glow.Set(
            x, y,
            float(0.55 * std::exp(-d * d / 6.0) * (1.0 - SmoothStep(5.5, 8.0, d + kDomeRadius))));
      }
    alpha = United(dome, glow);
  }
  SetAlphaFromMask(frame, alpha, 0, 0);
}
} // namespace

std::unique_ptr<RAS_MemBitmap> DrawLed()
{
  return StackFrames(kLedSize, kLedSize, 2,
                     [](RAS_IBitmap* frame, int i) { DrawFrame(frame, i == 1); });
}
