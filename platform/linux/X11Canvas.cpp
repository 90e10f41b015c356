#include "platform/linux/X11Canvas.h"

#include <X11/Xutil.h>

#include <cstdint>

X11Canvas::X11Canvas(Display* display, Visual* visual, int depth)
    : mDisplay(display), mVisual(visual), mDepth(depth), mBitmap(0, 0, 1)
{
  mTrueColor = visual && (visual->c_class == TrueColor || visual->c_class == DirectColor);
}

X11Canvas::~X11Canvas()
{
  if (mImage)
  {
    mImage->data = nullptr; // the bytes are ours, not Xlib's to free
    XDestroyImage(mImage);
  }
}

bool X11Canvas::Resize(int w, int h)
{
  if (w <= 0 || h <= 0 || w > 16384 || h > 16384) return false;
  if (mImage && mImage->width == w && mImage->height == h) return true;
  if (mImage)
  {
    mImage->data = nullptr;
    XDestroyImage(mImage);
    mImage = nullptr;
  }
  mBitmap.resize(w, h);
  if (!mBitmap.getBits()) return false;
  mImage = XCreateImage(mDisplay, mVisual, unsigned(mDepth), ZPixmap, 0, nullptr, unsigned(w),
                        unsigned(h), 32, 0);
  if (!mImage) return false;
  mImageBytes.assign(size_t(mImage->bytes_per_line) * size_t(h), 0);
  mImage->data = mImageBytes.data();
  if (mTrueColor)
  {
    // Words go straight into 32-bit images only; XPutPixel orders any other layout's bytes.
    const uint16_t probe = 1;
    const bool littleEndian = *reinterpret_cast<const uint8_t*>(&probe) == 1;
    const bool swap =
        mImage->bits_per_pixel == 32 && ((mImage->byte_order == LSBFirst) != littleEndian);
    mFormat.reset(new X11PixelFormat(uint32_t(mVisual->red_mask), uint32_t(mVisual->green_mask),
                                     uint32_t(mVisual->blue_mask), mDepth, swap));
  }
  return true;
}

unsigned long X11Canvas::NativePixel(RAS_Pixel p) const
{
  const int r = RAS_GetR(p), g = RAS_GetG(p), b = RAS_GetB(p);
  if (mFormat) return mFormat->Pack(uint8_t(r), uint8_t(g), uint8_t(b));
  // Without a true-colour visual the widgets are drawn in black and white.
  const int screen = DefaultScreen(mDisplay);
  return r * 30 + g * 59 + b * 11 >= 128 * 100 ? WhitePixel(mDisplay, screen)
                                               : BlackPixel(mDisplay, screen);
}

void X11Canvas::Present(Window window, GC gc)
{
  RAS_RowAccess rows;
  if (!mImage || !rows.Attach(&mBitmap)) return;
  const bool direct = mFormat && mImage->bits_per_pixel == 32;
  for (int y = 0; y < rows.height; ++y)
  {
    const RAS_Pixel* row = rows.Row(y);
    if (direct)
    {
      mFormat->ConvertRow(reinterpret_cast<const uint8_t*>(row),
                          reinterpret_cast<uint32_t*>(mImage->data + y * mImage->bytes_per_line),
                          rows.width);
      continue;
    }
    for (int x = 0; x < rows.width; ++x)
      XPutPixel(mImage, x, y, NativePixel(row[x]));
  }
  XPutImage(mDisplay, window, gc, mImage, 0, 0, 0, 0, unsigned(rows.width), unsigned(rows.height));
}
