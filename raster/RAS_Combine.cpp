// The HSV-adjust operator: too large to inline everywhere and used by nothing hot.
#include "raster/RAS_Combine.h"

namespace
{
// inv[i] = floor(65536 / i) - 1, inv[0] = 0: divisions by a channel value as multiplies.
// Built at compile time, so no static constructor can run before it.
struct InverseTable
{
  int v[256];
  constexpr InverseTable() : v()
  {
    for (int i = 1; i < 256; ++i)
      v[i] = 65536 / i - 1;
  }
};
constexpr InverseTable kInv;
} // namespace

void RAS_CombinePixelsHSVAdjust::Combine(uint8_t* d, int r, int g, int b, int a, int w)
{
  const int R = d[1], G = d[2], B = d[3];
  int base, h, delta, vmax;
  if (R < G && B < G)
  {
    vmax = G;
    base = 128;
    h = B - R;
    delta = G - (B < R ? B : R);
  }
  else if (B >= G && B >= R)
  {
    vmax = B;
    base = 256;
    h = R - G;
    delta = B - (G < R ? G : R);
  }
  else
  {
    vmax = R;
    h = G - B;
    delta = R - (G < B ? G : B);
    base = G < B ? 383 : 0;
  }

  // Hue: 64 steps per sector, 384 around; r = 128 leaves it (r + r / 2 - 192 = 0).
  int hue = base + h * (kInv.v[delta] + 1) / 1024 + w * (r + r / 2 - 192) / 256;
  hue %= 384;
  if (hue < 0) hue += 384;
  const int sat = RAS_Clamp255(delta * kInv.v[vmax] / 256 + w * (g - 128) / 128);
  const int val = RAS_Clamp255(vmax + w * (b - 128) / 128);

  // Back in 14-bit fixed point: the chroma is val * sat / 255 (saturation 255 reaches
  // grey 0), and within a sector the rising or falling channel moves by chroma * f / 64.
  const int sector = hue / 64, f = hue % 64;
  const int v14 = val << 14;
  const int chroma14 = val * sat * 16384 / 255;
  const int p = (v14 - chroma14 + 8192) >> 14;
  const int q = (v14 - chroma14 / 64 * f + 8192) >> 14;
  const int t = (v14 - chroma14 / 64 * (64 - f) + 8192) >> 14;
  int nr, ng, nb;
  switch (sector)
  {
  case 0:
    nr = val, ng = t, nb = p;
    break;
  case 1:
    nr = q, ng = val, nb = p;
    break;
  case 2:
    nr = p, ng = val, nb = t;
    break;
  case 3:
    nr = p, ng = q, nb = val;
    break;
  case 4:
    nr = t, ng = p, nb = val;
    break;
  default:
    nr = val, ng = p, nb = q;
    break;
  }
  d[0] = uint8_t(RAS_Clamp255(a)); // fills pass their weight, up to 256, as a
  d[1] = uint8_t(RAS_Clamp255(nr));
  d[2] = uint8_t(RAS_Clamp255(ng));
  d[3] = uint8_t(RAS_Clamp255(nb));
}
