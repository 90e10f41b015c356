#pragma once
// Shared fixtures of the editor tests: a control that records what reaches it, and a
// plug-in with a few parameters.
#include "HeadlessGraphics.h"
#include "core/TestEffect.h"
#include "editor/controls/IControl.h"

#include <string>
#include <vector>

// Records every event as text ("down 5 6", "drag 1 -2", ...) into a shared log,
// prefixed with its name.
class ProbeControl : public IControl
{
public:
  ProbeControl(IEffectBase* plug, const IRECT& rect, int paramIdx, std::vector<std::string>* log,
               const char* name)
      : IControl(plug, rect, paramIdx), mLog(log), mName(name)
  {
  }
  void OnMouseDown(int x, int y, IMouseMod*) override { Log("down", x, y); }
  void OnMouseUp(int x, int y, IMouseMod*) override { Log("up", x, y); }
  void OnMouseDrag(int, int, int dX, int dY, IMouseMod*) override { Log("drag", dX, dY); }
  void OnMouseDblClick(int x, int y, IMouseMod*) override { Log("dbl", x, y); }
  void OnMouseWheel(int, int, IMouseMod*, int d) override { Log("wheel", d, 0); }
  void OnMouseOver(int x, int y, IMouseMod*) override { Log("over", x, y); }
  void OnMouseOut() override { mLog->push_back(mName + " out"); }
  bool OnKeyDown(int, int, int key) override
  {
    Log("key", key, 0);
    return mKeyResult;
  }
  bool Draw(IGraphics*) override
  {
    ++mDraws;
    return true;
  }

  bool mKeyResult = true;
  int mDraws = 0;

private:
  void Log(const char* what, int a, int b)
  {
    mLog->push_back(mName + " " + what + " " + std::to_string(a) + " " + std::to_string(b));
  }
  std::vector<std::string>* mLog;
  std::string mName;
};

// A plug-in with: 0 "Gain" Double 0..10 step 0.1, 1 "Mode" Enum of three texts,
// 2 "Power" Bool, 3 "Steps" Int 0..4.
inline void InitTestParams(TestEffect& fx)
{
  fx.GetParam(0)->InitDouble("Gain", 5.0, 0.0, 10.0, 0.1, "dB");
  fx.GetParam(1)->InitEnum("Mode", 1, 3);
  fx.GetParam(1)->SetDisplayText(0, "Soft");
  fx.GetParam(1)->SetDisplayText(1, "Hard");
  fx.GetParam(1)->SetDisplayText(2, "Fuzz");
  fx.GetParam(2)->InitBool("Power", true);
  fx.GetParam(3)->InitInt("Steps", 2, 0, 4);
}
