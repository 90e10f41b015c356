#include "tools/artwork/ArtMask.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "raster/RAS_Raster.h"
#include "raster/RAS_Shapes.h"

double Clamp01(double v)
{
  return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v);
}

double SmoothStep(double e0, double e1, double v)
{
  const double t = Clamp01((v - e0) / (e1 - e0));
  return t * t * (3.0 - 2.0 * t);
}

RAS_Pixel ToPixel(const ArtColor& c, int alpha)
{
  return RAS_RGBA(int(Clamp01(c.r) * 255.0 + 0.5), int(Clamp01(c.g) * 255.0 + 0.5),
                  int(Clamp01(c.b) * 255.0 + 0.5), alpha);
}

ArtColor Mix(const ArtColor& a, const ArtColor& b, double t)
{
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

ArtColor Hex(unsigned rgb)
{
  return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0};
}

ArtMask MaskFromDistance(int w, int h, const ArtDistance& d)
{
  ArtMask m(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      m.Set(x, y, float(Clamp01(0.5 - d(x + 0.5, y + 0.5))));
  return m;
}

namespace
{
// One box pass of width 2r + 1 along rows (horizontal) or columns.
ArtMask BoxPass(const ArtMask& src, int r, bool horizontal)
{
  const int w = src.Width(), h = src.Height();
  ArtMask out(w, h);
  const int lines = horizontal ? h : w, len = horizontal ? w : h;
  for (int l = 0; l < lines; ++l)
  {
    auto at = [&](int i) { return horizontal ? src.At(i, l) : src.At(l, i); };
    double sum = 0.0;
    for (int i = -r; i <= r; ++i)
      sum += at(i);
    for (int i = 0; i < len; ++i)
    {
      const float v = float(sum / (2 * r + 1));
      if (horizontal)
        out.Set(i, l, v);
      else
        out.Set(l, i, v);
      sum += at(i + r + 1) - at(i - r);
    }
  }
  return out;
}

template <typename Op> ArtMask Combined(const ArtMask& a, const ArtMask& b, Op op)
{
  const int w = std::max(a.Width(), b.Width()), h = std::max(a.Height(), b.Height());
  ArtMask out(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      out.Set(x, y, op(a.At(x, y), b.At(x, y)));
  return out;
}
} // namespace

ArtMask Blurred(const ArtMask& m, int radius)
{
  if (radius <= 0) return m;
  // Three box passes of half-width radius / 2: their sum reaches about the radius.
  const int r = std::max(1, radius / 2);
  ArtMask out = m;
  for (int pass = 0; pass < 3; ++pass)
    out = BoxPass(BoxPass(out, r, true), r, false);
  return out;
}

ArtMask Intersected(const ArtMask& a, const ArtMask& b)
{
  return Combined(a, b, [](float p, float q) { return p * q; });
}

ArtMask United(const ArtMask& a, const ArtMask& b)
{
  return Combined(a, b, [](float p, float q) { return std::max(p, q); });
}

ArtMask Subtracted(const ArtMask& a, const ArtMask& b)
{
  return Combined(a, b, [](float p, float q) { return p * (1.0f - q); });
}

ArtMask Scaled(const ArtMask& m, double k)
{
  ArtMask out(m.Width(), m.Height());
  for (int y = 0; y < m.Height(); ++y)
    for (int x = 0; x < m.Width(); ++x)
      out.Set(x, y, float(Clamp01(m.At(x, y) * k)));
  return out;
}

ArtDistance Circle(double cx, double cy, double r)
{
  return [=](double x, double y) { return std::hypot(x - cx, y - cy) - r; };
}

ArtDistance Ring(double cx, double cy, double r, double thickness)
{
  return [=](double x, double y)
  { return std::fabs(std::hypot(x - cx, y - cy) - r) - thickness * 0.5; };
}

ArtDistance RoundRect(double left, double top, double right, double bottom, double radius)
{
  const double cx = (left + right) * 0.5, cy = (top + bottom) * 0.5;
  const double hx = (right - left) * 0.5 - radius, hy = (bottom - top) * 0.5 - radius;
  return [=](double x, double y)
  {
    const double qx = std::fabs(x - cx) - hx, qy = std::fabs(y - cy) - hy;
    const double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
    return outside + std::min(std::max(qx, qy), 0.0) - radius;
  };
}

ArtDistance Capsule(double x1, double y1, double x2, double y2, double halfWidth)
{
  return [=](double x, double y)
  {
    const double dx = x2 - x1, dy = y2 - y1, len2 = dx * dx + dy * dy;
    const double t = len2 > 0.0 ? Clamp01(((x - x1) * dx + (y - y1) * dy) / len2) : 0.0;
    return std::hypot(x - (x1 + t * dx), y - (y1 + t * dy)) - halfWidth;
  };
}

void PaintSolid(RAS_IBitmap* dest, const ArtMask& m, int ox, int oy, RAS_Pixel color,
                double opacity)
{
  std::vector<uint8_t> bytes(size_t(m.Width()) * size_t(std::max(m.Height(), 0)));
  for (int y = 0; y < m.Height(); ++y)
    for (int x = 0; x < m.Width(); ++x)
      bytes[size_t(y * m.Width() + x)] = uint8_t(m.At(x, y) * 255.0f + 0.5f);
  // The glyph weight is w * c / 256: opacity 1 gives w = 256 (256 / 255 held to 256), so full
  // coverage combines at 255, which copy mode truncates to the colour itself.
  RAS_DrawGlyph(dest, ox, oy, color, bytes.data(), m.Width(), m.Height(),
                float(opacity * 256.0 / 255.0), RAS_BLEND_COPY);
}

void PaintShaded(RAS_IBitmap* dest, const ArtMask& m, int ox, int oy, const ArtShader& shader,
                 double opacity)
{
  for (int y = 0; y < m.Height(); ++y)
    for (int x = 0; x < m.Width(); ++x)
    {
      const double c = m.At(x, y) * opacity;
      if (c <= 0.0) continue;
      // A one-pixel glyph: combines the colour's own alpha byte, where a fractional fill
      // would move the destination's alpha toward the weight.
      const int px = ox + x, py = oy + y;
      const uint8_t cov = uint8_t(Clamp01(c) * 255.0 + 0.5);
      RAS_DrawGlyph(dest, px, py, ToPixel(shader(px + 0.5, py + 0.5)), &cov, 1, 1,
                    float(256.0 / 255.0), RAS_BLEND_COPY);
    }
}

void SetAlphaFromMask(RAS_IBitmap* dest, const ArtMask& m, int ox, int oy)
{
  RAS_MemBitmap src(m.Width(), m.Height());
  RAS_RowAccess acc;
  if (!acc.Attach(&src)) return;
  for (int y = 0; y < m.Height(); ++y)
    for (int x = 0; x < m.Width(); ++x)
    {
      const int a = int(m.At(x, y) * 255.0f + 0.5f);
      acc.Row(y)[x] = RAS_RGBA(a, 0, 0, 0);
    }
  // Channel copy: source byte R into destination byte A.
  RAS_Blit(dest, &src, ox, oy, 0, 0, m.Width(), m.Height(), 1.0f,
           RAS_BLEND_CHANNEL_COPY | (RAS_BYTE_A << 2) | RAS_BYTE_R);
}
