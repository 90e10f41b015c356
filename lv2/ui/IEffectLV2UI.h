#pragma once
// The LV2 UI binding: the effect built a second time inside the UI library, never
// processing, as the parameter model its editor works on. The UI may live in another
// process than the plug-in, so it holds nothing of the plug-in's instance: what the
// editor changes goes to the host as control port writes (with touch around a
// gesture when the host offers it), and what the host reports on a control port
// comes back in as a parameter change from the plug-in side.
//
// Everything here runs on the host's UI thread.
#include <lv2/core/lv2.h>
#include <lv2/ui/ui.h>

#include "core/IEffectBase.h"

// What the UI descriptor's instantiate hands to an effect's constructor.
struct IEffectInstanceInfo
{
  LV2UI_Write_Function mWrite = nullptr;
  LV2UI_Controller mController = nullptr;
  const LV2_Feature* const* mFeatures = nullptr; // null-terminated, may be null
};

class IEffectLV2UI : public IEffectBase
{
public:
  // The thirteen base arguments, then a side-chain channel count (accepted, unused).
  IEffectLV2UI(IEffectInstanceInfo instanceInfo, int nParams, const char* channelIOStr,
               int nPresets, const char* effectName, const char* productName, const char* mfrName,
               int version, int uniqueID, int mfrID, int latency, bool doesMIDI,
               bool doesStateChunks, bool isInst, int nSideChans = 0);
  ~IEffectLV2UI() override;

  // Opens the editor inside the host's parent window; the child window's id, or 0
  // when there is no editor or it cannot open there.
  unsigned long OpenEditor(void* parent);
  void CloseEditor();
  // One idle turn: the window's events and redraws. False once the window is gone
  // (the host destroyed its parent).
  bool Idle();
  // A value the host reports on a port. Only float control ports are taken.
  void PortEvent(uint32_t port, uint32_t bufferSize, uint32_t format, const void* buffer);

  void BeginInformHostOfParamChange(int paramIdx) override;
  void InformHostOfParamChange(int paramIdx, double normalizedValue) override;
  void EndInformHostOfParamChange(int paramIdx) override;
  void InformHostOfProgramChange() override {}
  int GetSamplePos() override { return 0; }
  double GetTempo() override { return 0.0; }
  void GetTimeSig(int* numerator, int* denominator) override;
  void GetTime(ITimeInfo*) override {}
  void ResizeGraphics(int w, int h) override;
  bool SendMidiMsg(IMidiMsg*) override { return false; }

private:
  int ParamPort(int paramIdx) const;

  LV2UI_Write_Function mWrite;
  LV2UI_Controller mController;
  const LV2UI_Resize* mResize = nullptr; // host's, may be null
  const LV2UI_Touch* mTouch = nullptr;   // host's, may be null
};
