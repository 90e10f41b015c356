#pragma once
// Shared pieces of the Cocoa tests: an editor in a titled host window, a control that
// records what reaches it, synthetic events and a way to let the run loop turn.
#import <Cocoa/Cocoa.h>

#include "core/TestEffect.h"
#include "editor/controls/IControl.h"
#include "editor/controls/IPanelControl.h"
#include "platform/mac/IGraphicsCocoa.h"
#include "platform/mac/IGraphicsMac.h"

#include <string>
#include <vector>

// Logs "down 8 30 L....": event, editor point, then the flags L R S C A (or ".").
class RecordingControl : public IControl
{
public:
  RecordingControl(IEffectBase* plug, const IRECT& rect) : IControl(plug, rect) {}
  void OnMouseDown(int x, int y, IMouseMod* m) override { Log("down", x, y, m); }
  void OnMouseUp(int x, int y, IMouseMod* m) override { Log("up", x, y, m); }
  void OnMouseDrag(int, int, int dX, int dY, IMouseMod* m) override { Log("drag", dX, dY, m); }
  void OnMouseDblClick(int x, int y, IMouseMod* m) override { Log("dbl", x, y, m); }
  void OnMouseWheel(int, int, IMouseMod* m, int d) override { Log("wheel", d, 0, m); }
  void OnMouseOver(int x, int y, IMouseMod* m) override { Log("over", x, y, m); }
  bool OnKeyDown(int, int, int key) override
  {
    log.push_back("key " + std::to_string(key));
    return keyResult;
  }
  void TextFromTextEntry(const char* text) override { log.push_back(std::string("text ") + text); }
  bool Draw(IGraphics*) override
  {
    ++draws;
    return true;
  }

  std::vector<std::string> log;
  bool keyResult = true;
  int draws = 0;

private:
  void Log(const char* what, int a, int b, IMouseMod* m)
  {
    std::string flags = ".....";
    if (m->L) flags[0] = 'L';
    if (m->R) flags[1] = 'R';
    if (m->S) flags[2] = 'S';
    if (m->C) flags[3] = 'C';
    if (m->A) flags[4] = 'A';
    log.push_back(std::string(what) + " " + std::to_string(a) + " " + std::to_string(b) + " " +
                  flags);
  }
};

// A 224 x 333 editor (the pedal's size) with a grey background and a recording control
// over all of it, and a titled window standing in for the host's.
struct CocoaEditor
{
  static constexpr int kW = 224, kH = 333;
  TestEffect plug;
  IGraphicsMac* g;
  RecordingControl* probe;
  NSWindow* host;

  CocoaEditor()
  {
    g = new IGraphicsMac(&plug, kW, kH);
    g->SetBundleID("com.halvercombe.vst.Quorvane.tests");
    g->AttachPanelBackground(&COLOR_GRAY);
    probe = new RecordingControl(&plug, IRECT(0, 0, kW, kH));
    g->AttachControl(probe);
    g->PrepDraw();
    host = [[NSWindow alloc] initWithContentRect:NSMakeRect(100, 100, kW, kH)
                                       styleMask:NSTitledWindowMask
                                         backing:NSBackingStoreBuffered
                                           defer:NO];
    [host setReleasedWhenClosed:NO];
  }
  ~CocoaEditor()
  {
    delete g;
    [host orderOut:nil];
    [host release];
  }
  IGraphicsCocoa_vQuorvane_vst* Open()
  {
    return (IGraphicsCocoa_vQuorvane_vst*)g->OpenWindow([host contentView]);
  }
};

// Lets the run loop turn (timers, display passes) for the given time.
inline void RunLoopFor(double seconds)
{
  [[NSRunLoop currentRunLoop] runUntilDate:[NSDate dateWithTimeIntervalSinceNow:seconds]];
}

// Runs action after a delay from a timer that fires in every mode; by default not before a
// modal session runs (a dialog is up).
@interface DelayedAction_test : NSObject
{
  void (*mAction)(void*);
  void* mArg;
  BOOL mWaitForModal;
}
+ (void)after:(double)seconds run:(void (*)(void*))action with:(void*)arg;
+ (void)after:(double)seconds run:(void (*)(void*))action with:(void*)arg modal:(BOOL)modal;
@end
