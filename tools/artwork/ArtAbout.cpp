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
  const ArtColor cream = Hex(0xf1e6c8), edge = Hex(0x0c1418);
  auto card = std::make_unique<RAS_MemBitmap>(kAboutW, kAboutH);
  RAS_FillRect(card.get(), 0, 0, kAboutW, kAboutH, ToPixel(edge), 1.0f, RAS_BLEND_COPY);

  const ArtDistance shape = RoundRect(0.5, 0.5, kAboutW - 0.5, kAboutH - 0.5, 10.0);
  const ArtMask body = MaskFromDistance(kAboutW, kAboutH, shape);
  PaintShaded(card.get(), body, 0, 0,
              [&](double, double y) { return Mix(Hex(0x1d2a31), Hex(0x0f171b), y / kAboutH); });
  // A cream keyline inside the edge.
  const ArtMask keyline = MaskFromDistance(
      kAboutW, kAboutH,
      [&](double x, double y)
      { return std::fabs(RoundRect(5, 5, kAboutW - 5, kAboutH - 5, 6.0)(x, y)) - 0.5; });
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
  PaintText(card.get(), {"DejaVu Sans", 8, 400, false}, "click to close", cx, 160.0, soft, shadow,
            0.0, 0, 0);

  SetAlphaFromMask(card.get(), body, 0, 0);
  return card;
}
