// The pedal's face: a bevelled petrol-blue enclosure with corner screws, recesses and soft
// shadows under every control, cream printing (labels, the name), a maker's badge that opens
// the about box and a chrome ring around the footswitch.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "raster/RAS_Raster.h"
#include "tools/artwork/ArtImages.h"
#include "tools/artwork/ArtLayout.h"
#include "tools/artwork/ArtMask.h"
#include "tools/artwork/ArtText.h"

namespace
{
constexpr double kPi = 3.14159265358979323846;
constexpr double kLightX = -0.5547, kLightY = -0.8321;
const ArtColor kCream = Hex(0xf1e6c8);
constexpr const char* kSans = "DejaVu Sans";
constexpr const char* kSerif = "DejaVu Serif";

// Outward unit normal of a distance field, by central differences.
void Normal(const ArtDistance& d, double x, double y, double* nx, double* ny)
{
  const double gx = d(x + 0.5, y) - d(x - 0.5, y), gy = d(x, y + 0.5) - d(x, y - 0.5);
  const double len = std::hypot(gx, gy);
  *nx = len > 0 ? gx / len : 0;
  *ny = len > 0 ? gy / len : 0;
}

// Smooth value noise in 0..1 with features about `cell` pixels across: the dimples of a
// hammered paint finish. Deterministic, so the artwork redraws identically.
double Hammered(double x, double y)
{
  const double cell = 5.0;
  auto hash = [](int i, int j)
  {
    uint32_t h = uint32_t(i) * 374761393u + uint32_t(j) * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return double((h ^ (h >> 16)) & 0xFFFF) / 65535.0;
  };
  const double gx = x / cell, gy = y / cell;
  const int i = int(std::floor(gx)), j = int(std::floor(gy));
  const double fx = SmoothStep(0, 1, gx - i), fy = SmoothStep(0, 1, gy - j);
  const double top = hash(i, j) + (hash(i + 1, j) - hash(i, j)) * fx;
  const double bottom = hash(i, j + 1) + (hash(i + 1, j + 1) - hash(i, j + 1)) * fx;
  return top + (bottom - top) * fy;
}

// How much an outward normal faces the light: +1 full on, -1 away.
double Facing(double nx, double ny)
{
  return -(nx * kLightX + ny * kLightY);
}

// The colour near a shape's edge (within `width` of it): a raised edge turns toward white by
// up to `light` where it faces the light and toward black by up to `dark` where it faces away;
// a sunk edge's inner walls face the other way.
ArtColor EdgeLit(ArtColor col, const ArtDistance& shape, double x, double y, double width,
                 double light, double dark, bool sunk)
{
  const double edge = 1.0 - SmoothStep(0.0, width, -shape(x, y));
  if (edge <= 0) return col;
  double nx, ny;
  Normal(shape, x, y, &nx, &ny);
  const double f = sunk ? -Facing(nx, ny) : Facing(nx, ny);
  return f > 0 ? Mix(col, ArtColor{1, 1, 1}, light * f * edge)
               : Mix(col, ArtColor{0, 0, 0}, -dark * f * edge);
}

// A soft drop shadow of a shape, offset down and to the right.
void DropShadow(RAS_IBitmap* face, const ArtDistance& shape, double dx, double dy, int blur,
                double opacity)
{
  const ArtMask m =
      MaskFromDistance(kFaceW, kFaceH, [&](double x, double y) { return shape(x - dx, y - dy); });
  PaintSolid(face, Blurred(m, blur), 0, 0, RAS_RGBA(0, 0, 0, 255), opacity);
}

void DrawEnclosure(RAS_IBitmap* face)
{
  RAS_FillRect(face, 0, 0, kFaceW, kFaceH, ToPixel(Hex(0x0a1013)), 1.0f, RAS_BLEND_COPY);
  const ArtDistance shape = RoundRect(0.5, 0.5, kFaceW - 0.5, kFaceH - 0.5, 13.0);
  const ArtColor top = Hex(0x2f687c), bottom = Hex(0x18404f);
  PaintShaded(face, MaskFromDistance(kFaceW, kFaceH, shape), 0, 0,
              [&](double x, double y)
              {
                // A gentle diagonal sheen over the vertical gradient.
                const double sheen = 0.05 * std::exp(-std::pow((x * 0.6 + y - 120.0) / 70.0, 2.0));
                ArtColor col = Mix(top, bottom, y / kFaceH);
                col = Mix(col, ArtColor{1, 1, 1}, sheen);
                // Hammered finish: dimples of a few pixels, lit from the top left.
                const double slope = Hammered(x + 0.8, y + 1.2) - Hammered(x - 0.8, y - 1.2);
                col = slope > 0 ? Mix(col, ArtColor{1, 1, 1}, 0.06 * slope)
                                : Mix(col, ArtColor{0, 0, 0}, -0.10 * slope);
                // Rounded edge: the bevel catches the light on the top and left.
                col = EdgeLit(col, shape, x, y, 5.0, 0.35, 0.55, false);
                return col;
              });
}

// A domed screw head with a cross slot turned by angle (radians).
void DrawScrew(RAS_IBitmap* face, double cx, double cy, double angle)
{
  const double r = 5.0;
  DropShadow(face, Circle(cx, cy, r), 0.8, 1.2, 2, 0.6);
  const ArtMask head = MaskFromDistance(kFaceW, kFaceH, Circle(cx, cy, r));
  PaintShaded(face, head, 0, 0,
              [&](double x, double y)
              {
                const double dx = (x - cx) / r, dy = (y - cy) / r;
                const double along = dx * kLightX + dy * kLightY;
                const double sx = dx + 0.35, sy = dy + 0.45;
                const double v = 0.40 + 0.22 * along + 0.30 * std::exp(-(sx * sx + sy * sy) / 0.12);
                return ArtColor{v, v * 1.01, v * 1.06};
              });
  PaintSolid(face, MaskFromDistance(kFaceW, kFaceH, Ring(cx, cy, r - 0.3, 0.6)), 0, 0,
             RAS_RGBA(0, 0, 0, 255), 0.35);
  const double ca = std::cos(angle), sa = std::sin(angle), s = r - 1.6;
  ArtMask slots;
  for (int i = 0; i < 2; ++i)
  {
    const double ux = i ? -sa : ca, uy = i ? ca : sa;
    const ArtMask slot = MaskFromDistance(
        kFaceW, kFaceH, Capsule(cx - ux * s, cy - uy * s, cx + ux * s, cy + uy * s, 0.55));
    slots = i ? United(slots, slot) : slot;
  }
  PaintSolid(face, slots, 0, 0, ToPixel(Hex(0x1a1e21)), 0.85);
}

// A chrome ring (a bezel) of the given radii; lit on the top left of its outer edge.
void DrawBezel(RAS_IBitmap* face, double cx, double cy, double inner, double outer)
{
  DropShadow(face, Circle(cx, cy, outer), 1.0, 1.6, 2, 0.55);
  const double mid = (inner + outer) * 0.5;
  const ArtMask ring = MaskFromDistance(kFaceW, kFaceH, Ring(cx, cy, mid, outer - inner));
  PaintShaded(face, ring, 0, 0,
              [&](double x, double y)
              {
                const double dx = x - cx, dy = y - cy, rr = std::hypot(dx, dy);
                const double f = rr > 0 ? Facing(dx / rr, dy / rr) : 0;
                // Convex profile: the outer half faces outward, the inner half inward.
                const double profile = (rr - mid) / ((outer - inner) * 0.5);
                const double v = 0.50 + 0.32 * f * profile + 0.08 * (1.0 - profile * profile);
                return ArtColor{v, v * 1.01, v * 1.05};
              });
  PaintSolid(face, MaskFromDistance(kFaceW, kFaceH, Circle(cx, cy, inner)), 0, 0,
             ToPixel(Hex(0x0b0d0e)));
}

// A plate sunk into the face: shaded darker, lit on its lower right inner edge.
void DrawInsetPlate(RAS_IBitmap* face, double l, double t, double r, double b)
{
  const ArtDistance shape = RoundRect(l, t, r, b, 5.0);
  PaintShaded(face, MaskFromDistance(kFaceW, kFaceH, shape), 0, 0,
              [&](double x, double y)
              {
                ArtColor col = Mix(Hex(0x123340), Hex(0x0f2a35), (y - t) / (b - t));
                // Sunk: the inner wall facing the light is the one in shadow.
                return EdgeLit(col, shape, x, y, 2.5, 0.25, 0.55, true);
              });
  const ArtMask line =
      MaskFromDistance(kFaceW, kFaceH,
                       [&](double x, double y) {
                         return std::fabs(RoundRect(l + 3, t + 3, r - 3, b - 3, 3.0)(x, y)) - 0.45;
                       });
  PaintSolid(face, line, 0, 0, ToPixel(kCream), 0.35);
}

void DrawBadges(RAS_IBitmap* face)
{
  // Left: the maker's badge with an "i", the about box's click target.
  const double l = kAboutTarget[0], t = kAboutTarget[1], r = kAboutTarget[2], b = kAboutTarget[3];
  DrawInsetPlate(face, l, t, r, b);
  const double icx = l + 11.0, icy = (t + b) * 0.5;
  PaintSolid(face, MaskFromDistance(kFaceW, kFaceH, Circle(icx, icy, 5.5)), 0, 0, ToPixel(kCream),
             0.9);
  PaintText(face, {kSerif, 10, 700, false}, "i", icx + 0.2, icy, ToPixel(Hex(0x123340)), 0, 0.0, 0,
            0);
  PaintText(face, {"DejaVu Sans Condensed", 8, 700, false}, "halvercombe",
            (icx + 6.0 + r - 3.0) * 0.5, icy, ToPixel(kCream), RAS_RGBA(0, 0, 0, 255), 0.6, 0, 1);

  // Right: what the pedal is.
  const double l2 = kFaceW - r, r2 = kFaceW - l;
  DrawInsetPlate(face, l2, t, r2, b);
  PaintText(face, {kSans, 9, 700, false}, "OVERDRIVE", (l2 + r2) * 0.5, (t + b) * 0.5,
            ToPixel(kCream), RAS_RGBA(0, 0, 0, 255), 0.6, 0, 1, 0, 1);
}

// Where the jacks are: output on the left, input on the right, printed by the top edge.
void DrawJackMarks(RAS_IBitmap* face)
{
  const ArtFont font{kSans, 7, 700, false};
  PaintText(face, font, "OUT", 46.0, 14.5, ToPixel(kCream), RAS_RGBA(0, 0, 0, 255), 0.5, 0, 1, 0,
            1);
  PaintText(face, font, "IN", kFaceW - 46.0, 14.5, ToPixel(kCream), RAS_RGBA(0, 0, 0, 255), 0.5, 0,
            1, 0, 1);
  // The signal runs from right to left: both arrows point left, one into the pedal, one out.
  for (const double tip : {26.0, kFaceW - 34.0})
  {
    const ArtMask arrow =
        MaskFromDistance(kFaceW, kFaceH,
                         [&](double x, double y)
                         {
                           const double dx = x - tip, dy = std::fabs(y - 14.5);
                           return std::max({-dx, dx - 5.0, (dy - dx * 0.6) * 0.86});
                         });
    PaintSolid(face, arrow, 0, 0, ToPixel(kCream), 0.8);
  }
}

void DrawKnobSeats(RAS_IBitmap* face)
{
  for (const ArtPlace& k : kKnobs)
  {
    const double cx = k.x + kKnobFrame * 0.5, cy = k.y + kKnobFrame * 0.5;
    DropShadow(face, Circle(cx, cy, kKnobRadius), 2.0, 3.0, 4, 0.55);
    DropShadow(face, Circle(cx, cy, kKnobRadius), 0.6, 1.0, 1, 0.5);
    // Cream dots at the ends of the sweep.
    for (int side = -1; side <= 1; side += 2)
    {
      const double a = side * kKnobSweepDeg * 0.5 * kPi / 180.0, rr = kKnobRadius + 3.2;
      const double x = cx + rr * std::sin(a), y = cy - rr * std::cos(a);
      PaintSolid(face, MaskFromDistance(kFaceW, kFaceH, Circle(x, y, 1.1)), 0, 0, ToPixel(kCream),
                 0.85);
    }
    PaintText(face, {kSans, 9, 700, false}, k.label, cx, cy + kKnobRadius + 8.5, ToPixel(kCream),
              RAS_RGBA(0, 0, 0, 255), 0.55, 0, 1);
  }
}

void DrawTitle(RAS_IBitmap* face)
{
  PaintText(face, {kSerif, 31, 700, true}, "Quorvane", kFaceW * 0.5, 193.0, ToPixel(kCream),
            RAS_RGBA(0, 0, 0, 255), 0.6, 1, 2, 2);
  // A thin rule under the name, fading at its ends.
  ArtMask rule(kFaceW, kFaceH);
  for (int x = 40; x < kFaceW - 40; ++x)
  {
    const double u = (x + 0.5 - kFaceW * 0.5) / (kFaceW * 0.5 - 40.0);
    rule.Set(x, 213, float(0.6 * (1.0 - u * u)));
  }
  PaintSolid(face, rule, 0, 0, ToPixel(kCream));
}

void DrawFootswitchSeat(RAS_IBitmap* face)
{
  const double cx = kButton.x + kButtonSize * 0.5, cy = kButton.y + kButtonSize * 0.5;
  // A sunk ring for the switch's nut to sit in, and a printed ring around it.
  const ArtDistance seat = Circle(cx, cy, 22.5);
  PaintShaded(face, MaskFromDistance(kFaceW, kFaceH, seat), 0, 0,
              [&](double x, double y)
              { return EdgeLit(Hex(0x10303c), seat, x, y, 3.5, 0.22, 0.5, true); });
  DropShadow(face, Circle(cx, cy, kButtonSize * 0.5 - 0.5), 1.2, 2.0, 3, 0.6);
  PaintSolid(face, MaskFromDistance(kFaceW, kFaceH, Ring(cx, cy, 26.0, 0.9)), 0, 0, ToPixel(kCream),
             0.45);
  PaintText(face, {kSans, 9, 700, false}, kButton.label, cx, cy + 36.0, ToPixel(kCream),
            RAS_RGBA(0, 0, 0, 255), 0.55, 0, 1);
}
} // namespace

std::unique_ptr<RAS_MemBitmap> DrawBackground()
{
  auto face = std::make_unique<RAS_MemBitmap>(kFaceW, kFaceH);
  DrawEnclosure(face.get());
  DrawScrew(face.get(), 14.0, 14.0, 0.3);
  DrawScrew(face.get(), kFaceW - 14.0, 14.0, 1.1);
  DrawScrew(face.get(), 14.0, kFaceH - 14.0, 0.7);
  DrawScrew(face.get(), kFaceW - 14.0, kFaceH - 14.0, 0.1);
  DrawBezel(face.get(), kLed.x + kLedSize * 0.5, kLed.y + kLedSize * 0.5, 6.0, 10.0);
  DrawJackMarks(face.get());
  DrawBadges(face.get());
  DrawKnobSeats(face.get());
  DrawTitle(face.get());
  DrawFootswitchSeat(face.get());
  return face;
}
