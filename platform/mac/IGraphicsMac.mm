#include "platform/mac/IGraphicsMac.h"

#include "core/Trace.h"
#include "editor/controls/IControl.h"
#include "platform/common/DialogRules.h"
#include "platform/common/MacWindowRules.h"
#include "platform/mac/IGraphicsCocoa.h"
#include "platform/mac/MacCompat.h"
#include "raster/RAS_Bitmap.h"
#include "raster/RAS_Raster.h"

// Temporary Cocoa objects go into a pool of their own: hosts also call outside a run-loop
// pass, where no outer pool exists.
namespace
{
struct ScopedPool
{
  NSAutoreleasePool* pool = [[NSAutoreleasePool alloc] init];
  ~ScopedPool() { [pool release]; }
};

IGraphicsCocoa_vQuorvane_vst* ViewOf(void* view)
{
  return (IGraphicsCocoa_vQuorvane_vst*)view;
}

void SetFromNSString(UTL_String* out, NSString* s)
{
  const char* text = s ? [s UTF8String] : nullptr;
  if (out && text) out->Set(text);
}
} // namespace

IGraphicsMac::IGraphicsMac(IEffectBase* plug, int width, int height, int fps)
    : IGraphics(plug, width, height, fps)
{
  NSApplicationLoad();
}

IGraphicsMac::~IGraphicsMac()
{
  CloseWindow();
}

// ---- Opening and closing ------------------------------------------------------------------

void* IGraphicsMac::OpenWindow(void* parent)
{
  return OpenCocoaWindow(parent);
}

void* IGraphicsMac::OpenCocoaWindow(void* parent)
{
  CloseWindow();
  IGraphicsCocoa_vQuorvane_vst* view =
      [[IGraphicsCocoa_vQuorvane_vst alloc] initWithIGraphics:this];
  mView = view;
  if (parent) [(NSView*)parent addSubview:view];
  UpdateTooltips();
  return view;
}

void IGraphicsMac::CloseWindow()
{
  if (!mView) return;
  IGraphicsCocoa_vQuorvane_vst* view = ViewOf(mView);
  [view removeAllToolTips];
  [view killTimer];
  mView = nullptr;
  // Unlinked first, so that the view's removal handler does not close again.
  if (view->mGraphics)
  {
    view->mGraphics = nullptr;
    [view removeFromSuperview];
  }
  EndUIThread();
  [view release];
}

void IGraphicsMac::AttachSubWindow(void* carbonWindow)
{
  ScopedPool pool;
  RemoveSubWindow();
  // Both windows are released when closed (RemoveSubWindow), which balances their creation.
  NSWindow* host = NewWindowForWindowRef(carbonWindow);
  [host setCanHide:YES];
  [host setReleasedWhenClosed:YES];

  const NSRect frame = host ? [host frame] : NSMakeRect(0, 0, 0, 0);
  const int offset = ChildWindowOffset(frame.size.width, Width());
  const NSRect content = NSMakeRect(frame.origin.x + offset, frame.origin.y, Width(), Height());
  CustomCocoaWindow_vQuorvane_vst* child =
      [[CustomCocoaWindow_vQuorvane_vst alloc] initWithContentRect:content
                                                         styleMask:NSBorderlessWindowMask
                                                           backing:NSBackingStoreBuffered
                                                             defer:NO];
  [child setOpaque:YES];
  [child setCanHide:YES];
  [child setHasShadow:NO];
  [child setReleasedWhenClosed:YES];

  OpenWindow([child contentView]);

  [host addChildWindow:child ordered:NSWindowAbove];
  [host orderFront:nil];
  [host display];
  [child performSelector:@selector(orderFront:) withObject:nil afterDelay:0.05];
  mCarbonHostWindow = host;
}

void IGraphicsMac::RemoveSubWindow()
{
  if (!mCarbonHostWindow) return;
  ScopedPool pool;
  NSWindow* host = (NSWindow*)mCarbonHostWindow;
  // Closing releases the host wrapper: forget it, so that a second call finds nothing.
  mCarbonHostWindow = nullptr;
  NSArray* children = [host childWindows];
  NSWindow* child = [children count] > 0 ? [children objectAtIndex:0] : nil;
  CloseWindow();
  [NSObject cancelPreviousPerformRequestsWithTarget:child];
  [child orderOut:nil];
  [host orderOut:nil];
  [child close];
  [host removeChildWindow:child];
  [host close];
}

void IGraphicsMac::Resize(int w, int h)
{
  if (w == Width() && h == Height()) return;
  IGraphics::Resize(w, h);
  if (mView) [ViewOf(mView) setFrameSize:NSMakeSize(w, h)];
}

// ---- Drawing and measuring ------------------------------------------------------------------

bool IGraphicsMac::DrawScreen(IRECT*)
{
  if (!mView) return false;
  RAS_SysBitmap* bitmap = GetDrawBitmap();
  CGContextRef port = CurrentGraphicsPort();
  if (!port || !bitmap || !bitmap->getDC()) return false;
  CGContextRef bitmapContext = CreateBitmapContextFor((SHIM_GfxContext*)bitmap->getDC());
  CGImageRef image = bitmapContext ? CGBitmapContextCreateImage(bitmapContext) : nullptr;
  ReleaseBitmapContext(bitmapContext);
  if (!image) return false;
  // The whole bitmap goes; the platform clips to the region being redrawn.
  CGContextDrawImage(port, CGRectMake(0, 0, bitmap->getRowSpan(), Height()), image);
  CGImageRelease(image);
  return true;
}

bool IGraphicsMac::MeasureIText(IText* text, const char* str, IRECT* rect)
{
  ScopedPool pool;
  return DrawIText(text, str, rect, true);
}

// ---- Resources --------------------------------------------------------------------------------

RAS_IBitmap* IGraphicsMac::OSLoadBitmap(int, const char* name)
{
  return LoadImgFromResourceOSX(mBundleIdentifier.Get(), name);
}

RAS_IBitmap* LoadImgFromResourceOSX(const char* bundleId, const char* name)
{
  UTL_String base;
  if (!BundleImageResource(name, &base)) return nullptr;
  ScopedPool pool;
  NSBundle* bundle = [NSBundle bundleWithIdentifier:ToNSString(bundleId)];
  NSString* path = [bundle pathForResource:ToNSString(base.Get()) ofType:@"png"];
  const char* file = path ? [path fileSystemRepresentation] : nullptr;
  if (!file || !*file) return nullptr;
  return RAS_LoadPNG(file, nullptr);
}

// ---- Dialogs and system services ----------------------------------------------------------

// Caller's text as a string without copying: UTF-8 when it is valid, Mac Roman (which
// takes any bytes) otherwise.
static CFStringRef NoCopyString(const char* text)
{
  if (!text) text = "";
  CFStringRef s =
      CFStringCreateWithCStringNoCopy(nullptr, text, kCFStringEncodingUTF8, kCFAllocatorNull);
  return s ? s
           : CFStringCreateWithCStringNoCopy(nullptr, text, kCFStringEncodingMacRoman,
                                             kCFAllocatorNull);
}

static CFStringRef ButtonTitle(const char* title)
{
  return title ? NoCopyString(title) : nullptr;
}

static void ReleaseString(CFStringRef s)
{
  if (s) CFRelease(s);
}

int IGraphicsMac::ShowMessageBox(const char* text, const char* caption, int type)
{
  const MessageBoxButtons buttons = MessageBoxButtonsFor(type);
  CFStringRef message = NoCopyString(text);
  CFStringRef header = NoCopyString(caption);
  CFStringRef defaultButton = ButtonTitle(buttons.defaultButton);
  CFStringRef alternateButton = ButtonTitle(buttons.alternateButton);
  CFStringRef otherButton = ButtonTitle(buttons.otherButton);

  CFOptionFlags response = kCFUserNotificationCancelResponse;
  const SInt32 err = CFUserNotificationDisplayAlert(
      0, kCFUserNotificationNoteAlertLevel, nullptr, nullptr, nullptr, header, message,
      defaultButton, alternateButton, otherButton, &response);

  ReleaseString(message);
  ReleaseString(header);
  ReleaseString(defaultButton);
  ReleaseString(alternateButton);
  ReleaseString(otherButton);

  MessageBoxResponse pressed = MessageBoxResponse::None;
  if (err == 0)
  {
    switch (response & 3)
    {
    case kCFUserNotificationDefaultResponse:
      pressed = MessageBoxResponse::Default;
      break;
    case kCFUserNotificationAlternateResponse:
      pressed = MessageBoxResponse::Alternate;
      break;
    case kCFUserNotificationOtherResponse:
      pressed = MessageBoxResponse::Other;
      break;
    default:
      break;
    }
  }
  return MessageBoxResult(pressed);
}

void IGraphicsMac::PromptForFile(UTL_String* file, EFileAction action, UTL_String* dir,
                                 const char* extensions)
{
  if (!WindowIsOpen())
  {
    if (file) file->Set("");
    return;
  }
  ScopedPool pool;
  const FileDialogStart start = BeginFileDialog(file, dir, extensions);
  NSString* name = ToNSString(start.defaultName.c_str());
  // The panels want a real folder: "~" is expanded for them only.
  NSString* folder = [ToNSString(start.directory.c_str()) stringByExpandingTildeInPath];
  NSMutableArray* types = [NSMutableArray array];
  for (const std::string& t : start.fileTypes)
    [types addObject:ToNSString(t.c_str())];

  NSSavePanel* panel = nil;
  NSInteger result = 0;
  if (action == kFileSave)
  {
    panel = [NSSavePanel savePanel];
    [panel setAllowedFileTypes:types];
    [panel setAllowsOtherFileTypes:NO];
    result = [panel runModalForDirectory:folder file:name];
  }
  else
  {
    NSOpenPanel* open = [NSOpenPanel openPanel];
    panel = open;
    [open setCanChooseFiles:YES];
    [open setCanChooseDirectories:NO];
    [open setResolvesAliases:YES];
    result = [open runModalForDirectory:folder file:name types:types];
  }
  if (result != NSOKButton) return;
  const char* chosen = [[panel filename] UTF8String];
  if (chosen && *chosen) FinishFileDialog(chosen, file, dir);
}

bool IGraphicsMac::OpenURL(const char* url, const char*, const char*, const char*)
{
  if (!url) return false;
  ScopedPool pool;
  NSString* text = ToNSString(url);
  NSURL* target = IsWebURL(url) ? [NSURL URLWithString:text] : [NSURL fileURLWithPath:text];
  return target && [[NSWorkspace sharedWorkspace] openURL:target];
}

void IGraphicsMac::HostPath(UTL_String* path)
{
  ScopedPool pool;
  NSBundle* bundle = [NSBundle bundleWithIdentifier:ToNSString(mBundleIdentifier.Get())];
  SetFromNSString(path, [bundle executablePath]);
}

void IGraphicsMac::PluginPath(UTL_String* path)
{
  ScopedPool pool;
  NSBundle* bundle = [NSBundle bundleWithIdentifier:ToNSString(mBundleIdentifier.Get())];
  NSString* folder = [[bundle bundlePath] stringByDeletingLastPathComponent];
  if (folder) SetFromNSString(path, [folder stringByAppendingString:@"/"]);
}

static void SearchPath(NSSearchPathDirectory which, UTL_String* path)
{
  ScopedPool pool;
  NSArray* paths = NSSearchPathForDirectoriesInDomains(which, NSUserDomainMask, YES);
  if ([paths count] > 0) SetFromNSString(path, [paths objectAtIndex:0]);
}

void IGraphicsMac::DesktopPath(UTL_String* path)
{
  SearchPath(NSDesktopDirectory, path);
}

void IGraphicsMac::AppSupportPath(UTL_String* path)
{
  SearchPath(NSApplicationSupportDirectory, path);
}

int IGraphicsMac::GetUserOSVersion()
{
  SInt32 version = 0;
  if (Gestalt(gestaltSystemVersion, &version) != 0) version = 0;
  Trace("GetUserOSVersion", 630, "%x", unsigned(version));
  return int(version);
}

// ---- Cursor -----------------------------------------------------------------------------------

void IGraphicsMac::HideMouseCursor()
{
  if (mCursorHidden) return;
  if (CGDisplayHideCursor(CGMainDisplayID()) == kCGErrorSuccess) mCursorHidden = true;
  // Measured from the top of the main display, as the cursor is moved back.
  const NSPoint p = [NSEvent mouseLocation];
  mHiddenMousePointX = int(p.x);
  mHiddenMousePointY = int(double(CGDisplayPixelsHigh(CGMainDisplayID())) - p.y);
}

void IGraphicsMac::ShowMouseCursor()
{
  if (!mCursorHidden) return;
  CGPoint p;
  p.x = mHiddenMousePointX;
  p.y = mHiddenMousePointY;
  CGDisplayMoveCursorToPoint(CGMainDisplayID(), p);
  if (CGDisplayShowCursor(CGMainDisplayID()) == kCGErrorSuccess) mCursorHidden = false;
}

// ---- Text entry, menus, tooltips ---------------------------------------------------------------

IPopupMenu* IGraphicsMac::CreateIPopupMenu(IPopupMenu* menu, IRECT* rect)
{
  ReleaseMouseCapture();
  if (!mView || !menu) return nullptr;
  const IRECT at = rect ? *rect : IRECT();
  return [ViewOf(mView) createIPopupMenu:menu:ToNSRect(at, Height())];
}

void IGraphicsMac::CreateTextEntry(IControl* control, IText* text, IRECT* rect, const char* str,
                                   IParam* param)
{
  if (!mView) return;
  const IRECT at = rect ? *rect : IRECT();
  [ViewOf(mView) createTextEntry:control:param:text:str:ToNSRect(at, Height())];
}

void IGraphicsMac::ForceEndUserEdit()
{
  if (mView) [ViewOf(mView) endUserInput];
}

void IGraphicsMac::UpdateTooltips()
{
  if (!mView || !TooltipsEnabled()) return;
  ScopedPool pool;
  IGraphicsCocoa_vQuorvane_vst* view = ViewOf(mView);
  [view removeAllToolTips];
  for (int i = 0; i < GetNControls(); ++i)
  {
    IControl* control = GetControl(i);
    if (ControlWantsTooltip(control)) [view registerToolTip:control->GetTargetRECT()];
  }
}
