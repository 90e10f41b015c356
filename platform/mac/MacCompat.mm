// GNUstep stand-ins for the macOS calls the window layer makes (MacCompat.h).
#ifdef GNUSTEP
#include "platform/mac/MacCompat.h"

#include "platform/common/SHIM.h"

#import <GNUstepGUI/GSDisplayServer.h>

#include <algorithm>
#include <cstring>

BOOL NSApplicationLoad(void)
{
  return [NSApplication sharedApplication] != nil;
}

const CFAllocatorRef kCFAllocatorNull = nullptr;

CFStringRef CFStringCreateWithCStringNoCopy(CFAllocatorRef, const char* text,
                                            CFStringEncoding encoding, CFAllocatorRef)
{
  if (!text) return nil;
  const NSStringEncoding ns =
      encoding == kCFStringEncodingUTF8 ? NSUTF8StringEncoding : NSMacOSRomanStringEncoding;
  return [[NSString alloc] initWithBytesNoCopy:(void*)text
                                        length:std::strlen(text)
                                      encoding:ns
                                  freeWhenDone:NO];
}

void CFRelease(CFTypeRef object)
{
  [(id)object release];
}

SInt32 CFUserNotificationDisplayAlert(CFTimeInterval, CFOptionFlags, CFURLRef, CFURLRef, CFURLRef,
                                      CFStringRef header, CFStringRef message,
                                      CFStringRef defaultButton, CFStringRef alternateButton,
                                      CFStringRef otherButton, CFOptionFlags* response)
{
  // The message goes through a "%@" format: a "%" in it is text, not a directive.
  const NSInteger pressed =
      NSRunAlertPanel(header ? header : @"", @"%@", defaultButton ? defaultButton : @"OK",
                      alternateButton, otherButton, message ? message : @"");
  if (response)
  {
    switch (pressed)
    {
    case NSAlertDefaultReturn:
      *response = kCFUserNotificationDefaultResponse;
      break;
    case NSAlertAlternateReturn:
      *response = kCFUserNotificationAlternateResponse;
      break;
    case NSAlertOtherReturn:
      *response = kCFUserNotificationOtherResponse;
      break;
    default:
      *response = kCFUserNotificationCancelResponse;
      break;
    }
  }
  return 0;
}

OSErr Gestalt(OSType selector, SInt32* response)
{
  if (selector != gestaltSystemVersion || !response) return gestaltUndefSelectorErr;
  // "6.1.0-21-amd64" and the like: the leading numbers of the kernel release.
  int part[3] = {0, 0, 0};
  const char* s = [[[NSProcessInfo processInfo] operatingSystemVersionString] UTF8String];
  for (int i = 0; s && *s && i < 3; ++i)
  {
    while (*s && (*s < '0' || *s > '9'))
      ++s;
    for (; *s >= '0' && *s <= '9'; ++s)
      part[i] = std::min(part[i] * 10 + (*s - '0'), 99);
  }
  *response = SInt32((part[0] / 10) << 12 | (part[0] % 10) << 8 | std::min(part[1], 9) << 4 |
                     std::min(part[2], 9));
  return 0;
}

CGDirectDisplayID CGMainDisplayID(void)
{
  return 1;
}

CGError CGDisplayHideCursor(CGDirectDisplayID)
{
  GSDisplayServer* server = GSCurrentServer();
  if (!server) return kCGErrorFailure;
  [server hidecursor];
  return kCGErrorSuccess;
}

CGError CGDisplayShowCursor(CGDirectDisplayID)
{
  GSDisplayServer* server = GSCurrentServer();
  if (!server) return kCGErrorFailure;
  [server showcursor];
  return kCGErrorSuccess;
}

size_t CGDisplayPixelsHigh(CGDirectDisplayID)
{
  NSScreen* screen = [NSScreen mainScreen];
  return screen ? size_t([screen frame].size.height) : 0;
}

CGError CGDisplayMoveCursorToPoint(CGDirectDisplayID display, CGPoint point)
{
  GSDisplayServer* server = GSCurrentServer();
  if (!server) return kCGErrorFailure;
  // GNUstep's screen coordinates have their origin at the bottom left.
  const double height = double(CGDisplayPixelsHigh(display));
  [server setMouseLocation:NSMakePoint(point.x, height - point.y)
                  onScreen:[[NSScreen mainScreen] screenNumber]];
  return kCGErrorSuccess;
}

CGContextRef CreateBitmapContextFor(SHIM_GfxContext* ctx)
{
  return (CGContextRef)ctx;
}

CGContextRef CurrentGraphicsPort(void)
{
  return (CGContextRef)[NSGraphicsContext currentContext];
}

struct CGImage
{
  NSBitmapImageRep* rep;
};

CGImageRef CGBitmapContextCreateImage(CGContextRef bitmapContext)
{
  SHIM_GfxContext* ctx = (SHIM_GfxContext*)bitmapContext;
  const unsigned char* src = (const unsigned char*)SHIM_GetCtxFrameBuffer(ctx);
  const int w = SHIM_GetCtxWidth(ctx), h = SHIM_GetCtxHeight(ctx);
  if (!src || w <= 0 || h <= 0) return nullptr;
  NSBitmapImageRep* rep = [[NSBitmapImageRep alloc] initWithBitmapDataPlanes:nullptr
                                                                  pixelsWide:w
                                                                  pixelsHigh:h
                                                               bitsPerSample:8
                                                             samplesPerPixel:3
                                                                    hasAlpha:NO
                                                                    isPlanar:NO
                                                              colorSpaceName:NSDeviceRGBColorSpace
                                                                 bytesPerRow:w * 3
                                                                bitsPerPixel:24];
  unsigned char* dst = [rep bitmapData];
  if (!dst)
  {
    [rep release];
    return nullptr;
  }
  // Shim pixels are bytes A, R, G, B; the image takes R, G, B.
  const int srcRow = SHIM_GetCtxRowBytes(ctx);
  for (int y = 0; y < h; ++y)
  {
    const unsigned char* s = src + size_t(y) * srcRow;
    unsigned char* d = dst + size_t(y) * w * 3;
    for (int x = 0; x < w; ++x, s += 4, d += 3)
    {
      d[0] = s[1];
      d[1] = s[2];
      d[2] = s[3];
    }
  }
  return new CGImage{rep};
}

void CGContextDrawImage(CGContextRef port, CGRect rect, CGImageRef image)
{
  if (!port || !image) return;
  [image->rep drawInRect:rect];
}

void CGImageRelease(CGImageRef image)
{
  if (!image) return;
  [image->rep release];
  delete image;
}

void AddTimerInCommonModes(NSTimer* timer)
{
  NSRunLoop* loop = [NSRunLoop currentRunLoop];
  [loop addTimer:timer forMode:NSDefaultRunLoopMode];
  [loop addTimer:timer forMode:NSModalPanelRunLoopMode];
  [loop addTimer:timer forMode:NSEventTrackingRunLoopMode];
}

NSWindow* NewWindowForWindowRef(void* windowRef)
{
  return [(NSWindow*)windowRef retain];
}
#endif
