#include "platform/mac/IGraphicsCocoa.h"

#include "core/IParam.h"
#include "editor/controls/IControl.h"
#include "editor/menu/IPopupMenu.h"
#include "platform/common/EditorCoordinates.h"
#include "platform/common/EditorKeys.h"
#include "platform/mac/IGraphicsMac.h"
#include "platform/mac/MacCompat.h"

NSRect ToNSRect(const IRECT& rect, int height)
{
  const ViewRect v = EditorRectToViewRect(rect, height);
  return NSMakeRect(v.x, v.y, v.w, v.h);
}

NSString* ToNSString(const char* text)
{
  NSString* s = text ? [NSString stringWithCString:text encoding:NSUTF8StringEncoding] : nil;
  return s ? s : @"";
}

// The named key of a key event. macOS reports its own virtual key codes; GNUstep reports
// the X server's, which mean nothing here, so there the key's character names it.
static NamedKey NamedKeyOf(int keyCode, unichar c)
{
#ifdef GNUSTEP
  (void)keyCode;
  switch (c)
  {
  case ' ':
    return NamedKey::Space;
  case NSUpArrowFunctionKey:
    return NamedKey::Up;
  case NSDownArrowFunctionKey:
    return NamedKey::Down;
  case NSLeftArrowFunctionKey:
    return NamedKey::Left;
  case NSRightArrowFunctionKey:
    return NamedKey::Right;
  default:
    return NamedKey::None;
  }
#else
  (void)c;
  return MacNamedKey(keyCode);
#endif
}

@implementation CustomCocoaWindow_vQuorvane_vst

- (BOOL)canBecomeKeyWindow
{
  return YES;
}

@end

@implementation IGraphicsCocoa_vQuorvane_vst

- (id)init
{
  self = [super init];
  if (!self) return nil;
  mGraphics = nullptr;
  mTimer = nil;
  mPrevX = mPrevY = 0;
  return self;
}

- (id)initWithIGraphics:(IGraphicsMac*)graphics
{
  self =
      [super initWithFrame:NSMakeRect(0, 0, float(graphics->Width()), float(graphics->Height()))];
  if (!self) return nil;
  mGraphics = graphics;
  // The run loop keeps the timer, and the timer keeps its target: killTimer breaks the cycle.
  mTimer = [[NSTimer timerWithTimeInterval:1.0 / graphics->FPS()
                                    target:self
                                  selector:@selector(onTimer:)
                                  userInfo:nil
                                   repeats:YES] retain];
  AddTimerInCommonModes(mTimer);
  graphics->BeginUIThread();
  return self;
}

- (void)dealloc
{
  [self killTimer];
  [super dealloc];
}

- (BOOL)isOpaque
{
  return mGraphics ? YES : NO;
}

- (BOOL)acceptsFirstResponder
{
  return YES;
}

- (BOOL)acceptsFirstMouse:(NSEvent*)event
{
  (void)event;
  return YES;
}

- (void)viewDidMoveToWindow
{
  NSWindow* window = [self window];
  if (!window) return;
  [window makeFirstResponder:self];
  [window setAcceptsMouseMovedEvents:YES];
}

- (void)drawRect:(NSRect)rect
{
  if (!mGraphics) return;
  const ViewRect v{rect.origin.x, rect.origin.y, rect.size.width, rect.size.height};
  IRECT region = ViewRectToEditorRect(v, mGraphics->Height());
  mGraphics->Draw(&region);
}

- (void)onTimer:(NSTimer*)timer
{
  if (timer != mTimer || !mGraphics) return;
  mGraphics->ApplyPendingFromPlug();
  IRECT dirty;
  if (mGraphics->IsDirty(&dirty)) [self setNeedsDisplayInRect:ToNSRect(dirty, mGraphics->Height())];
}

- (void)killTimer
{
  [mTimer invalidate];
  [mTimer release];
  mTimer = nil;
}

- (void)removeFromSuperview
{
  // Closing the editor below drops its reference to this view.
  [self retain];
  if (mTextFieldView) [self endUserInput];
  // Only a removal from a host's view closes the editor: GNUstep also sends this while
  // adding a view that has no superview yet.
  if (mGraphics && [self superview])
  {
    IGraphicsMac* graphics = mGraphics;
    mGraphics = nullptr;
    graphics->CloseWindow();
  }
  // An unlinked view has nothing to show: leave the host's view hierarchy too, so that a
  // host reusing its window does not collect dead views.
  [super removeFromSuperview];
  [self release];
}

- (void)getMouseXY:(NSEvent*)event x:(int*)x y:(int*)y
{
  if (!mGraphics) return;
  const NSPoint p = [self convertPoint:[event locationInWindow] fromView:nil];
  ViewPointToEditorPoint(p.x, p.y, mGraphics->Height(), x, y);
  mPrevX = *x;
  mPrevY = *y;
}

// ---- Mouse and wheel -------------------------------------------------------------------

// The editor point and flags of a mouse or wheel event; false while unlinked.
- (bool)readEvent:(NSEvent*)event rightButton:(bool)right x:(int*)x y:(int*)y mod:(IMouseMod*)mod
{
  if (!mGraphics) return false;
  [self getMouseXY:event x:x y:y];
  *mod = MouseModFromMacFlags([event modifierFlags], right);
  return true;
}

- (void)mouseDown:(NSEvent*)event
{
  int x = 0, y = 0;
  IMouseMod mod;
  if (![self readEvent:event rightButton:false x:&x y:&y mod:&mod]) return;
  if ([event clickCount] > 1)
    mGraphics->OnMouseDblClick(x, y, &mod);
  else
    mGraphics->OnMouseDown(x, y, &mod);
}

- (void)mouseUp:(NSEvent*)event
{
  int x = 0, y = 0;
  IMouseMod mod;
  if ([self readEvent:event rightButton:false x:&x y:&y mod:&mod]) mGraphics->OnMouseUp(x, y, &mod);
}

// While a text entry is open, drags only move the remembered point.
- (void)dragWith:(NSEvent*)event rightButton:(bool)right
{
  int x = 0, y = 0;
  IMouseMod mod;
  if ([self readEvent:event rightButton:right x:&x y:&y mod:&mod] && !mTextFieldView)
    mGraphics->OnMouseDrag(x, y, &mod);
}

- (void)mouseDragged:(NSEvent*)event
{
  [self dragWith:event rightButton:false];
}

- (void)rightMouseDown:(NSEvent*)event
{
  int x = 0, y = 0;
  IMouseMod mod;
  if ([self readEvent:event rightButton:true x:&x y:&y mod:&mod])
    mGraphics->OnMouseDown(x, y, &mod);
}

- (void)rightMouseUp:(NSEvent*)event
{
  int x = 0, y = 0;
  IMouseMod mod;
  if ([self readEvent:event rightButton:true x:&x y:&y mod:&mod]) mGraphics->OnMouseUp(x, y, &mod);
}

- (void)rightMouseDragged:(NSEvent*)event
{
  [self dragWith:event rightButton:true];
}

- (void)mouseMoved:(NSEvent*)event
{
  int x = 0, y = 0;
  IMouseMod mod;
  if ([self readEvent:event rightButton:false x:&x y:&y mod:&mod])
    mGraphics->OnMouseOver(x, y, &mod);
}

// The wheel closes an open text entry without applying it.
- (void)scrollWheel:(NSEvent*)event
{
  if (mGraphics && mTextFieldView) [self endUserInput];
  int x = 0, y = 0;
  IMouseMod mod;
  if ([self readEvent:event rightButton:false x:&x y:&y mod:&mod])
    mGraphics->OnMouseWheel(x, y, &mod, WheelSteps([event deltaY]));
}

// ---- Keys --------------------------------------------------------------------------------

- (void)keyDown:(NSEvent*)event
{
  if (!mGraphics) return;
  NSString* chars = [event charactersIgnoringModifiers];
  if ([chars length] != 1) return; // dead keys and composed input
  const unichar c = [chars characterAtIndex:0];
  const int code = EditorKeyCode(NamedKeyOf([event keyCode], c), char32_t(c));
  if (code < 0 || !mGraphics->OnKeyDown(mPrevX, mPrevY, code)) [[self nextResponder] keyDown:event];
}

// ---- Text entry --------------------------------------------------------------------------

static NSColor* ToNSColor(const IColor& c)
{
  return [NSColor colorWithCalibratedRed:c.R / 255.0
                                   green:c.G / 255.0
                                    blue:c.B / 255.0
                                   alpha:c.A / 255.0];
}

- (void)createTextEntry:(IControl*)control:(IParam*)param:(IText*)text:(const char*)str:(NSRect)rect
{
  if (!control || mTextFieldView || !mGraphics) return;

  mTextFieldView = [[NSTextField alloc] initWithFrame:rect];
  if (text)
  {
    NSFont* font = [NSFont fontWithName:ToNSString(text->mFont) size:float(int(text->mSize * 0.9))];
    // An unknown face keeps the field's own font.
    if (font) [mTextFieldView setFont:font];
    switch (text->mAlign)
    {
    case IText::kAlignNear:
      [mTextFieldView setAlignment:NSLeftTextAlignment];
      break;
    case IText::kAlignCenter:
      [mTextFieldView setAlignment:NSCenterTextAlignment];
      break;
    case IText::kAlignFar:
      [mTextFieldView setAlignment:NSRightTextAlignment];
      break;
    default:
      break;
    }
  }
  if (param)
  {
    const TextEntryRules rules = TextEntryRulesFor(param, control->GetTextEntryLength());
    CocoaFormatter_vQuorvane_vst* formatter = [CocoaFormatter_vQuorvane_vst alloc];
    formatter = [[formatter init] autorelease];
    [formatter setAcceptableCharacters:rules.acceptable];
    [formatter setMaximumLength:rules.maxLength];
    [mTextFieldView setFormatter:formatter];
  }
  [[mTextFieldView cell] setLineBreakMode:NSLineBreakByTruncatingTail];
  [mTextFieldView setAllowsEditingTextAttributes:NO];
  if (text)
  {
    [mTextFieldView setTextColor:ToNSColor(text->mTextEntryFGColor)];
    [mTextFieldView setBackgroundColor:ToNSColor(text->mTextEntryBGColor)];
  }
  [mTextFieldView setStringValue:ToNSString(str)];
  [mTextFieldView setBordered:NO];
  [mTextFieldView setFocusRingType:NSFocusRingTypeNone];
  [mTextFieldView setDelegate:self];

  [self addSubview:mTextFieldView];
  NSWindow* window = [self window];
  [window makeKeyAndOrderFront:nil];
  [window makeFirstResponder:mTextFieldView];

  mEdParam = param;
  mEdControl = control;
}

- (void)controlTextDidEndEditing:(NSNotification*)notification
{
  (void)notification;
  if (!mTextFieldView) return;
  const char* text = [[mTextFieldView stringValue] UTF8String];
  if (!text) text = "";
  if (mGraphics && mEdParam)
    mGraphics->SetFromStringAfterPrompt(mEdControl, mEdParam, text);
  else if (mGraphics)
    mEdControl->TextFromTextEntry(text);
  [self endUserInput];
  [self setNeedsDisplay:YES];
}

- (void)endUserInput
{
  if (!mTextFieldView) return;
  NSTextField* field = mTextFieldView;
  mTextFieldView = nil;
  mEdControl = nullptr;
  mEdParam = nullptr;
  // No delegate first: losing the focus below would otherwise commit the text.
  [field setDelegate:nil];
  [field removeFromSuperview];
  [[self window] makeFirstResponder:self];
  [field release];
}

- (NSTextField*)textEntry
{
  return mTextFieldView;
}

// ---- Popup menus ---------------------------------------------------------------------------

- (IPopupMenu*)createIPopupMenu:(IPopupMenu*)menu:(NSRect)rect
{
  if (!menu) return nullptr;
  IGraphicsMenuRcvr_vQuorvane_vst* receiver = [IGraphicsMenuRcvr_vQuorvane_vst alloc];
  receiver = [[receiver initWithFrame:rect] autorelease];
  IGraphicsNSMenu_vQuorvane_vst* nsMenu = [IGraphicsNSMenu_vQuorvane_vst alloc];
  nsMenu = [[nsMenu initWithIPopupMenuAndReciever:menu:receiver] autorelease];

  NSPoint anchor = [self convertPointToBase:NSMakePoint(rect.origin.x, rect.origin.y - 4.0)];
  NSEvent* event = [NSEvent otherEventWithType:NSApplicationDefined
                                      location:anchor
                                 modifierFlags:15
                                     timestamp:0
                                  windowNumber:[[self window] windowNumber]
                                       context:[NSGraphicsContext currentContext]
                                       subtype:0
                                         data1:0
                                         data2:0];
  [NSMenu popUpContextMenu:nsMenu withEvent:event forView:receiver];
  return ChosenIPopupMenu([receiver MenuItem]);
}

// ---- Tooltips ------------------------------------------------------------------------------

- (void)registerToolTip:(IRECT*)rect
{
  if (!mGraphics || !rect) return;
  [self addToolTipRect:ToNSRect(*rect, mGraphics->Height()) owner:self userData:nullptr];
}

- (NSString*)view:(NSView*)view
    stringForToolTip:(NSToolTipTag)tag
               point:(NSPoint)point
            userData:(void*)data
{
  (void)view;
  (void)tag;
  (void)point;
  (void)data;
  // The text follows the control the editor tracks under the mouse, whichever rectangle
  // asked.
  const int idx = mGraphics ? mGraphics->GetMouseOver() : -1;
  IControl* control = idx >= 0 ? mGraphics->GetControl(idx) : nullptr;
  const char* tip = control ? control->GetTooltip() : nullptr;
  return tip && *tip ? ToNSString(tip) : @"";
}

@end

IPopupMenu* ChosenIPopupMenu(NSMenuItem* item)
{
  NSMenu* owner = [item menu];
  if (!item || ![owner isKindOfClass:[IGraphicsNSMenu_vQuorvane_vst class]]) return nullptr;
  IPopupMenu* model = [(IGraphicsNSMenu_vQuorvane_vst*)owner AssociatedIPopupMenu];
  const NSInteger pos = [owner indexOfItem:item];
  if (pos < 0 || !model) return nullptr;
  model->SetChosenItemIdx(int(pos));
  return model;
}
