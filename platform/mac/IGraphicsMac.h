#pragma once
// The editor on macOS: places the Cocoa view (IGraphicsCocoa.h) into the host's view or
// Carbon window, copies the draw bitmap to the screen, loads images from the plug-in
// bundle's resources, and shows the system's dialogs. Plain C++, so that the plug-in can
// include it; the Objective-C++ lives in the .mm files.
// Everything here runs on the host's user-interface (main) thread.
#include "editor/IGraphics.h"
#include "util/UTL_String.h"

class RAS_IBitmap;

class IGraphicsMac : public IGraphics
{
public:
  IGraphicsMac(IEffectBase* plug, int width, int height, int fps = 0);
  // Closes an open view first.
  ~IGraphicsMac() override;

  // Identifier of the plug-in's own bundle (reverse-domain form); images and paths are
  // looked up in that bundle.
  void SetBundleID(const char* id) { mBundleIdentifier.Set(id); }
  const char* GetBundleID() const { return mBundleIdentifier.Get(); }

  bool DrawScreen(IRECT* rect) override;
  bool MeasureIText(IText* text, const char* str, IRECT* rect) override;
  void ForceEndUserEdit() override;
  // Nothing when the size is unchanged; otherwise the base rebuilds, then the view follows.
  void Resize(int w, int h) override;
  bool WindowIsOpen() override { return mView != nullptr; }
  const char* GetGUIAPI() override { return "Cocoa GUI"; }
  // Types: 1 OK/Cancel, 3 Yes/No/Cancel, 4 Yes/No, anything else OK. Returns 1 for the
  // default button, 7 for the alternate, 2 for the other, 0 otherwise.
  int ShowMessageBox(const char* text, const char* caption, int type) override;
  IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* rect) override;
  void CreateTextEntry(IControl* control, IText* text, IRECT* rect, const char* str,
                       IParam* param) override;
  // The bundle's executable; unchanged when the bundle is not loaded.
  void HostPath(UTL_String* path) override;
  // The folder holding the bundle, with a trailing "/"; unchanged when not loaded.
  void PluginPath(UTL_String* path) override;
  void DesktopPath(UTL_String* path) override;
  void AppSupportPath(UTL_String* path) override;
  void PromptForFile(UTL_String* file, EFileAction action, UTL_String* dir,
                     const char* extensions) override;
  bool PromptForColor(IColor*, const char*) override { return false; }
  bool OpenURL(const char* url, const char* windowTitle = nullptr,
               const char* confirmText = nullptr, const char* failureText = nullptr) override;
  // parent: the host's NSView, or null. Returns the view.
  void* OpenWindow(void* parent) override;
  using IGraphics::OpenWindow;
  void* OpenCocoaWindow(void* parent);
  // For hosts that hand over a Carbon window: a borderless child window over its centre.
  void AttachSubWindow(void* carbonWindow) override;
  void RemoveSubWindow() override;
  void CloseWindow() override;
  void* GetWindow() override { return mView; }
  void HideMouseCursor() override;
  void ShowMouseCursor() override;
  void UpdateTooltips() override;
  RAS_IBitmap* OSLoadBitmap(int id, const char* name) override;

  // The system version as the system reports it, or 0.
  int GetUserOSVersion();

private:
  void* mView = nullptr; // IGraphicsCocoa_vQuorvane_vst*, retained while open
  UTL_String mBundleIdentifier;
  void* mCarbonHostWindow = nullptr; // NSWindow* around the host's window while attached
};

// A PNG resource of the bundle as a new bitmap, or null: the name's last path component
// without its extension is looked up as a "png" resource; names not ending in ".png" (any
// case) yield null without touching the bundle.
RAS_IBitmap* LoadImgFromResourceOSX(const char* bundleId, const char* name);
