#pragma once
// An off-screen raster bitmap that a small X11 widget draws into, and its transfer to the
// widget's window in the window's own pixel format. Used on the thread that owns the
// Display connection.
#include "platform/linux/X11PixelFormat.h"
#include "raster/RAS_Bitmap.h"

#include <X11/Xlib.h>
#include <memory>
#include <vector>

class X11Canvas
{
public:
  // visual and depth are those of the windows the canvas is shown in.
  X11Canvas(Display* display, Visual* visual, int depth);
  ~X11Canvas();
  X11Canvas(const X11Canvas&) = delete;
  X11Canvas& operator=(const X11Canvas&) = delete;

  // False when the pixels could not be had; the canvas is then empty.
  bool Resize(int w, int h);
  RAS_IBitmap* Bitmap() { return &mBitmap; }

  // Copies the whole bitmap to (0, 0) of the window.
  void Present(Window window, GC gc);

private:
  unsigned long NativePixel(RAS_Pixel p) const;

  Display* mDisplay;
  Visual* mVisual;
  int mDepth;
  bool mTrueColor;
  RAS_MemBitmap mBitmap;
  XImage* mImage = nullptr;                // over mImageBytes, which the canvas owns
  std::unique_ptr<X11PixelFormat> mFormat; // for true-colour visuals, else null
  std::vector<char> mImageBytes;
};
