#pragma once
// The few macOS calls of the window layer that GNUstep does not offer: the CoreFoundation
// alert and string calls, the system version query, the display cursor calls, the
// CoreGraphics image calls that copy the draw bitmap to the screen, and the application
// kit's loader. GNUstep builds only: on macOS the system headers declare the real calls.
// Each stand-in does what the window layer expects of the real call, on GNUstep's AppKit.
#import <Cocoa/Cocoa.h>

#include <cstdint>

#ifdef GNUSTEP

struct SHIM_GfxContext;

// Loads the application kit into a process that is not a Cocoa application.
BOOL NSApplicationLoad(void);

// ---- CoreFoundation strings and alerts -------------------------------------------------
typedef NSString* CFStringRef; // GNUstep strings stand in for CoreFoundation's
typedef const void* CFTypeRef;
typedef const void* CFAllocatorRef;
typedef const void* CFURLRef;
typedef uint32_t CFStringEncoding;
typedef unsigned long CFOptionFlags;
typedef double CFTimeInterval;
typedef int32_t SInt32;
typedef int16_t OSErr;

enum : CFStringEncoding
{
  kCFStringEncodingMacRoman = 0,
  kCFStringEncodingUTF8 = 0x08000100
};
extern const CFAllocatorRef kCFAllocatorNull;

// A string over the caller's bytes, which must outlive it; null when the bytes do not
// decode in the encoding.
CFStringRef CFStringCreateWithCStringNoCopy(CFAllocatorRef alloc, const char* text,
                                            CFStringEncoding encoding, CFAllocatorRef dealloc);
void CFRelease(CFTypeRef object);

enum : CFOptionFlags
{
  kCFUserNotificationStopAlertLevel = 0,
  kCFUserNotificationNoteAlertLevel = 1,
  kCFUserNotificationCautionAlertLevel = 2,
  kCFUserNotificationPlainAlertLevel = 3,

  kCFUserNotificationDefaultResponse = 0,
  kCFUserNotificationAlternateResponse = 1,
  kCFUserNotificationOtherResponse = 2,
  kCFUserNotificationCancelResponse = 3
};

// A modal alert: header as title, message as text, the default button (the system's OK
// when null) and the optional alternate and other buttons. *response gets the button
// pressed. Returns 0 once the alert has run.
SInt32 CFUserNotificationDisplayAlert(CFTimeInterval timeout, CFOptionFlags flags, CFURLRef icon,
                                      CFURLRef sound, CFURLRef localization, CFStringRef header,
                                      CFStringRef message, CFStringRef defaultButton,
                                      CFStringRef alternateButton, CFStringRef otherButton,
                                      CFOptionFlags* response);

// ---- System version ----------------------------------------------------------------------
enum : OSType
{
  gestaltSystemVersion = 0x73797376 // 'sysv'
};
enum : OSErr
{
  gestaltUndefSelectorErr = -5551
};
// 'sysv' gives the running system's version as binary-coded decimal digits 0xMMmp (major
// two digits, minor and patch one each, held at 9); other selectors are unknown.
OSErr Gestalt(OSType selector, SInt32* response);

// ---- Display cursor ------------------------------------------------------------------
typedef uint32_t CGDirectDisplayID;
typedef int32_t CGError;
typedef NSPoint CGPoint;
typedef NSRect CGRect;
inline CGRect CGRectMake(double x, double y, double w, double h)
{
  return NSMakeRect(x, y, w, h);
}
enum : CGError
{
  kCGErrorSuccess = 0,
  kCGErrorFailure = 1000
};
CGDirectDisplayID CGMainDisplayID(void);
CGError CGDisplayHideCursor(CGDirectDisplayID display);
CGError CGDisplayShowCursor(CGDirectDisplayID display);
// point: global display coordinates, origin at the top left of the main display.
CGError CGDisplayMoveCursorToPoint(CGDirectDisplayID display, CGPoint point);
size_t CGDisplayPixelsHigh(CGDirectDisplayID display);

// ---- Images of the draw bitmap -------------------------------------------------------------
// A bitmap context here is the drawing shim's memory context itself; the graphics port of
// a view being drawn is the current NSGraphicsContext.
CGContextRef CreateBitmapContextFor(SHIM_GfxContext* ctx);
inline void ReleaseBitmapContext(CGContextRef) {}
CGContextRef CurrentGraphicsPort(void);
// A copy of the context's pixels (alpha ignored, as the shim's contexts are opaque).
CGImageRef CGBitmapContextCreateImage(CGContextRef bitmapContext);
// Draws the image upright into rect of the port (the current context).
void CGContextDrawImage(CGContextRef port, CGRect rect, CGImageRef image);
void CGImageRelease(CGImageRef image);

// ---- Run loop -----------------------------------------------------------------------------
// Schedules the timer in the run loop's common modes (default, modal panels, tracking), so
// that it fires while menus track and dialogs run. GNUstep's run loop treats the common
// modes' name as a mode of its own, so the modes are listed one by one.
void AddTimerInCommonModes(NSTimer* timer);

// ---- Carbon host windows ----------------------------------------------------------------
// There is no Carbon here: a host's window reference is its NSWindow. Returns it retained
// (the caller owns one reference, as with a new wrapper), or nil for a null reference.
NSWindow* NewWindowForWindowRef(void* windowRef);

#else // macOS

#import <Carbon/Carbon.h>

#include "platform/common/SHIM.h"

// A CoreGraphics bitmap context over the drawing shim's memory context, without copying:
// bytes A, R, G, B with the alpha byte skipped, row 0 at the top. Null when it cannot be
// made. ReleaseBitmapContext releases it.
inline CGContextRef CreateBitmapContextFor(SHIM_GfxContext* ctx)
{
  void* pixels = SHIM_GetCtxFrameBuffer(ctx);
  if (!pixels) return nullptr;
  CGColorSpaceRef rgb = CGColorSpaceCreateDeviceRGB();
  CGContextRef bitmap = CGBitmapContextCreate(
      pixels, size_t(SHIM_GetCtxWidth(ctx)), size_t(SHIM_GetCtxHeight(ctx)), 8,
      size_t(SHIM_GetCtxRowBytes(ctx)), rgb, kCGImageAlphaNoneSkipFirst | kCGBitmapByteOrder32Big);
  CGColorSpaceRelease(rgb);
  return bitmap;
}

inline void ReleaseBitmapContext(CGContextRef bitmap)
{
  if (bitmap) CGContextRelease(bitmap);
}

inline NSWindow* NewWindowForWindowRef(void* windowRef)
{
  return windowRef ? [[NSWindow alloc] initWithWindowRef:windowRef] : nil;
}

inline void AddTimerInCommonModes(NSTimer* timer)
{
  [[NSRunLoop currentRunLoop] addTimer:timer forMode:NSRunLoopCommonModes];
}

// The port of the context being drawn, seen through a flipped wrapper as the bitmap copy
// expects.
inline CGContextRef CurrentGraphicsPort(void)
{
  NSGraphicsContext* current = [NSGraphicsContext currentContext];
  NSGraphicsContext* flipped =
      [NSGraphicsContext graphicsContextWithGraphicsPort:[current graphicsPort] flipped:YES];
  return (CGContextRef)[flipped graphicsPort];
}

#endif
