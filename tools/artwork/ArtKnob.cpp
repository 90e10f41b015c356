// The knob: a dark knurled skirt, a domed cap with a highlight and a cream pointer line. The
// light comes from the top left and stays put while the skirt's ridges and the pointer turn.
#include <cmath>

#include "raster/RAS_Raster.h"
#include "tools/artwork/ArtImages.h"
#include "tools/artwork/ArtLayout.h"
#include "tools/artwork/ArtMask.h"
#include "tools/artwork/ArtStrip.h"

namespace
{
constexpr double kPi = 3.14159265358979323846;
constexpr double kCapRadius = 13.5;
constexpr int kRidges = 28;
// Unit vector toward the light, screen coordinates (y down).
constexpr double kLightX = -0.5547, kLightY = -0.8321;

// One frame, the pointer at angle t (radians, 0 up, clockwise).
void DrawFrame(RAS_IBitmap* frame, double t)
{
  const double c = kKnobFrame * 0.5, R = kKnobRadius;
  const ArtColor edge = Hex(0x18181b);
  RAS_FillRect(frame, 0, 0, kKnobFrame, kKnobFrame, ToPixel(edge), 1.0f, RAS_BLEND_COPY);

  const ArtMask skirt = MaskFromDistance(kKnobFrame, kKnobFrame, Circle(c, c, R));
  PaintShaded(frame, skirt, 0, 0,
              [&](double x, double y)
              {
                const double dx = x - c, dy = y - c, rr = std::hypot(dx, dy);
                const double ux = rr > 0 ? dx / rr : 0, uy = rr > 0 ? dy / rr : 0;
                const double facing = -(ux * kLightX + uy * kLightY); // +1 toward the light
                // Ridges turn with the knob; their sides catch the light by their facing.
                const double phi = std::atan2(dx, -dy) - t;
                const double ridge = std::sin(kRidges * phi);
                const double knurl = SmoothStep(kCapRadius, kCapRadius + 1.5, rr);
                double shade = 0.16 + 0.05 * facing + knurl * 0.045 * ridge * (0.6 + 0.4 * facing);
                // Rounded outer edge: lit on the light's side, dark on the other.
                shade += SmoothStep(R - 2.5, R, rr) * 0.10 * facing;
                return ArtColor{shade, shade, shade * 1.08};
              });

  // Cap: a shallow dome, lighter toward the light, with a soft specular spot.
  const ArtMask cap = MaskFromDistance(kKnobFrame, kKnobFrame, Circle(c, c, kCapRadius));
  const ArtColor capLit = Hex(0x5a5a62), capDark = Hex(0x141417);
  PaintShaded(frame, cap, 0, 0,
              [&](double x, double y)
              {
                const double dx = x - c, dy = y - c;
                const double along =
                    (dx * kLightX + dy * kLightY) / kCapRadius; // +1 toward the light
                ArtColor col = Mix(capDark, capLit, Clamp01(0.5 + 0.5 * along));
                // Machined rings: a sheen across the cap along the light's direction and back.
                const double phi = std::atan2(dy, dx) - std::atan2(kLightY, kLightX);
                col = Mix(col, ArtColor{1, 1, 1}, 0.07 * std::pow(std::cos(phi), 2.0));
                const double sx = x - (c - 4.5), sy = y - (c - 6.0);
                const double spot = 0.30 * std::exp(-(sx * sx + sy * sy) / (2.0 * 3.2 * 3.2));
                return Mix(col, ArtColor{1, 1, 1}, spot);
              });
  // The cap's rim: a bright line toward the light, a dark one away from it.
  const ArtMask rim = MaskFromDistance(kKnobFrame, kKnobFrame, Ring(c, c, kCapRadius, 1.1));
  PaintShaded(
      frame, rim, 0, 0,
      [&](double x, double y)
      {
        const double dx = x - c, dy = y - c, rr = std::hypot(dx, dy);
        const double facing = rr > 0 ? -(dx * kLightX + dy * kLightY) / rr : 0;
        return Mix(Hex(0x0a0a0c), Hex(0x8a8a94), Clamp01(0.5 + 0.5 * facing));
      },
      0.8);

  // Pointer from near the centre over the skirt to its edge, with a thin shadow.
  const double px = std::sin(t), py = -std::cos(t);
  const double r0 = 4.0, r1 = R - 1.8;
  const ArtMask shadow =
      Blurred(MaskFromDistance(kKnobFrame, kKnobFrame,
                               Capsule(c + px * r0 + 0.7, c + py * r0 + 1.0, c + px * r1 + 0.7,
                                       c + py * r1 + 1.0, 1.5)),
              1);
  PaintSolid(frame, Intersected(shadow, skirt), 0, 0, RAS_RGBA(0, 0, 0, 255), 0.6);
  const ArtMask pointer = MaskFromDistance(
      kKnobFrame, kKnobFrame, Capsule(c + px * r0, c + py * r0, c + px * r1, c + py * r1, 1.2));
  PaintSolid(frame, pointer, 0, 0, ToPixel(Hex(0xf4e9cc)));

  SetAlphaFromMask(frame, skirt, 0, 0);
}
} // namespace

std::unique_ptr<RAS_MemBitmap> DrawKnobStrip()
{
  return StackFrames(kKnobFrame, kKnobFrame, kKnobFrames,
                     [](RAS_IBitmap* frame, int i)
                     {
                       const double v = double(i) / (kKnobFrames - 1);
                       DrawFrame(frame, (v - 0.5) * kKnobSweepDeg * kPi / 180.0);
                     });
}
