#include "lv2/ui/IEffectLV2UI.h"

#include <cmath>
#include <cstring>

#include "core/Trace.h"
#include "editor/IGraphics.h"
#include "lv2/LV2Features.h"
#include "lv2/LV2PortLayout.h"

IEffectLV2UI::IEffectLV2UI(IEffectInstanceInfo instanceInfo, int nParams, const char* channelIOStr,
                           int nPresets, const char* effectName, const char* productName,
                           const char* mfrName, int version, int uniqueID, int mfrID, int latency,
                           bool doesMIDI, bool doesStateChunks, bool isInst, int nSideChans)
    : IEffectBase(nParams, channelIOStr, nPresets, effectName, productName, mfrName, version,
                  uniqueID, mfrID, latency, doesMIDI, doesStateChunks, isInst, kAPILV2),
      mWrite(instanceInfo.mWrite), mController(instanceInfo.mController)
{
  (void)nSideChans;
  Trace("IEffectLV2UI", __LINE__, "%s", GetEffectName());
  mResize =
      static_cast<const LV2UI_Resize*>(LV2FindFeature(instanceInfo.mFeatures, LV2_UI__resize));
  mTouch = static_cast<const LV2UI_Touch*>(LV2FindFeature(instanceInfo.mFeatures, LV2_UI__touch));
}

IEffectLV2UI::~IEffectLV2UI() = default;

int IEffectLV2UI::ParamPort(int paramIdx) const
{
  return LV2ParamPort(NInChannels(), NOutChannels(), paramIdx);
}

unsigned long IEffectLV2UI::OpenEditor(void* parent)
{
  IGraphics* gui = GetGraphics(this);
  if (!gui || !gui->OpenWindow(parent)) return 0;
  OnGUIOpen();
  ResizeGraphics(gui->Width(), gui->Height());
  return reinterpret_cast<unsigned long>(gui->GetWindow());
}

void IEffectLV2UI::CloseEditor()
{
  IGraphics* gui = GetGraphics(this);
  if (!gui || !gui->WindowIsOpen()) return;
  OnGUIClose();
  gui->CloseWindow();
}

bool IEffectLV2UI::Idle()
{
  IGraphics* gui = GetGraphics(this);
  if (!gui) return false;
  gui->OnHostIdle();
  return gui->WindowIsOpen();
}

void IEffectLV2UI::PortEvent(uint32_t port, uint32_t bufferSize, uint32_t format,
                             const void* buffer)
{
  const int idx = LV2PortParam(NInChannels(), NOutChannels(), NParams(), long(port));
  if (idx < 0 || format != 0 || bufferSize != sizeof(float) || !buffer) return;
  float v;
  std::memcpy(&v, buffer, sizeof(v));
  // The plug-in side takes any finite value; the editor shows what it makes of it.
  if (!std::isfinite(v)) return;
  IParam* param = GetParam(idx);
  param->SetNormalized(double(v));
  OnParamChange(idx);
  if (IEditorConnection* gui = GetGUI())
    gui->SetParameterFromPlug(idx, param->GetNormalized(), true);
}

void IEffectLV2UI::BeginInformHostOfParamChange(int paramIdx)
{
  if (mTouch && mTouch->touch && GetParam(paramIdx))
    mTouch->touch(mTouch->handle, uint32_t(ParamPort(paramIdx)), true);
}

void IEffectLV2UI::InformHostOfParamChange(int paramIdx, double normalizedValue)
{
  if (!mWrite || !GetParam(paramIdx)) return;
  const float v = float(normalizedValue);
  mWrite(mController, uint32_t(ParamPort(paramIdx)), sizeof(v), 0, &v);
}

void IEffectLV2UI::EndInformHostOfParamChange(int paramIdx)
{
  if (mTouch && mTouch->touch && GetParam(paramIdx))
    mTouch->touch(mTouch->handle, uint32_t(ParamPort(paramIdx)), false);
}

void IEffectLV2UI::GetTimeSig(int* numerator, int* denominator)
{
  if (numerator) *numerator = 0;
  if (denominator) *denominator = 0;
}

void IEffectLV2UI::ResizeGraphics(int w, int h)
{
  if (mResize && mResize->ui_resize) mResize->ui_resize(mResize->handle, w, h);
}
