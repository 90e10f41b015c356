// The pedal's editor: one fixed window of bitmaps with five knobs, the "Effect" push
// button, its LED and an about box.
#include "effect/Quorvane.h"

#include "editor/IGraphics.h"
#include "editor/controls/IBitmapControl.h"
#include "editor/controls/IBitmapOverlayControl.h"
#include "editor/controls/IKnobMultiControl.h"
#include "editor/controls/IOnOffControl.h"
#include "platform/common/MakeGraphics.h"

namespace
{
constexpr int kEditorWidth = 224;
constexpr int kEditorHeight = 333;

// Image resources: number and file. Every strip stacks its frames vertically.
enum EResource
{
  kButtonId = 100,
  kKnobId = 101,
  kBackgroundId = 102,
  kAboutId = 103,
  kLedId = 104
};
constexpr const char* kBackgroundFile = "resources/img/background.png";
constexpr const char* kLedFile = "resources/img/quorvane_led.png";
constexpr const char* kButtonFile = "resources/img/quorvane_button_01.png";
constexpr const char* kKnobFile = "resources/img/quorvane_knob_02.png";
constexpr const char* kAboutFile = "resources/img/quorvane_about.png";
constexpr int kKnobFrames = 65;

// Top-left corners of the knobs, in the order they are attached.
struct KnobPlace
{
  int x, y, param;
};
constexpr KnobPlace kKnobs[] = {{6, 106, Quorvane::kLevel},
                                {170, 106, Quorvane::kDrive},
                                {44, 84, Quorvane::kLow},
                                {88, 71, Quorvane::kMid},
                                {131, 84, Quorvane::kHigh}};
} // namespace

void Quorvane::MakeEditor()
{
  IGraphics* gui = MakeGraphics(this, kEditorWidth, kEditorHeight, 0);
  gui->AttachBackground(kBackgroundId, kBackgroundFile);

  IBitmap led = gui->LoadIBitmap(kLedId, kLedFile, 2);
  mLedIdx = gui->AttachControl(new IBitmapControl(this, 104, 15, &led));

  IBitmap button = gui->LoadIBitmap(kButtonId, kButtonFile, 2);
  gui->AttachControl(new IOnOffControl(this, 93, 228, kEffect, &button));

  // One strip for all five knobs; they keep the knob's vertical drag and gearing.
  IBitmap knob = gui->LoadIBitmap(kKnobId, kKnobFile, kKnobFrames);
  for (const KnobPlace& k : kKnobs)
    gui->AttachControl(new IKnobMultiControl(this, k.x, k.y, k.param, &knob));

  // While hidden, only the "about" mark on the background reacts to a click.
  IBitmap about = gui->LoadIBitmap(kAboutId, kAboutFile);
  gui->AttachControl(new IBitmapOverlayControl(this, 6, 148, &about, IRECT(17, 40, 97, 70)));

  AttachGraphics(gui);
}
