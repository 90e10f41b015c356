#include "tools/render/EditorSnapshot.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

namespace
{
using Clock = std::chrono::steady_clock;

// Xlib's default error handler ends the process. While the editor is open an X error
// (ours, or one on the plug-in's own connection) is ignored instead: every call here
// that can fail is checked by its result.
int IgnoreXError(Display*, XErrorEvent*)
{
  return 0;
}

class ErrorHandlerScope
{
public:
  ErrorHandlerScope() : mPrevious(XSetErrorHandler(IgnoreXError)) {}
  ~ErrorHandlerScope() { XSetErrorHandler(mPrevious); }

private:
  XErrorHandler mPrevious;
};

// One capture of the window as the screen shows it, child windows included.
struct Capture
{
  XImage* image = nullptr;
  ~Capture() { Reset(); }
  void Reset()
  {
    if (image) XDestroyImage(image);
    image = nullptr;
  }
  size_t Bytes() const { return image ? size_t(image->bytes_per_line) * size_t(image->height) : 0; }
  bool SameAs(const Capture& o) const
  {
    return image && o.image && image->width == o.image->width && image->height == o.image->height &&
           image->bytes_per_line == o.image->bytes_per_line &&
           std::memcmp(image->data, o.image->data, Bytes()) == 0;
  }
  bool Uniform() const
  {
    if (!image) return true;
    const unsigned long first = XGetPixel(image, 0, 0);
    for (int y = 0; y < image->height; ++y)
      for (int x = 0; x < image->width; ++x)
        if (XGetPixel(image, x, y) != first) return false;
    return true;
  }
};

// Bit position and width of a contiguous channel mask.
struct Channel
{
  int shift = 0;
  int bits = 0;
  explicit Channel(unsigned long mask)
  {
    if (!mask) return;
    while (!(mask & 1))
      mask >>= 1, ++shift;
    while (mask & 1)
      mask >>= 1, ++bits;
  }
  // The channel of pixel p scaled to 0..255.
  int Get(unsigned long p) const
  {
    if (bits == 0) return 0;
    const unsigned long v = (p >> shift) & ((1ul << bits) - 1);
    return bits >= 8 ? int(v >> (bits - 8)) : int(v * 255 / ((1ul << bits) - 1));
  }
};

bool ToBitmap(const XImage* image, const Visual* visual, RAS_MemBitmap* out)
{
  if (!image || !out->resize(image->width, image->height)) return false;
  RAS_RowAccess rows;
  if (!rows.Attach(out)) return false;
  const Channel r(visual->red_mask), g(visual->green_mask), b(visual->blue_mask);
  XImage* src = const_cast<XImage*>(image);
  for (int y = 0; y < image->height; ++y)
  {
    RAS_Pixel* row = rows.Row(y);
    for (int x = 0; x < image->width; ++x)
    {
      const unsigned long p = XGetPixel(src, x, y);
      row[x] = RAS_RGBA(r.Get(p), g.Get(p), b.Get(p), 255);
    }
  }
  return true;
}

bool Fail(std::string* error, const std::string& message)
{
  *error = message;
  return false;
}
} // namespace

bool SnapshotEditor(VstPlugin& plugin, const EditorSnapshotOptions& options, RAS_MemBitmap* out,
                    std::string* error)
{
  AEffect* effect = plugin.Effect();
  if (!effect) return Fail(error, "no plug-in loaded");
  std::string name = plugin.EffectName();
  if (name.empty()) name = "the plug-in";
  if (!(effect->flags & effFlagsHasEditor)) return Fail(error, name + " has no editor");

  // Editors may draw from threads of their own; Xlib must know before the first call.
  XInitThreads();
  const char* displayName = options.display.empty() ? nullptr : options.display.c_str();
  Display* display = XOpenDisplay(displayName);
  if (!display)
  {
    const char* shown = XDisplayName(displayName);
    return Fail(error, std::string("cannot open the X display '") + (shown ? shown : "") +
                           "' for the editor (set DISPLAY, or run under xvfb-run -a)");
  }
  ErrorHandlerScope errors;

  const int screen = DefaultScreen(display);
  Visual* visual = DefaultVisual(display, screen);
  if (visual->c_class != TrueColor)
  {
    XCloseDisplay(display);
    return Fail(error,
                "the X display has no true-colour default visual; cannot capture the editor");
  }

  // Some editors know their size only once open; the window is resized then.
  auto editorSize = [&](int* w, int* h)
  {
    ERect* rect = nullptr;
    plugin.Dispatch(effEditGetRect, 0, 0, &rect);
    if (!rect || rect->right <= rect->left || rect->bottom <= rect->top) return false;
    *w = rect->right - rect->left;
    *h = rect->bottom - rect->top;
    return true;
  };
  int width = kDefaultEditorWidth, height = kDefaultEditorHeight;
  editorSize(&width, &height);

  XSetWindowAttributes attributes{};
  // Unmanaged, so that no window manager places, decorates or covers it.
  attributes.override_redirect = True;
  attributes.background_pixel = BlackPixel(display, screen);
  attributes.event_mask = StructureNotifyMask | ExposureMask;
  const Window window =
      XCreateWindow(display, RootWindow(display, screen), 0, 0, unsigned(width), unsigned(height),
                    0, CopyFromParent, InputOutput, CopyFromParent,
                    CWOverrideRedirect | CWBackPixel | CWEventMask, &attributes);
  XStoreName(display, window, "quorvane-render snapshot");
  XMapRaised(display, window);
  XSync(display, False);

  bool opened = false;
  auto finish = [&](bool ok, const std::string& message)
  {
    if (opened) plugin.Dispatch(effEditClose);
    XDestroyWindow(display, window);
    XSync(display, False);
    XCloseDisplay(display);
    if (!ok) *error = message;
    return ok;
  };

  // Wait for the map, so the editor's children land in a viewable window.
  const Clock::time_point start = Clock::now();
  const auto limit = std::chrono::duration<double>(options.timeLimitSeconds);
  XWindowAttributes state{};
  while (XGetWindowAttributes(display, window, &state) && state.map_state != IsViewable)
  {
    if (Clock::now() - start > limit)
      return finish(false, "the editor window did not appear on the display");
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }

  // Linux hosts pass the parent X11 Window as the pointer value.
  if (plugin.Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(static_cast<uintptr_t>(window))) ==
      0)
    return finish(false, "the editor of " + name + " did not open (effEditOpen returned 0)");
  opened = true;

  int openedWidth = width, openedHeight = height;
  if (editorSize(&openedWidth, &openedHeight) && (openedWidth != width || openedHeight != height))
  {
    width = openedWidth;
    height = openedHeight;
    XResizeWindow(display, window, unsigned(width), unsigned(height));
  }
  const int screenW = DisplayWidth(display, screen), screenH = DisplayHeight(display, screen);
  if (width > screenW || height > screenH)
    return finish(false, "the editor (" + std::to_string(width) + " x " + std::to_string(height) +
                             ") does not fit the screen (" + std::to_string(screenW) + " x " +
                             std::to_string(screenH) + ")");

  const double idleRate = options.idleRate > 1.0 ? options.idleRate : 60.0;
  const auto idlePeriod = std::chrono::duration<double>(1.0 / idleRate);
  // Captures are compared a tenth of a second apart: long enough for a redraw to land.
  const auto capturePeriod = std::chrono::milliseconds(100);
  const auto uniformGrace = std::chrono::seconds(1);
  Capture previous, current;
  Clock::time_point lastCapture = Clock::now();
  for (;;)
  {
    plugin.Dispatch(effEditIdle);
    while (XPending(display))
    {
      XEvent event;
      XNextEvent(display, &event);
    }
    const Clock::time_point now = Clock::now();
    if (now - lastCapture >= capturePeriod)
    {
      lastCapture = now;
      XSync(display, False);
      current.Reset();
      current.image =
          XGetImage(display, window, 0, 0, unsigned(width), unsigned(height), AllPlanes, ZPixmap);
      if (current.image && current.SameAs(previous) &&
          (now - start > uniformGrace || !current.Uniform()))
        break;
      std::swap(previous.image, current.image);
    }
    if (now - start > limit)
    {
      char seconds[32];
      std::snprintf(seconds, sizeof(seconds), "%g", options.timeLimitSeconds);
      return finish(false, std::string(previous.image ? "the editor of " + name + " kept changing"
                                                      : "the editor window of " + name +
                                                            " could not be captured") +
                               " for " + seconds + " s; no snapshot taken");
    }
    std::this_thread::sleep_for(idlePeriod);
  }
  if (!ToBitmap(current.image, visual, out)) return finish(false, "out of memory for the snapshot");
  return finish(true, "");
}
