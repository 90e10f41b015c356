// Arbitrary text as a user types it into the editor's text entry, and as a host or a
// preset name hands it to the parameters: nothing may crash, and no typed text may
// leave a parameter or a control outside its range or not finite. The first byte picks
// the parameter, the rest is the text.
#include "editor/controls/IKnobMultiControl.h"
#include "editor/HeadlessGraphics.h"

#include "core/TestEffect.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace
{
struct Rig
{
  TestEffect plug{"1-1 2-2", 4};
  HeadlessGraphics* gui;
  IKnobMultiControl* knobs[4];
  IBitmap missing; // a bitmap that never loaded: the knobs draw nothing

  Rig()
  {
    plug.GetParam(0)->InitDouble("Drive", 0.5, 0.0, 1.0, 0.001, "", "", 2.0);
    plug.GetParam(1)->InitDouble("Gain", 0.0, -24.0, 24.0, 0.1, "dB");
    plug.GetParam(1)->SetDisplayNegated(true);
    plug.GetParam(2)->InitEnum("Mode", 1, 3);
    plug.GetParam(2)->SetDisplayText(0, "Clean");
    plug.GetParam(2)->SetDisplayText(1, "Crunch");
    plug.GetParam(2)->SetDisplayText(2, "Lead");
    plug.GetParam(3)->InitInt("Steps", 4, 0, 16);
    gui = new HeadlessGraphics(&plug, 224, 333);
    for (int i = 0; i < 4; ++i)
    {
      knobs[i] = new IKnobMultiControl(&plug, 10 + 50 * i, 10, i, &missing);
      gui->AttachControl(knobs[i]);
    }
    plug.AttachGraphics(gui); // the plug-in owns the editor from here
  }
};

Rig& TheRig()
{
  static Rig* rig = new Rig; // lives for the process, as a loaded plug-in does
  return *rig;
}

void Check(bool ok)
{
  if (!ok) std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size < 1) return 0;
  Rig& rig = TheRig();
  const int idx = data[0] % 4;
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  IParam* param = rig.plug.GetParam(idx);

  rig.gui->SetFromStringAfterPrompt(rig.knobs[idx], param, text.c_str());
  int mapped = -1;
  if (param->MapDisplayText(text.c_str(), &mapped)) Check(param->GetDisplayText(mapped)[0] != 0);

  const double v = param->Value();
  Check(std::isfinite(v));
  Check(v <= param->GetMax());
  const double n = rig.knobs[idx]->GetValue();
  Check(std::isfinite(n) && n >= 0.0 && n <= 1.0);

  char display[64];
  param->GetDisplayForHost(v, false, display, true);
  Check(std::char_traits<char>::length(display) < 32);

  IRECT all(0, 0, 224, 333);
  rig.gui->Draw(&all);
  return 0;
}
