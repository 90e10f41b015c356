// The about box: a dark rounded card with the name, what it is, the version and the maker.
#include <cmath>

#include "core/Version.h"
#include "effect/QuorvaneIdentity.h"
#include "raster/RAS_Raster.h"
#include "tools/artwork/ArtImages.h"
#include "tools/artwork/ArtLayout.h"
#include "tools/artwork/ArtMask.h"
#include "tools/artwork/ArtText.h"

std::unique_ptr<RAS_MemBitmap> DrawAbout()
{
  const ArtColor cream = Hex(0xf1e6c8), edge = Hex(0x000000);
  auto card = std::make_unique<RAS_MemBitmap>(kAboutW, kAboutH);
  RAS_FillRect(card.get(), 0, 0, kAboutW, kAboutH, ToPixel(edge), 1.0f, RAS_BLEND_COPY);

  // The card sits inside a margin that holds its soft shadow on the face.
  const double l = 3.0, t = 2.0, r = kAboutW - 3.0, b = kAboutH - 5.0;
  const ArtDistance shape = RoundRect(l, t, r, b, 10.0);
  const ArtMask body = MaskFromDistance(kAboutW, kAboutH, shape);
  const ArtMask dropShadow =
      Scaled(Blurred(MaskFromDistance(kAboutW, kAboutH,
                                      [&](double x, double y) { return shape(x, y - 2.0); }),
                     3),
             0.6);
  PaintShaded(card.get(), body, 0, 0,
              [&](double, double y)
              { return Mix(Hex(0x1d2a31), Hex(0x0f171b), (y - t) / (b - t)); });
  // A cream keyline inside the edge.
  const ArtMask keyline =
      MaskFromDistance(kAboutW, kAboutH,
                       [&](double x, double y) {
                         return std::fabs(RoundRect(l + 4, t + 4, r - 4, b - 4, 6.0)(x, y)) - 0.5;
                       });
  PaintSolid(card.get(), keyline, 0, 0, ToPixel(cream), 0.45);

  const RAS_Pixel text = ToPixel(cream), shadow = RAS_RGBA(0, 0, 0, 255);
  const RAS_Pixel soft = ToPixel(Mix(cream, Hex(0x1d2a31), 0.35));
  const double cx = kAboutW * 0.5;
  PaintText(card.get(), {"DejaVu Serif", 28, 700, true}, QuorvaneIdentity::kEffectName, cx, 36.0,
            text, shadow, 0.7, 1, 2, 2);
  PaintText(card.get(), {"DejaVu Sans", 9, 700, false}, "OVERDRIVE", cx, 62.0, soft, shadow, 0.0, 0,
            0, 0, 2);

  char version[32];
  GetVersionStr(QuorvaneIdentity::kVersion, version);
  PaintText(card.get(), {"DejaVu Sans", 12, 400, false}, version, cx, 92.0, text, shadow, 0.5, 0,
            1);
  PaintText(card.get(), {"DejaVu Sans", 10, 400, false}, "made by", cx, 116.0, soft, shadow, 0.0, 0,
            0);
  PaintText(card.get(), {"DejaVu Sans", 13, 700, false}, QuorvaneIdentity::kMfrName, cx, 132.0,
            text, shadow, 0.5, 0, 1);
  PaintText(card.get(), {"DejaVu Sans", 8, 400, false}, "click to close", cx, 153.0, soft, shadow,
            0.0, 0, 0);

  SetAlphaFromMask(card.get(), United(body, dropShadow), 0, 0);
  return card;
}
