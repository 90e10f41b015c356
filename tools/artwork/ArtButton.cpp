// The footswitch: a chrome nut ring around a domed chrome plunger. Pressed, the plunger
// sinks: smaller, darker, its highlight dimmed.
#include <cmath>

#include "raster/RAS_Raster.h"
#include "tools/artwork/ArtImages.h"
#include "tools/artwork/ArtLayout.h"
#include "tools/artwork/ArtMask.h"
#include "tools/artwork/ArtStrip.h"

namespace
{
constexpr double kLightX = -0.5547, kLightY = -0.8321;

// Brushed chrome: bright toward the light, with a soft band across the middle.
ArtColor Chrome(double facing, double brightness)
{
  const double v = Clamp01((0.45 + 0.35 * facing) * brightness);
  return ArtColor{v, v * 1.01, v * 1.05};
}

void DrawFrame(RAS_IBitmap* frame, bool pressed)
{
  const double c = kButtonSize * 0.5, R = kButtonSize * 0.5 - 0.5;
  RAS_FillRect(frame, 0, 0, kButtonSize, kButtonSize, ToPixel(Hex(0x505458)), 1.0f, RAS_BLEND_COPY);

  // Nut ring: a flat ring lit from the top left, its outer edge bevelled.
  const ArtMask body = MaskFromDistance(kButtonSize, kButtonSize, Circle(c, c, R));
  PaintShaded(frame, body, 0, 0,
              [&](double x, double y)
              {
                const double dx = x - c, dy = y - c, rr = std::hypot(dx, dy);
                const double facing = rr > 0 ? -(dx * kLightX + dy * kLightY) / rr : 0;
                const double bevel = SmoothStep(R - 3.0, R, rr);
                const double linear = -(dx * kLightX + dy * kLightY) / R; // flat face gradient
                return Chrome(0.35 * linear + 0.9 * bevel * facing, 1.0);
              });

  // The hole the plunger sits in: a dark gap ring.
  const double plunger = pressed ? 11.5 : 12.5;
  const ArtMask gap = MaskFromDistance(kButtonSize, kButtonSize, Circle(c, c, 14.0));
  PaintSolid(frame, gap, 0, 0, ToPixel(Hex(0x16181a)));

  // The plunger: a dome with a ring highlight; pressed, lower and dimmer.
  const double oy = pressed ? 0.7 : 0.0;
  const ArtMask dome = MaskFromDistance(kButtonSize, kButtonSize, Circle(c, c + oy, plunger));
  const double bright = pressed ? 0.78 : 1.0;
  PaintShaded(frame, dome, 0, 0,
              [&](double x, double y)
              {
                const double dx = x - c, dy = y - c - oy, rr = std::hypot(dx, dy) / plunger;
                const double along = (dx * kLightX + dy * kLightY) / plunger;
                // Convex: the lit side brightens toward the rim, the far side darkens.
                ArtColor col = Chrome(0.9 * along * rr + 0.25 * (1.0 - rr * rr), bright);
                const double sx = dx + 4.0, sy = dy + 4.5;
                const double spot =
                    (pressed ? 0.35 : 0.6) * std::exp(-(sx * sx + sy * sy) / (2.0 * 2.6 * 2.6));
                return Mix(col, ArtColor{1, 1, 1}, spot);
              });
  const ArtMask lip =
      MaskFromDistance(kButtonSize, kButtonSize, Ring(c, c + oy, plunger - 0.6, 1.0));
  PaintSolid(frame, lip, 0, 0, RAS_RGBA(0, 0, 0, 255), 0.35);

  SetAlphaFromMask(frame, body, 0, 0);
}
} // namespace

std::unique_ptr<RAS_MemBitmap> DrawButton()
{
  return StackFrames(kButtonSize, kButtonSize, 2,
                     [](RAS_IBitmap* frame, int i) { DrawFrame(frame, i == 1); });
}
