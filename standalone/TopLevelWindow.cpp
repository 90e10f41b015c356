#include "standalone/TopLevelWindow.h"

#include <cstdint>
#include <cstring>

#include "core/IEffectBase.h"
#include "util/UTL_Mutex.h"

// Last: Xlib defines macros (None, Bool) that clash with names in the headers above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace
{
constexpr const char* kTitle = "Quorvane";
}

TopLevelWindow::~TopLevelWindow()
{
  Close();
}

bool TopLevelWindow::Open(IEffectBase* effect, std::string* error)
{
  IEditorConnection* gui = effect ? effect->GetGUI() : nullptr;
  if (!gui || gui->Width() <= 0 || gui->Height() <= 0)
  {
    *error = "this effect has no editor";
    return false;
  }
  mEffect = effect;
  mDisplay = XOpenDisplay(nullptr);
  if (!mDisplay)
  {
    *error = "cannot open the X display (for a computer without a screen, use --headless)";
    return false;
  }
  const int screen = DefaultScreen(mDisplay);
  const unsigned w = unsigned(gui->Width()), h = unsigned(gui->Height());
  mWindow = XCreateSimpleWindow(mDisplay, RootWindow(mDisplay, screen), 0, 0, w, h, 0,
                                BlackPixel(mDisplay, screen), BlackPixel(mDisplay, screen));
  XSelectInput(mDisplay, mWindow, StructureNotifyMask);

  // The pedal has one size: the window manager offers no resizing.
  XSizeHints* hints = XAllocSizeHints();
  if (hints)
  {
    hints->flags = PMinSize | PMaxSize;
    hints->min_width = hints->max_width = int(w);
    hints->min_height = hints->max_height = int(h);
    XSetWMNormalHints(mDisplay, mWindow, hints);
    XFree(hints);
  }
  XStoreName(mDisplay, mWindow, kTitle);
  const Atom utf8 = XInternAtom(mDisplay, "UTF8_STRING", False);
  XChangeProperty(mDisplay, mWindow, XInternAtom(mDisplay, "_NET_WM_NAME", False), utf8, 8,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(kTitle),
                  int(std::strlen(kTitle)));
  XClassHint classHint;
  char name[] = "quorvane", cls[] = "Quorvane";
  classHint.res_name = name;
  classHint.res_class = cls;
  XSetClassHint(mDisplay, mWindow, &classHint);
  // The close button asks instead of killing the connection: the app saves and quits.
  Atom deleteAtom = XInternAtom(mDisplay, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(mDisplay, mWindow, &deleteAtom, 1);
  mDeleteAtom = deleteAtom;
  XMapWindow(mDisplay, mWindow);
  XSync(mDisplay, False);

  // As a host opens the editor: under the instance mutex, then the effect is told.
  {
    UTL_MutexLock lock(mEffect->GetMutex());
    mEditorOpen = gui->OpenWindow(reinterpret_cast<void*>(uintptr_t(mWindow))) != nullptr;
    if (mEditorOpen) mEffect->OnGUIOpen();
  }
  if (!mEditorOpen)
  {
    *error = "the editor could not open in its window";
    Close();
    return false;
  }
  return true;
}

bool TopLevelWindow::Pump()
{
  if (!mDisplay) return false;
  bool open = true;
  while (XPending(mDisplay) > 0)
  {
    XEvent ev;
    XNextEvent(mDisplay, &ev);
    if (ev.type == ClientMessage && ev.xclient.format == 32 &&
        Atom(ev.xclient.data.l[0]) == Atom(mDeleteAtom))
      open = false;
    else if (ev.type == DestroyNotify && ev.xdestroywindow.window == Window(mWindow))
    {
      mWindow = 0; // already gone: nothing to destroy later
      open = false;
    }
  }
  // Outside the mutex, as a host's idle call: the editor's events take it themselves.
  if (open && mEditorOpen)
    if (IEditorConnection* gui = mEffect->GetGUI()) gui->OnHostIdle();
  return open;
}

void TopLevelWindow::Close()
{
  if (mEditorOpen)
  {
    UTL_MutexLock lock(mEffect->GetMutex());
    mEffect->OnGUIClose();
    if (IEditorConnection* gui = mEffect->GetGUI()) gui->CloseWindow();
    mEditorOpen = false;
  }
  if (!mDisplay) return;
  if (mWindow) XDestroyWindow(mDisplay, Window(mWindow));
  mWindow = 0;
  XCloseDisplay(mDisplay);
  mDisplay = nullptr;
}
