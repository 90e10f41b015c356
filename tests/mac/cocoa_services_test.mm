// The editor window's system services on GNUstep: message boxes, file dialogs, folders,
// bundle images, the cursor and the child window for Carbon hosts. Dialogs are answered
// by a timer that presses a button once the dialog's modal session runs.
#include "CocoaTestUtil.h"
#include "platform/common/MakeGraphics.h"

#include "raster/RAS_Bitmap.h"
#include "raster/RAS_Raster.h"
#include "util/UTL_String.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
// A modal session notices that it was ended only with its next event.
void WakeModalLoop()
{
  [NSApp postEvent:[NSEvent otherEventWithType:NSApplicationDefined
                                      location:NSMakePoint(0, 0)
                                 modifierFlags:0
                                     timestamp:0
                                  windowNumber:0
                                       context:nil
                                       subtype:0
                                         data1:0
                                         data2:0]
           atStart:NO];
}

// Presses the button titled *title in the frontmost modal window.
void PressButton(void* title)
{
  NSWindow* modal = [NSApp modalWindow];
  NSMutableArray* views = [NSMutableArray arrayWithObject:[modal contentView]];
  NSString* wanted = ToNSString((const char*)title);
  while ([views count] > 0)
  {
    NSView* v = [views lastObject];
    [views removeLastObject];
    if ([v isKindOfClass:[NSButton class]] && [[(NSButton*)v title] isEqualToString:wanted])
    {
      [(NSButton*)v performClick:nil];
      WakeModalLoop();
      return;
    }
    [views addObjectsFromArray:[v subviews]];
  }
  [NSApp stopModal]; // no such button: end the session rather than hang
  WakeModalLoop();
}

void CancelPanel(void*)
{
  [(NSSavePanel*)[NSApp modalWindow] cancel:nil];
  WakeModalLoop();
}

void ConfirmPanel(void*)
{
  [(NSSavePanel*)[NSApp modalWindow] ok:nil];
  WakeModalLoop();
}

std::string TempDir(const char* name)
{
  std::string dir = std::string(getenv("HOME") ? getenv("HOME") : "/tmp") + "/" + name;
  mkdir(dir.c_str(), 0755);
  return dir;
}
} // namespace

TEST(CocoaServices, MessageBoxButtonsMapToResultCodes)
{
  CocoaEditor e;
  e.Open();
  struct
  {
    int type;
    const char* press;
    int result;
  } cases[] = {{4, "Yes", 1},    {4, "No", 7}, {1, "Cancel", 7}, {1, "OK", 1},
               {3, "Cancel", 2}, {0, "OK", 1}, {7, "OK", 1}};
  for (const auto& c : cases)
  {
    [DelayedAction_test after:0.05 run:PressButton with:(void*)c.press];
    // A "%" in the text is shown as text, not read as a format.
    EXPECT_EQ(c.result, e.g->ShowMessageBox("Save 100% of it?", "Quorvane", c.type))
        << c.type << " " << c.press;
  }
}

TEST(CocoaServices, FileDialogDefaultsCancelAndChoice)
{
  CocoaEditor e;
  UTL_String file("old.fxp"), dir;
  // No window: no dialog, the name is emptied.
  e.g->PromptForFile(&file, kFileOpen, &dir, "fxp");
  EXPECT_STREQ("", file.Get());
  EXPECT_STREQ("", dir.Get());

  e.Open();
  file.Set("old.fxp");
  [DelayedAction_test after:0.1 run:CancelPanel with:nullptr];
  e.g->PromptForFile(&file, kFileOpen, &dir, "fxp fxb");
  EXPECT_STREQ("", file.Get());
  EXPECT_STREQ("~/Desktop", dir.Get()); // kept as given, even when cancelled

  const std::string folder = TempDir("presets");
  file.Set("preset.fxp");
  dir.Set(folder.c_str());
  [DelayedAction_test after:0.1 run:ConfirmPanel with:nullptr];
  e.g->PromptForFile(&file, kFileSave, &dir, "fxp");
  EXPECT_EQ(folder + "/preset.fxp", file.Get());
  EXPECT_EQ(folder + "/", dir.Get());
}

TEST(CocoaServices, BundleImagesAndFolders)
{
  // The plug-in's bundle in GNUstep's layout: the property list and the images under
  // Resources, the executable at the top.
  const std::string bundle = TempDir("Quorvane.vst");
  TempDir("Quorvane.vst/Resources");
  FILE* plist = fopen((bundle + "/Resources/Info-gnustep.plist").c_str(), "w");
  ASSERT_TRUE(plist);
  fputs(
      "{ CFBundleIdentifier = \"com.halvercombe.vst.Quorvane.tests\"; NSExecutable = Quorvane; }\n",
      plist);
  fclose(plist);
  FILE* exe = fopen((bundle + "/Quorvane").c_str(), "w");
  ASSERT_TRUE(exe);
  fclose(exe);
  chmod((bundle + "/Quorvane").c_str(), 0755);
  RAS_MemBitmap knob(3, 5, 4);
  knob.getBits()[0] = 0xFF102030u;
  ASSERT_TRUE(RAS_WritePNG(&knob, (bundle + "/Resources/knob.png").c_str()));
  ASSERT_TRUE([NSBundle bundleWithPath:ToNSString(bundle.c_str())]);

  CocoaEditor e;
  // Folders in the name play no part; the extension is compared in any case.
  RAS_IBitmap* bmp = e.g->OSLoadBitmap(101, "resources/img/knob.PNG");
  ASSERT_TRUE(bmp);
  EXPECT_EQ(3, bmp->getWidth());
  EXPECT_EQ(5, bmp->getHeight());
  EXPECT_EQ(0xFF102030u, bmp->getBits()[0]);
  delete bmp;
  EXPECT_EQ(nullptr, e.g->OSLoadBitmap(101, "knob.jpg"));
  EXPECT_EQ(nullptr, e.g->OSLoadBitmap(101, "missing.png"));
  EXPECT_EQ(nullptr, LoadImgFromResourceOSX("com.nobody.else", "knob.png"));

  UTL_String path("unchanged");
  e.g->PluginPath(&path);
  EXPECT_EQ(bundle.substr(0, bundle.rfind('/') + 1), path.Get());
  e.g->HostPath(&path);
  EXPECT_EQ(bundle + "/Quorvane", path.Get());

  IGraphicsMac other(&e.plug, 10, 10);
  other.SetBundleID("com.nobody.else");
  path.Set("unchanged");
  other.HostPath(&path);
  other.PluginPath(&path);
  EXPECT_STREQ("unchanged", path.Get());

  e.g->DesktopPath(&path);
  const std::string desktop = path.Get();
  EXPECT_EQ('/', desktop.front());
  EXPECT_EQ("/Desktop", desktop.substr(desktop.size() - 8));
  e.g->AppSupportPath(&path);
  EXPECT_EQ('/', path.Get()[0]);
  EXPECT_NE('/', path.Get()[path.GetLength() - 1]);
  EXPECT_STREQ("Cocoa GUI", e.g->GetGUIAPI());
  IGraphics* made = MakeGraphics(&e.plug, 224, 333, 0);
  EXPECT_STREQ("com.halvercombe.vst.Quorvane", static_cast<IGraphicsMac*>(made)->GetBundleID());
  EXPECT_EQ(25, made->FPS());
  delete made;
  EXPECT_FALSE(e.g->PromptForColor(nullptr, nullptr));
}

TEST(CocoaServices, CursorAndCarbonChildWindow)
{
  CocoaEditor e;
  e.g->HideMouseCursor();
  EXPECT_TRUE(e.g->mCursorHidden);
  EXPECT_GE(e.g->mHiddenMousePointX, 0);
  e.g->ShowMouseCursor();
  EXPECT_FALSE(e.g->mCursorHidden);

  // A host window 300 wide centres the 224-wide editor: 38 points in.
  NSWindow* carbon = [[NSWindow alloc] initWithContentRect:NSMakeRect(200, 150, 300, 400)
                                                 styleMask:NSBorderlessWindowMask
                                                   backing:NSBackingStoreBuffered
                                                     defer:NO];
  [carbon setReleasedWhenClosed:NO];
  e.g->AttachSubWindow(carbon);
  ASSERT_TRUE(e.g->WindowIsOpen());
  NSWindow* child = [(NSView*)e.g->GetWindow() window];
  ASSERT_TRUE(child);
  EXPECT_TRUE([child canBecomeKeyWindow]);
  EXPECT_EQ(238.0, [child frame].origin.x);
  EXPECT_EQ(150.0, [child frame].origin.y);
  EXPECT_EQ(224.0, [child frame].size.width);
  RunLoopFor(0.1);
  e.g->RemoveSubWindow();
  EXPECT_FALSE(e.g->WindowIsOpen());
  EXPECT_EQ(0u, [[carbon childWindows] count]);
  e.g->RemoveSubWindow(); // nothing attached any more: nothing happens
  EXPECT_EQ(1u, [carbon retainCount]);
  [carbon release];
}
