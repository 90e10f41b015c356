#include "platform/linux/IGraphicsLinux.h"

#include "editor/controls/IControl.h"
#include "editor/menu/IPopupMenu.h"
#include "platform/common/DialogRules.h"
#include "platform/common/EditorKeys.h"
#include "platform/common/TextEntryRules.h"
#include "platform/linux/DesktopServices.h"
#include "platform/linux/EmbeddedPNGBitmap.h"
#include "platform/linux/X11PopupMenu.h"
#include "platform/linux/X11TextEntry.h"
#include "raster/RAS_Bitmap.h"
#include "resources/EmbeddedResources.h"
#include "util/UTL_String.h"

// After every header of ours: Xlib's macros (None, Bool, True) clash with their names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <dlfcn.h>
#include <pwd.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

namespace
{
// A second press within this time and distance of the first is a double click, as
// desktop settings usually have it.
constexpr unsigned long kDoubleClickMs = 400;
constexpr int kDoubleClickSlop = 4;

constexpr long kWindowEvents = ExposureMask | ButtonPressMask | ButtonReleaseMask |
                               PointerMotionMask | KeyPressMask | KeyReleaseMask | FocusChangeMask |
                               StructureNotifyMask;

// The X error handler is one per process. While the editor talks to the server it
// installs this one, which swallows the errors its own connection gets about its own
// window or the host's parent: the host may destroy the parent (and with it our
// window) at any time, and the server then refuses our requests on them. Any other
// error goes to the handler that was installed before, as if we had none.
struct QuietTarget
{
  Display* display = nullptr;
  Window window = 0, parent = 0;
  XErrorHandler previous = nullptr;
  int swallowed = 0;
};
QuietTarget gQuiet; // host GUI thread only

int QuietErrorHandler(Display* display, XErrorEvent* error)
{
  if (display == gQuiet.display && error->resourceid != 0 &&
      (error->resourceid == gQuiet.window || error->resourceid == gQuiet.parent))
  {
    ++gQuiet.swallowed;
    return 0;
  }
  return gQuiet.previous ? gQuiet.previous(display, error) : 0;
}

class QuietWindowErrors
{
public:
  QuietWindowErrors(Display* display, Window window, Window parent) : mSaved(gQuiet)
  {
    gQuiet.display = display;
    gQuiet.window = window;
    gQuiet.parent = parent;
    gQuiet.swallowed = 0;
    gQuiet.previous = XSetErrorHandler(QuietErrorHandler);
  }
  ~QuietWindowErrors()
  {
    XSetErrorHandler(gQuiet.previous);
    gQuiet = mSaved;
  }
  // Errors swallowed so far in this scope.
  int Swallowed() const { return gQuiet.swallowed; }

private:
  QuietTarget mSaved;
};

IRECT UnionRect(const IRECT& a, const IRECT& b)
{
  if (a.Empty()) return b;
  if (b.Empty()) return a;
  return IRECT(a.L < b.L ? a.L : b.L, a.T < b.T ? a.T : b.T, a.R > b.R ? a.R : b.R,
               a.B > b.B ? a.B : b.B);
}

// The editor's modifier flags for a pointer event. Control plays the part of the
// context-click key (Command on macOS): Ctrl+click reaches the editor as a right click.
IMouseMod ModFromState(unsigned int state, bool rightButtonEvent)
{
  const bool control = (state & ControlMask) != 0;
  return MouseModFromKeys(rightButtonEvent, control, (state & ShiftMask) != 0, control,
                          (state & Mod1Mask) != 0);
}

// The named key and character of a key event, as the editor's key table reads them:
// keypad digits count as digits, Shift is ignored.
int EditorKeyFromKeysym(KeySym sym)
{
  static const struct
  {
    KeySym sym;
    NamedKey key;
  } kNamed[] = {{XK_space, NamedKey::Space}, {XK_KP_Space, NamedKey::Space},
                {XK_Up, NamedKey::Up},       {XK_KP_Up, NamedKey::Up},
                {XK_Down, NamedKey::Down},   {XK_KP_Down, NamedKey::Down},
                {XK_Left, NamedKey::Left},   {XK_KP_Left, NamedKey::Left},
                {XK_Right, NamedKey::Right}, {XK_KP_Right, NamedKey::Right}};
  for (const auto& n : kNamed)
    if (n.sym == sym) return EditorKeyCode(n.key, 0);
  // NamedKey{} is NamedKey::None, a name Xlib takes for a macro.
  if (sym >= XK_KP_0 && sym <= XK_KP_9) return EditorKeyCode(NamedKey{}, U'0' + (sym - XK_KP_0));
  // Latin-1 keysyms are their characters.
  if (sym >= 0x20 && sym <= 0x7E) return EditorKeyCode(NamedKey{}, char32_t(sym));
  return -1;
}

// Modifier keys alone are no key presses for the editor or the host.
bool IsModifierOnly(KeySym sym)
{
  return IsModifierKey(sym) || sym == XK_Mode_switch || sym == XK_Num_Lock;
}

// Its address finds the shared object this code is linked into.
void PluginPathAnchor() {}

// The user's home folder, or "" when neither HOME nor the password entry names one.
std::string HomeFolder()
{
  const char* home = std::getenv("HOME");
  if (home && *home) return home;
  const passwd* pw = getpwuid(getuid());
  return pw && pw->pw_dir ? pw->pw_dir : "";
}
// A w x h image in the visual's layout over a zeroed buffer of its own, and the
// conversion into it; null when memory runs out.
XImage* MakeWindowImage(Display* display, const XWindowAttributes& pa, int w, int h,
                        std::unique_ptr<X11PixelFormat>* format)
{
  XImage* image = XCreateImage(display, pa.visual, unsigned(pa.depth), ZPixmap, 0, nullptr,
                               unsigned(w), unsigned(h), 32, 0);
  if (!image) return nullptr;
  image->data = static_cast<char*>(std::calloc(size_t(image->bytes_per_line) * size_t(h), 1));
  if (!image->data) // XDestroyImage frees the buffer with the image
  {
    XDestroyImage(image);
    return nullptr;
  }
  const uint16_t probe = 1;
  const bool littleEndian = *reinterpret_cast<const uint8_t*>(&probe) == 1;
  // Words are written directly only into 32-bit images; XPutPixel orders the bytes of
  // any other layout itself.
  const bool direct = image->bits_per_pixel == 32;
  const bool swap = direct && ((image->byte_order == LSBFirst) != littleEndian);
  format->reset(new X11PixelFormat(uint32_t(pa.visual->red_mask), uint32_t(pa.visual->green_mask),
                                   uint32_t(pa.visual->blue_mask), pa.depth, swap));
  return image;
}
} // namespace

IGraphicsLinux::IGraphicsLinux(IEffectBase* plug, int width, int height, int fps)
    : IGraphics(plug, width, height, fps)
{
}

// The plug-in is being destroyed (it deletes its editor): nothing may call into it
// now, so an open text entry or a drag is dropped rather than ended.
IGraphicsLinux::~IGraphicsLinux()
{
  if (!mDisplay) return;
  mDragging = false;
  mTextEntry.reset();
  EndUIThread();
  ReleaseWindowResources();
}

// ---- Window ---------------------------------------------------------------------------

void* IGraphicsLinux::OpenWindow(void* parent)
{
  CloseWindow();
  const Window parentWindow = Window(reinterpret_cast<uintptr_t>(parent));
  if (!parentWindow || Width() <= 0 || Height() <= 0) return nullptr;
  mDisplay = XOpenDisplay(nullptr);
  if (!mDisplay) return nullptr;
  mParent = parentWindow;
  mWindowGone = false;

  bool ok = false;
  {
    QuietWindowErrors quiet(mDisplay, 0, mParent);
    XWindowAttributes pa;
    if (XGetWindowAttributes(mDisplay, mParent, &pa) && pa.c_class == InputOutput && pa.visual &&
        pa.visual->c_class == TrueColor)
    {
      // The child shares the parent's visual and colormap, so it needs neither its own
      // colormap nor a border pixel.
      XSetWindowAttributes swa{};
      swa.event_mask = kWindowEvents;
      swa.background_pixmap = None; // no flash of background before the first copy
      swa.bit_gravity = NorthWestGravity;
      mWindow = XCreateWindow(mDisplay, mParent, 0, 0, unsigned(Width()), unsigned(Height()), 0,
                              CopyFromParent, InputOutput, CopyFromParent,
                              CWEventMask | CWBackPixmap | CWBitGravity, &swa);
      gQuiet.window = mWindow;
      mGC = XCreateGC(mDisplay, mWindow, 0, nullptr);
      // Hosts that embed through the XEmbed protocol read this: version 0, mapped.
      const Atom xembedInfo = XInternAtom(mDisplay, "_XEMBED_INFO", False);
      const long info[2] = {0, 1};
      XChangeProperty(mDisplay, mWindow, xembedInfo, xembedInfo, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(info), 2);
      mImage = MakeWindowImage(mDisplay, pa, Width(), Height(), &mFormat);
      ok = mImage != nullptr;
      // A parent destroyed meanwhile shows up as a swallowed error here.
      XSync(mDisplay, False);
      ok = ok && quiet.Swallowed() == 0;
    }
  }
  if (!ok)
  {
    ReleaseWindowResources();
    return nullptr;
  }

  // This thread owns the controls from here on; everything is drawn once into the
  // off-screen bitmap, and the first Expose copies it to the screen.
  BeginUIThread();
  ApplyPendingFromPlug();
  IRECT all(0, 0, Width(), Height());
  Draw(&all);
  {
    QuietWindowErrors quiet(mDisplay, mWindow, mParent);
    XMapWindow(mDisplay, mWindow);
    XFlush(mDisplay);
  }
  return GetWindow();
}

void IGraphicsLinux::CloseWindow()
{
  if (!mDisplay) return;
  EndTextEntry(false);
  EndDrag();
  EndUIThread();
  ReleaseWindowResources();
}

void IGraphicsLinux::ReleaseWindowResources()
{
  if (!mDisplay) return;
  {
    QuietWindowErrors quiet(mDisplay, mWindow, mParent);
    mTextEntry.reset();
    if (mCursorHidden && mWindow && !mWindowGone) XUndefineCursor(mDisplay, mWindow);
    mCursorHidden = false;
    if (mBlankCursor) XFreeCursor(mDisplay, mBlankCursor);
    if (mImage) XDestroyImage(mImage);
    if (mGC) XFreeGC(mDisplay, mGC);
    if (mWindow && !mWindowGone) XDestroyWindow(mDisplay, mWindow);
    // Every error of the teardown arrives while the quiet handler is in place.
    XSync(mDisplay, False);
    XCloseDisplay(mDisplay);
  }
  mDisplay = nullptr;
  mWindow = mParent = 0;
  mBlankCursor = 0;
  mImage = nullptr;
  mGC = nullptr;
  mFormat.reset();
  mExposed.Clear();
  mDragging = false;
  mClickCount = 0;
}

void* IGraphicsLinux::GetWindow()
{
  return mDisplay && mWindow ? reinterpret_cast<void*>(uintptr_t(mWindow)) : nullptr;
}

void IGraphicsLinux::OnHostIdle()
{
  if (!mDisplay) return;
  {
    QuietWindowErrors quiet(mDisplay, mWindow, mParent);
    PumpEvents();
    if (mDisplay && !mWindowGone)
    {
      ApplyPendingFromPlug();
      IRECT dirty;
      if (IsDirty(&dirty)) Draw(&dirty);
      if (!mExposed.Empty()) CopyToWindow(mExposed);
      mExposed.Clear();
      XFlush(mDisplay);
    }
  }
  // The host destroyed the parent and the server our window with it: what is left
  // goes now, and a later effEditClose finds the editor closed.
  if (mDisplay && mWindowGone) CloseWindow();
}

bool IGraphicsLinux::DrawScreen(IRECT* rect)
{
  if (!mDisplay || mWindowGone || !rect) return false;
  CopyToWindow(*rect);
  return true;
}

void IGraphicsLinux::CopyToWindow(const IRECT& region)
{
  RAS_SysBitmap* bitmap = GetDrawBitmap();
  if (!mImage || !bitmap || !bitmap->getBits()) return;
  const int w = Width() < bitmap->getWidth() ? Width() : bitmap->getWidth();
  const int h = Height() < bitmap->getHeight() ? Height() : bitmap->getHeight();
  const int l = region.L < 0 ? 0 : region.L, t = region.T < 0 ? 0 : region.T;
  const int r = region.R > w ? w : region.R, b = region.B > h ? h : region.B;
  if (l >= r || t >= b) return;
  const RAS_Pixel* bits = bitmap->getBits();
  const int span = bitmap->getRowSpan();
  for (int y = t; y < b; ++y)
  {
    const uint8_t* src = reinterpret_cast<const uint8_t*>(bits + size_t(y) * span + l);
    if (mImage->bits_per_pixel == 32)
    {
      uint32_t* dst =
          reinterpret_cast<uint32_t*>(mImage->data + size_t(y) * mImage->bytes_per_line) + l;
      mFormat->ConvertRow(src, dst, r - l);
    }
    else
    {
      for (int x = l; x < r; ++x, src += 4)
        XPutPixel(mImage, x, y, mFormat->Pack(src[1], src[2], src[3]));
    }
  }
  XPutImage(mDisplay, mWindow, mGC, mImage, l, t, l, t, unsigned(r - l), unsigned(b - t));
}

// ---- Events -----------------------------------------------------------------------------

void IGraphicsLinux::PumpEvents()
{
  // A handler may close the window (a host reacting to an automation call), so the
  // display is checked before every event.
  while (mDisplay && !mWindowGone && XPending(mDisplay) > 0)
  {
    XEvent event;
    XNextEvent(mDisplay, &event);
    HandleEvent(event);
  }
}

void IGraphicsLinux::HandleEvent(XEvent& event)
{
  if (RouteToTextEntry(event)) return;
  if (event.xany.window != mWindow) return;
  switch (event.type)
  {
  case Expose:
    mExposed = UnionRect(mExposed, IRECT(event.xexpose.x, event.xexpose.y,
                                         event.xexpose.x + event.xexpose.width,
                                         event.xexpose.y + event.xexpose.height));
    break;
  case ButtonPress:
    HandleButtonPress(event);
    break;
  case ButtonRelease:
    HandleButtonRelease(event);
    break;
  case MotionNotify:
    // Only the latest of consecutive moves matters; a move queued after a press or
    // release must stay after it.
    while (XPending(mDisplay) > 0)
    {
      XEvent next;
      XPeekEvent(mDisplay, &next);
      if (next.type != MotionNotify || next.xany.window != mWindow) break;
      XNextEvent(mDisplay, &event);
    }
    HandleMotion(event);
    break;
  case KeyPress:
  case KeyRelease:
    HandleKey(event);
    break;
  case FocusOut:
    // Focus moving into our own text entry, or pointer-root bookkeeping, is no loss.
    if (event.xfocus.detail != NotifyInferior && event.xfocus.detail != NotifyPointer &&
        event.xfocus.mode != NotifyGrab)
      EndDrag();
    break;
  case DestroyNotify:
    if (event.xdestroywindow.window == mWindow) mWindowGone = true;
    break;
  default:
    break;
  }
}

void IGraphicsLinux::HandleButtonPress(const XEvent& xevent)
{
  const XButtonEvent& event = xevent.xbutton;
  const int x = event.x, y = event.y;
  mPrevX = x;
  mPrevY = y;
  // A press anywhere but in the entry takes the focus from it, which cancels it.
  if (mTextEntry) EndTextEntry(false);
  if (event.button >= Button4 && event.button <= 7)
  {
    // Buttons 4 and 5 turn the wheel one step up or down. The editor's wheel is
    // vertical: sideways steps (6, 7) reach it as steps of 0, as on macOS.
    const int steps = event.button == Button4 ? 1 : event.button == Button5 ? -1 : 0;
    IMouseMod mod = ModFromState(event.state, false);
    OnMouseWheel(x, y, &mod, steps);
    return;
  }
  if (event.button != Button1 && event.button != Button3) return;
  // Keys go to the editor once the user clicks into it.
  XSetInputFocus(mDisplay, mWindow, RevertToParent, event.time);

  const bool right = event.button == Button3;
  IMouseMod mod = ModFromState(event.state, right);
  mDragging = true;
  mDragMod = mod;
  if (right)
  {
    mClickCount = 0;
    OnMouseDown(x, y, &mod);
    return;
  }
  const bool near = std::abs(x - mLastClickX) <= kDoubleClickSlop &&
                    std::abs(y - mLastClickY) <= kDoubleClickSlop;
  const bool inTime = event.time - mLastClickTime <= kDoubleClickMs;
  mClickCount = (mClickCount > 0 && near && inTime) ? mClickCount + 1 : 1;
  mLastClickTime = event.time;
  mLastClickX = x;
  mLastClickY = y;
  if (mClickCount >= 2)
    OnMouseDblClick(x, y, &mod);
  else
    OnMouseDown(x, y, &mod);
}

void IGraphicsLinux::HandleButtonRelease(const XEvent& xevent)
{
  const XButtonEvent& event = xevent.xbutton;
  if (event.button != Button1 && event.button != Button3) return;
  mPrevX = event.x;
  mPrevY = event.y;
  // A drag already ended by a focus loss or a menu has had its release.
  if (!mDragging) return;
  mDragging = false;
  IMouseMod mod = ModFromState(event.state, event.button == Button3);
  OnMouseUp(event.x, event.y, &mod);
}

void IGraphicsLinux::HandleMotion(const XEvent& xevent)
{
  const XMotionEvent& event = xevent.xmotion;
  mPrevX = event.x;
  mPrevY = event.y;
  const bool held = (event.state & (Button1Mask | Button3Mask)) != 0;
  if (held && mDragging)
  {
    if (mTextEntry) return;
    const bool right = (event.state & Button1Mask) == 0;
    IMouseMod mod = ModFromState(event.state, right);
    OnMouseDrag(event.x, event.y, &mod);
    return;
  }
  IMouseMod mod = ModFromState(event.state, false);
  OnMouseOver(event.x, event.y, &mod);
}

void IGraphicsLinux::HandleKey(XEvent& xevent)
{
  XKeyEvent& event = xevent.xkey;
  KeySym sym = NoSymbol;
  char chars[8];
  XLookupString(&event, chars, sizeof(chars), &sym, nullptr);
  if (sym == NoSymbol || IsModifierOnly(sym)) return;
  const unsigned keycode = event.keycode & 0xFFu;
  if (event.type == KeyPress)
  {
    const int code = EditorKeyFromKeysym(sym);
    if (code >= 0 && OnKeyDown(mPrevX, mPrevY, code)) return;
    mForwardedKeys.set(keycode);
  }
  else if (!mForwardedKeys.test(keycode))
    return;
  else
    mForwardedKeys.reset(keycode);
  // Keys the editor does not take belong to the host (its transport shortcuts): they
  // go on to the parent window's owner, and so do their releases.
  XEvent forward;
  forward.xkey = event;
  forward.xkey.window = mParent;
  forward.xkey.subwindow = None;
  XSendEvent(mDisplay, mParent, False, NoEventMask, &forward);
}

void IGraphicsLinux::EndDrag()
{
  if (!mDragging) return;
  mDragging = false;
  // The gesture ends where the pointer was last seen, so the host gets its end-edit.
  IMouseMod mod = mDragMod;
  OnMouseUp(mPrevX, mPrevY, &mod);
}

// ---- Text entry and menus -----------------------------------------------------------------

bool IGraphicsLinux::RouteToTextEntry(XEvent& event)
{
  if (!mTextEntry || event.xany.window != mTextEntry->GetWindow()) return false;
  switch (mTextEntry->HandleEvent(event))
  {
  case X11TextEntry::State::Committed:
    EndTextEntry(true);
    break;
  case X11TextEntry::State::Cancelled:
    EndTextEntry(false);
    break;
  case X11TextEntry::State::Open:
    break;
  }
  return true;
}

void IGraphicsLinux::EndTextEntry(bool commit)
{
  if (!mTextEntry) return;
  const std::string text = mTextEntry->GetText() ? mTextEntry->GetText() : "";
  IControl* control = mEdControl;
  IParam* param = mEdParam;
  mTextEntry.reset();
  mEdControl = nullptr;
  mEdParam = nullptr;
  if (!commit || !control) return;
  if (param)
    SetFromStringAfterPrompt(control, param, text.c_str());
  else
    control->TextFromTextEntry(text.c_str());
}

void IGraphicsLinux::CreateTextEntry(IControl* control, IText* text, IRECT* rect, const char* str,
                                     IParam* param)
{
  if (!mDisplay || mWindowGone || !control || !text || !rect || mTextEntry) return;
  const TextEntryRules rules = TextEntryRulesFor(param, control->GetTextEntryLength());
  mTextEntry.reset(new X11TextEntry(mDisplay, mWindow, *rect, *text, str ? str : "", rules));
  mEdControl = control;
  mEdParam = param;
}

IPopupMenu* IGraphicsLinux::CreateIPopupMenu(IPopupMenu* menu, IRECT* rect)
{
  ReleaseMouseCapture();
  if (!mDisplay || mWindowGone || !menu || !rect) return nullptr;
  // The menu's top left sits 4 pixels below the rectangle's bottom left, where the
  // macOS layer anchors its menus.
  int rootX = 0, rootY = 0;
  Window child = 0;
  const int screen = DefaultScreen(mDisplay);
  XTranslateCoordinates(mDisplay, mWindow, RootWindow(mDisplay, screen), rect->L, rect->B + 5,
                        &rootX, &rootY, &child);
  // The menu takes the pointer: the press that opened it gets no release here.
  mDragging = false;
  return RunX11PopupMenu(mDisplay, screen, rootX, rootY, menu);
}

void IGraphicsLinux::ForceEndUserEdit()
{
  EndTextEntry(false);
}

// ---- Dialogs ------------------------------------------------------------------------------
// They run on the host's GUI thread inside an idle turn, where the instance mutex is
// not held, so the audio thread keeps running while a dialog is up.

int IGraphicsLinux::ShowMessageBox(const char* text, const char* caption, int type)
{
  return RunMessageBox(text ? text : "", caption ? caption : "", type);
}

void IGraphicsLinux::PromptForFile(UTL_String* file, EFileAction action, UTL_String* dir,
                                   const char* extensions)
{
  if (!WindowIsOpen())
  {
    if (file) file->Set("");
    return;
  }
  const FileDialogStart start = BeginFileDialog(file, dir, extensions);
  UTL_String chosen;
  if (RunFileDialog(action, start.defaultName.c_str(), start.directory.c_str(),
                    extensions ? extensions : "", &chosen))
    FinishFileDialog(chosen.Get(), file, dir);
}

bool IGraphicsLinux::OpenURL(const char* url, const char*, const char*, const char*)
{
  return url && *url && OpenWithDesktop(url);
}

// ---- Cursor -------------------------------------------------------------------------------

void IGraphicsLinux::HideMouseCursor()
{
  if (mCursorHidden || !mDisplay || mWindowGone) return;
  QuietWindowErrors quiet(mDisplay, mWindow, mParent);
  Window root = 0, child = 0;
  int rootX = 0, rootY = 0, winX = 0, winY = 0;
  unsigned int mask = 0;
  if (XQueryPointer(mDisplay, mWindow, &root, &child, &rootX, &rootY, &winX, &winY, &mask))
  {
    mHiddenMousePointX = rootX;
    mHiddenMousePointY = rootY;
  }
  if (!mBlankCursor)
  {
    static const char empty[1] = {0};
    Pixmap blank = XCreateBitmapFromData(mDisplay, mWindow, empty, 1, 1);
    if (!blank) return;
    XColor black{};
    mBlankCursor = XCreatePixmapCursor(mDisplay, blank, blank, &black, &black, 0, 0);
    XFreePixmap(mDisplay, blank);
  }
  if (!mBlankCursor) return;
  XDefineCursor(mDisplay, mWindow, mBlankCursor);
  XFlush(mDisplay);
  mCursorHidden = true;
}

void IGraphicsLinux::ShowMouseCursor()
{
  if (!mCursorHidden || !mDisplay || mWindowGone) return;
  QuietWindowErrors quiet(mDisplay, mWindow, mParent);
  const Window root = RootWindow(mDisplay, DefaultScreen(mDisplay));
  XWarpPointer(mDisplay, None, root, 0, 0, 0, 0, mHiddenMousePointX, mHiddenMousePointY);
  XUndefineCursor(mDisplay, mWindow);
  XFlush(mDisplay);
  mCursorHidden = false;
}

// ---- Paths --------------------------------------------------------------------------------

void IGraphicsLinux::HostPath(UTL_String* path)
{
  if (!path) return;
  char buf[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof(buf) - 1);
  if (n <= 0) return;
  buf[n] = '\0';
  path->Set(buf);
}

void IGraphicsLinux::PluginPath(UTL_String* path)
{
  if (!path) return;
  // The folder of the shared object this code lives in, with a trailing "/".
  Dl_info info{};
  if (!dladdr(reinterpret_cast<void*>(&PluginPathAnchor), &info) || !info.dli_fname) return;
  std::string file = info.dli_fname;
  const size_t slash = file.rfind('/');
  if (slash == std::string::npos) return;
  path->Set(file.substr(0, slash + 1).c_str());
}

void IGraphicsLinux::DesktopPath(UTL_String* path)
{
  const std::string home = HomeFolder();
  if (path && !home.empty()) path->Set((home + "/Desktop").c_str());
}

void IGraphicsLinux::AppSupportPath(UTL_String* path)
{
  if (!path) return;
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config && config[0] == '/')
  {
    path->Set(config);
    return;
  }
  const std::string home = HomeFolder();
  if (!home.empty()) path->Set((home + "/.config").c_str());
}

// ---- Images -------------------------------------------------------------------------------

RAS_IBitmap* IGraphicsLinux::OSLoadBitmap(int, const char* name)
{
  // Images are found by name; the resource number plays no part, as on macOS.
  // Decoded on first draw, so constructing the plug-in costs no decoding.
  const EmbeddedResource* res = name ? FindEmbeddedResource(name) : nullptr;
  if (!res || !res->data || !res->size) return nullptr;
  return EmbeddedPNGBitmap::Create(res->data, size_t(res->size));
}
