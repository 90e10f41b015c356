// The editor view on GNUstep: placement, redraw, events, text entry, menus, lifecycle.
#include "CocoaTestUtil.h"

#include "core/IParam.h"
#include "editor/menu/IPopupMenu.h"
#include "platform/mac/MacCompat.h"
#include "util/UTL_String.h"

#include <gtest/gtest.h>

namespace
{
NSEvent* Mouse(NSEventType type, double x, double y, NSUInteger flags = 0, int clicks = 1,
               double deltaY = 0)
{
  return [NSEvent mouseEventWithType:type
                            location:NSMakePoint(x, y)
                       modifierFlags:flags
                           timestamp:0
                        windowNumber:0
                             context:nil
                         eventNumber:0
                          clickCount:clicks
                            pressure:1
                        buttonNumber:0
                              deltaX:0
                              deltaY:deltaY
                              deltaZ:0];
}

NSEvent* Key(unichar c, unsigned short keyCode, NSUInteger flags = 0)
{
  NSString* s = c ? [NSString stringWithCharacters:&c length:1] : @"";
  return [NSEvent keyEventWithType:NSKeyDown
                          location:NSMakePoint(0, 0)
                     modifierFlags:flags
                         timestamp:0
                      windowNumber:0
                           context:nil
                        characters:s
       charactersIgnoringModifiers:s
                         isARepeat:NO
                           keyCode:keyCode];
}

// RGB of the view's pixel at view point (x, y) as drawn on screen.
void ViewPixel(NSView* view, int x, int y, int rgb[3])
{
  [view lockFocus];
  NSBitmapImageRep* rep = [[NSBitmapImageRep alloc] initWithFocusedViewRect:NSMakeRect(x, y, 1, 1)];
  [view unlockFocus];
  const unsigned char* p = [rep bitmapData];
  for (int i = 0; i < 3; ++i)
    rgb[i] = p ? p[i] : -1;
  [rep release];
}
} // namespace

// Counts the keys the view hands on.
@interface KeySink_test : NSResponder
{
@public
  int keys;
}
@end
@implementation KeySink_test
- (void)keyDown:(NSEvent*)event
{
  (void)event;
  ++keys;
}
@end

TEST(CocoaView, SizesToEditorAndTimerDrawsDirtyRegionsUpright)
{
  CocoaEditor e;
  // A red strip at the editor's top: on screen it must be at the view's top.
  IColor red = COLOR_RED;
  e.g->AttachControl(new IPanelControl(&e.plug, IRECT(0, 0, e.kW, 20), &red));
  [e.host orderFront:nil];
  IGraphicsCocoa_vQuorvane_vst* view = e.Open();
  ASSERT_TRUE(view);
  EXPECT_TRUE(e.g->WindowIsOpen());
  EXPECT_EQ([e.host contentView], [view superview]);
  EXPECT_TRUE(NSEqualRects(NSMakeRect(0, 0, e.kW, e.kH), [view frame]));
  EXPECT_TRUE([view isOpaque]);

  RunLoopFor(0.2);
  int rgb[3];
  ViewPixel(view, 5, e.kH - 5, rgb);
  EXPECT_EQ(255, rgb[0]);
  EXPECT_EQ(0, rgb[1]);
  ViewPixel(view, 5, 5, rgb);
  EXPECT_EQ(127, rgb[0]);
  EXPECT_EQ(127, rgb[2]);

  // A dirty control is redrawn by the timer's request, without anyone asking for display.
  const int drawn = e.probe->draws;
  e.probe->SetDirty(false);
  RunLoopFor(0.2);
  EXPECT_GT(e.probe->draws, drawn);
  EXPECT_FALSE(e.probe->IsDirty());

  // Closed: the timer is gone and the view is unlinked (and out of the host's view).
  e.g->CloseWindow();
  EXPECT_FALSE(e.g->WindowIsOpen());
  EXPECT_EQ(0u, [[[e.host contentView] subviews] count]);
  const int closedDraws = e.probe->draws;
  e.probe->SetDirty(false);
  RunLoopFor(0.15);
  EXPECT_EQ(closedDraws, e.probe->draws);
}

TEST(CocoaView, EventsReachEditorWithEditorPointsFlagsAndKeyCodes)
{
  CocoaEditor e;
  IGraphicsCocoa_vQuorvane_vst* view = e.Open();
  std::vector<std::string>& log = e.probe->log;

  [view mouseDown:Mouse(NSLeftMouseDown, 10.7, 300.2)];
  [view mouseDragged:Mouse(NSLeftMouseDragged, 14.2, 290.9)];
  [view mouseUp:Mouse(NSLeftMouseUp, 14.2, 290.9)];
  [view mouseDown:Mouse(NSLeftMouseDown, 10.7, 300.2, 0, 2)];
  [view mouseUp:Mouse(NSLeftMouseUp, 10.7, 300.2)];
  [view mouseDown:Mouse(NSLeftMouseDown, 50, 50, NSAlternateKeyMask | NSShiftKeyMask)];
  [view mouseDown:Mouse(NSLeftMouseDown, 50, 50, NSCommandKeyMask)];
  [view rightMouseDown:Mouse(NSRightMouseDown, 50, 50, NSControlKeyMask)];
  [view rightMouseDragged:Mouse(NSRightMouseDragged, 52, 49)];
  [view rightMouseUp:Mouse(NSRightMouseUp, 52, 49)];
  [view scrollWheel:Mouse(NSScrollWheel, 50, 50, 0, 0, 0.7)];
  [view scrollWheel:Mouse(NSScrollWheel, 50, 50, NSShiftKeyMask, 0, -2.9)];
  const std::vector<std::string> expected = {
      "down 8 30 L....", "drag 4 10 L....",   "up 12 40 L....",    "dbl 8 30 L....",
      "up 8 30 L....",   "down 48 280 L.S.A", "down 48 280 LR...", "down 48 280 .R.C.",
      "drag 2 1 .R...",  "up 50 281 .R...",   "wheel 0 0 L....",   "wheel -2 0 L.S..",
  };
  EXPECT_EQ(expected, log);

  // Keys go to the control under the last mouse point; refused and unknown keys go on.
  KeySink_test* sink = [[KeySink_test alloc] init];
  [view setNextResponder:sink];
  log.clear();
  struct
  {
    unichar c;
    unsigned short code;
    NSUInteger flags;
  } keys[] = {{'a', 0, 0},
              {'A', 0, NSShiftKeyMask},
              {'z', 6, 0},
              {'0', 29, 0},
              {'5', 87, 0},
              {' ', 49, 0},
              {NSUpArrowFunctionKey, 126, 0},
              {NSRightArrowFunctionKey, 124, 0}};
  for (const auto& k : keys)
    [view keyDown:Key(k.c, k.code, k.flags)];
  EXPECT_EQ((std::vector<std::string>{"key 15", "key 15", "key 40", "key 5", "key 10", "key 0",
                                      "key 1", "key 4"}),
            log);
  EXPECT_EQ(0, sink->keys);
  [view keyDown:Key('.', 47)];
  [view keyDown:Key(NSF1FunctionKey, 122)];
  [view keyDown:Key(0, 33)]; // a dead key: no character, dropped
  EXPECT_EQ(2, sink->keys);
  e.probe->keyResult = false;
  [view keyDown:Key('b', 11)];
  EXPECT_EQ(3, sink->keys);

  // Unlinked, the view ignores everything.
  [view retain];
  e.g->CloseWindow();
  log.clear();
  [view mouseDown:Mouse(NSLeftMouseDown, 10, 10)];
  EXPECT_TRUE(log.empty());
  [view setNextResponder:nil];
  [view release];
  [sink release];
}

TEST(CocoaView, TooltipsFollowTheMouseAndResizeFollowsTheEditor)
{
  CocoaEditor e;
  e.g->EnableTooltips(true);
  e.g->HandleMouseOver(true);
  e.probe->SetTooltip("Drive");
  IGraphicsCocoa_vQuorvane_vst* view = e.Open();
  NSString* tip = [view view:view stringForToolTip:0 point:NSMakePoint(0, 0) userData:nullptr];
  EXPECT_TRUE([tip isEqualToString:@""]); // nothing under the mouse yet
  [view mouseMoved:Mouse(NSMouseMoved, 50, 50)];
  tip = [view view:view stringForToolTip:0 point:NSMakePoint(0, 0) userData:nullptr];
  EXPECT_TRUE([tip isEqualToString:@"Drive"]);

  // The same size changes nothing, not even in the editor; a new one resizes the view.
  const int controls = e.g->GetNControls();
  e.g->Resize(e.kW, e.kH);
  EXPECT_EQ(controls, e.g->GetNControls());
  e.g->Resize(300, 200);
  EXPECT_TRUE(NSEqualSizes(NSMakeSize(300, 200), [view frame].size));
  EXPECT_EQ(0, e.g->GetNControls());
}

TEST(CocoaView, TextEntryFiltersCommitsAndClosesWithoutApplying)
{
  CocoaEditor e;
  IParam intParamStore, dblParamStore;
  IParam* intParam = &intParamStore;
  IParam* dblParam = &dblParamStore;
  intParam->InitInt("Steps", 0, 0, 100);
  dblParam->InitDouble("Gain", 0.0, -10.0, 10.0, 0.1);
  IGraphicsCocoa_vQuorvane_vst* view = e.Open();
  IText style;
  IRECT at(10, 20, 60, 40);

  // Per parameter kind, what the formatter lets through.
  struct
  {
    IParam* param;
    const char* text;
    bool accepted;
  } cases[] = {{intParam, "-12", true},
               {intParam, "1.5", false},
               {intParam, "abc", false},
               {dblParam, "-1.5", true},
               {dblParam, "1e3", false},
               {dblParam, "12345678901234567890123456789012", true},
               {dblParam, "123456789012345678901234567890123", false}};
  for (const auto& c : cases)
  {
    e.g->CreateTextEntry(e.probe, &style, &at, "0", c.param);
    NSFormatter* f = [[view textEntry] formatter];
    ASSERT_TRUE(f);
    EXPECT_EQ(c.accepted, [f isPartialStringValid:ToNSString(c.text)
                                 newEditingString:nullptr
                                 errorDescription:nullptr] == YES)
        << c.text;
    e.g->ForceEndUserEdit();
    EXPECT_FALSE([view textEntry]);
  }

  // Without a parameter: no formatter, placed by the editor-to-view rule, committed text
  // reaches the control once.
  e.g->CreateTextEntry(e.probe, &style, &at, "hello", nullptr);
  NSTextField* field = [view textEntry];
  ASSERT_TRUE(field);
  EXPECT_FALSE([field formatter]);
  EXPECT_TRUE(NSEqualRects(NSMakeRect(10, 292, 51, 21), [field frame]));
  EXPECT_TRUE([[field stringValue] isEqualToString:@"hello"]);
  e.g->CreateTextEntry(e.probe, &style, &at, "second", nullptr); // ignored while one is open
  EXPECT_EQ(field, [view textEntry]);
  [field setStringValue:@"typed"];
  [view controlTextDidEndEditing:nil];
  EXPECT_FALSE([view textEntry]);
  EXPECT_EQ(std::vector<std::string>{"text typed"}, e.probe->log);

  // The wheel closes an entry without applying it, and is then handled.
  e.probe->log.clear();
  e.g->CreateTextEntry(e.probe, &style, &at, "x", nullptr);
  [[view textEntry] setStringValue:@"lost"];
  [view scrollWheel:Mouse(NSScrollWheel, 20, 20, 0, 0, 1.0)];
  EXPECT_FALSE([view textEntry]);
  EXPECT_EQ(std::vector<std::string>{"wheel 1 0 L...."}, e.probe->log);
}

TEST(CocoaMenu, TitlesStatesIndentationAndTheChosenSubmenu)
{
  IPopupMenu sub;
  sub.AddItem("Soft");
  sub.AddItem("Hard");
  IPopupMenu top;
  top.SetPrefix(IPopupMenu::kPrefixTwo);
  top.AddItem("Amps", 0, IPopupMenuItem::kTitle);
  top.AddSeparator();
  top.AddItem("Clip", &sub);
  top.AddItem("On", -1, IPopupMenuItem::kChecked);
  top.AddItem("Off", -1, IPopupMenuItem::kDisabled);
  for (int i = 5; i < 12; ++i)
    top.AddItem("x");

  IGraphicsMenuRcvr_vQuorvane_vst* receiver =
      [[IGraphicsMenuRcvr_vQuorvane_vst alloc] initWithFrame:NSMakeRect(0, 0, 1, 1)];
  IGraphicsNSMenu_vQuorvane_vst* menu = [IGraphicsNSMenu_vQuorvane_vst alloc];
  menu = [menu initWithIPopupMenuAndReciever:&top:receiver];
  ASSERT_EQ(12, [menu numberOfItems]);
  EXPECT_EQ(&top, [menu AssociatedIPopupMenu]);
  EXPECT_TRUE([[[menu itemAtIndex:0] title] isEqualToString:@"01: Amps"]);
  EXPECT_EQ(1, [[menu itemAtIndex:0] indentationLevel]);
  EXPECT_TRUE([[menu itemAtIndex:1] isSeparatorItem]);
  EXPECT_TRUE([[[menu itemAtIndex:2] title] isEqualToString:@"03: Clip"]);
  EXPECT_EQ(NSOnState, [[menu itemAtIndex:3] state]);
  EXPECT_EQ(NSOffState, [[menu itemAtIndex:4] state]);
  EXPECT_FALSE([[menu itemAtIndex:4] isEnabled]);
  EXPECT_TRUE([[menu itemAtIndex:3] isEnabled]);
  EXPECT_TRUE([[[menu itemAtIndex:11] title] isEqualToString:@"12: x"]);

  IGraphicsNSMenu_vQuorvane_vst* nsSub =
      (IGraphicsNSMenu_vQuorvane_vst*)[[menu itemAtIndex:2] submenu];
  ASSERT_TRUE(nsSub);
  EXPECT_TRUE([[[nsSub itemAtIndex:1] title] isEqualToString:@"Hard"]);

  // Nothing chosen: null. A choice in the submenu: the submenu's model with its index.
  EXPECT_EQ(nullptr, ChosenIPopupMenu([receiver MenuItem]));
  [receiver OnMenuSelection:[nsSub itemAtIndex:1]];
  EXPECT_EQ(&sub, ChosenIPopupMenu([receiver MenuItem]));
  EXPECT_EQ(1, sub.GetChosenItemIdx());
  EXPECT_EQ(-1, top.GetChosenItemIdx());
  [menu release];
  [receiver release];
}

TEST(CocoaLifecycle, OpenAndCloseFiftyTimesLeavesNothingBehind)
{
  CocoaEditor e;
  e.g->EnableTooltips(true);
  e.probe->SetTooltip("Drive");
  for (int i = 0; i < 50; ++i)
  {
    NSAutoreleasePool* pool = [[NSAutoreleasePool alloc] init];
    IGraphicsCocoa_vQuorvane_vst* view = e.Open();
    [view retain];
    IText style;
    IRECT at(1, 1, 20, 20);
    if (i % 2) e.g->CreateTextEntry(e.probe, &style, &at, "1", nullptr);
    RunLoopFor(0.01);
    // Every other time the host removes the view itself; the editor closes with it.
    if (i % 3 == 0)
      [view removeFromSuperview];
    else if (i % 3 == 1)
      e.g->CloseWindow();
    else
      e.Open(); // a second open replaces the first view
    [pool release];
    EXPECT_EQ(1u, [view retainCount]) << "round " << i;
    EXPECT_FALSE(view->mGraphics);
    EXPECT_FALSE([view textEntry]);
    EXPECT_EQ(nil, [view superview]);
    [view release];
    e.g->CloseWindow();
  }
  EXPECT_EQ(0u, [[[e.host contentView] subviews] count]);
  EXPECT_FALSE(e.g->WindowIsOpen());
}

namespace
{
// Posts two mouse events at window point p of w.
void PostMouse(NSWindow* w, NSPoint p, NSEventType first, NSEventType second)
{
  for (NSEventType t : {first, second})
    [NSApp postEvent:[NSEvent mouseEventWithType:t
                                        location:p
                                   modifierFlags:0
                                       timestamp:0
                                    windowNumber:[w windowNumber]
                                         context:nil
                                     eventNumber:0
                                      clickCount:1
                                        pressure:1]
             atStart:NO];
}

// Ends a popup menu's tracking with a click outside it.
void DismissMenu(void*)
{
  NSWindow* w = [NSApp keyWindow] ? [NSApp keyWindow] : [NSApp mainWindow];
  PostMouse(w, NSMakePoint(-500, -500), NSLeftMouseDown, NSLeftMouseUp);
}

// Releases the button over the item under the pointer (PointAtMenuItem put it there).
void ReleaseOverMenu(void* window)
{
  NSWindow* w = (NSWindow*)window;
  PostMouse(w, [w mouseLocationOutsideOfEventStream], NSMouseMoved, NSLeftMouseUp);
}

struct MenuPick
{
  int index;
  int tries;
};

// Moves the pointer over the item of the popup menu on screen: menu tracking follows the
// pointer itself, not the events' locations. Then releases the button there.
void PointAtMenuItem(void* arg)
{
  MenuPick* pick = (MenuPick*)arg;
  NSArray* windows = [NSApp windows];
  for (NSUInteger i = 0; i < [windows count]; ++i)
  {
    NSWindow* w = [windows objectAtIndex:i];
    NSView* content = [w contentView];
    if ([[content subviews] count] > 0) content = [[content subviews] objectAtIndex:0];
    if (![w isVisible] || ![content isKindOfClass:[NSMenuView class]] ||
        ![[(NSMenuView*)content menu] isKindOfClass:[IGraphicsNSMenu_vQuorvane_vst class]])
      continue;
    const NSRect r = [(NSMenuView*)content rectOfItemAtIndex:pick->index];
    const NSPoint p = [content convertPoint:NSMakePoint(NSMidX(r), NSMidY(r)) toView:nil];
    const NSPoint screen = [w convertBaseToScreen:p];
    CGPoint pointer;
    pointer.x = screen.x;
    pointer.y = double(CGDisplayPixelsHigh(CGMainDisplayID())) - screen.y;
    CGDisplayMoveCursorToPoint(CGMainDisplayID(), pointer);
    [DelayedAction_test after:0.2 run:ReleaseOverMenu with:w modal:NO];
    return;
  }
  // Not on screen yet: look again for a while, then end the tracking rather than hang.
  if (++pick->tries < 40)
    [DelayedAction_test after:0.05 run:PointAtMenuItem with:pick modal:NO];
  else
    DismissMenu(nullptr);
}
} // namespace

TEST(CocoaMenu, PopupReturnsTheChosenItem)
{
  CocoaEditor e;
  [e.host makeKeyAndOrderFront:nil];
  e.Open();
  IPopupMenu menu;
  menu.AddItem("One");
  menu.AddItem("Two");
  menu.AddItem("Three");
  IRECT at(10, 10, 50, 30);
  MenuPick pick{1, 0};
  [DelayedAction_test after:0.2 run:PointAtMenuItem with:&pick modal:NO];
  EXPECT_EQ(&menu, e.g->CreateIPopupMenu(&menu, &at));
  EXPECT_EQ(1, menu.GetChosenItemIdx());
}

TEST(CocoaMenu, DismissedPopupReturnsNull)
{
  CocoaEditor e;
  [e.host orderFront:nil];
  e.Open();
  IPopupMenu menu;
  menu.AddItem("One");
  IRECT at(10, 10, 50, 30);
  [DelayedAction_test after:0.2 run:DismissMenu with:nullptr modal:NO];
  EXPECT_EQ(nullptr, e.g->CreateIPopupMenu(&menu, &at));
  EXPECT_EQ(-1, menu.GetChosenItemIdx());
}
