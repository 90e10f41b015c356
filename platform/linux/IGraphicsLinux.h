#pragma once
// The editor on Linux: a child X11 window inside the window the host hands to
// effEditOpen. The editor has its own display connection, opened with the window and
// closed with it, so a host that never opens the editor pays for no X resources.
//
// Everything here runs on the host's GUI thread: the editor requests (open, close)
// and the idle turns (effEditIdle), in which the window's events are pumped and the
// dirty regions redrawn. There is no thread of the editor's own.
#include "editor/IGraphics.h"
#include "platform/linux/X11Forward.h"
#include "platform/linux/X11PixelFormat.h"

#include <bitset>
#include <memory>

class X11TextEntry;
struct _XImage;

class IGraphicsLinux : public IGraphics
{
public:
  IGraphicsLinux(IEffectBase* plug, int width, int height, int fps = 0);
  ~IGraphicsLinux() override;

  // ---- Host GUI thread: window ------------------------------------------------------
  // parent is the host's X11 window id (not a pointer). A second open replaces the
  // first window. Null when the display or the parent cannot be used.
  void* OpenWindow(void* parent) override;
  using IGraphics::OpenWindow;
  // Safe to call twice, and after the host destroyed the parent window.
  void CloseWindow() override;
  // The window id as a pointer, or null while closed.
  void* GetWindow() override;
  void OnHostIdle() override;
  bool DrawScreen(IRECT* rect) override;
  const char* GetGUIAPI() override { return "X11"; }

  // ---- Host GUI thread: modal requests from the controls ------------------------------
  int ShowMessageBox(const char* text, const char* caption, int type) override;
  IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* rect) override;
  void CreateTextEntry(IControl* control, IText* text, IRECT* rect, const char* str,
                       IParam* param) override;
  void ForceEndUserEdit() override;
  void PromptForFile(UTL_String* file, EFileAction action, UTL_String* dir,
                     const char* extensions) override;
  bool PromptForColor(IColor*, const char*) override { return false; }
  bool OpenURL(const char* url, const char* windowTitle, const char* confirmText,
               const char* failureText) override;
  void HideMouseCursor() override;
  void ShowMouseCursor() override;
  // Tooltips are not shown on Linux.
  void UpdateTooltips() override {}

  // ---- Any thread ---------------------------------------------------------------------
  void HostPath(UTL_String* path) override;
  void PluginPath(UTL_String* path) override;
  void DesktopPath(UTL_String* path) override;
  void AppSupportPath(UTL_String* path) override;
  // The image embedded in the plug-in under the name's last path component.
  RAS_IBitmap* OSLoadBitmap(int id, const char* name) override;

  // The editor's display connection (null while closed), for tests.
  Display* GetDisplay() const { return mDisplay; }

private:
  // All fields belong to the host's GUI thread.
  Display* mDisplay = nullptr;
  Window mWindow = 0;
  Window mParent = 0;
  bool mWindowGone = false; // the server destroyed the window with its parent
  GC mGC = nullptr;
  _XImage* mImage = nullptr; // over a buffer of width x height words, reused for every copy
  std::unique_ptr<X11PixelFormat> mFormat;
  XID mBlankCursor = 0;
  IRECT mExposed; // window area to copy again at the end of the idle turn

  // Pointer state for the editor's calls.
  int mPrevX = 0, mPrevY = 0;       // editor point of the last pointer event
  unsigned long mLastClickTime = 0; // server time of the last left press
  int mLastClickX = 0, mLastClickY = 0;
  int mClickCount = 0;
  bool mDragging = false;          // a left or right button is down inside the editor
  IMouseMod mDragMod;              // the flags of the press that started it
  std::bitset<256> mForwardedKeys; // key codes whose press went on to the host

  std::unique_ptr<X11TextEntry> mTextEntry;
  IControl* mEdControl = nullptr;
  IParam* mEdParam = nullptr;

  void ReleaseWindowResources();
  void PumpEvents();
  void HandleEvent(XEvent& event);
  void HandleButtonPress(const XEvent& event);
  void HandleButtonRelease(const XEvent& event);
  void HandleMotion(const XEvent& event);
  void HandleKey(XEvent& event);
  bool RouteToTextEntry(XEvent& event);
  void EndTextEntry(bool commit);
  void EndDrag();
  void CopyToWindow(const IRECT& region);
};
