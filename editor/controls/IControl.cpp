#include "editor/controls/IControl.h"

#include "core/IEffectBase.h"
#include "core/IParam.h"
#include "editor/IGraphics.h"

#include <cstdio>
#include <cstring>

IControl::IControl(IEffectBase* plug, const IRECT& rect, int paramIdx, int blendMethod)
    : mPlug(plug), mRECT(rect), mTargetRECT(rect), mParamIdx(paramIdx), mBlend(blendMethod, 1.0f)
{
}

IControl::~IControl() = default;

void IControl::OnMouseDown(int, int, IMouseMod* mod)
{
  if (mod && mod->R) PromptUserInput();
}

void IControl::OnMouseUp(int, int, IMouseMod*) {}

void IControl::OnMouseDrag(int, int, int, int, IMouseMod*) {}

void IControl::OnMouseDblClick(int, int, IMouseMod*)
{
  if (mDefaultValue >= 0.0)
  {
    mValue = mDefaultValue;
    SetDirty(true);
  }
}

void IControl::OnMouseWheel(int, int, IMouseMod* mod, int d)
{
  const bool fine = mod && (mod->C || mod->S);
  mValue += d * (fine ? 0.001 : 0.01);
  SetDirty(true);
}

bool IControl::OnKeyDown(int, int, int)
{
  return false;
}

void IControl::OnMouseOver(int, int, IMouseMod*) {}

void IControl::OnMouseOut() {}

void IControl::SetValueFromPlug(double value)
{
  if (mDefaultValue < 0.0) mValue = mDefaultValue = value;
  if (mValue != value)
  {
    mValue = value;
    SetDirty(false);
    mRedraw = true;
  }
}

void IControl::TextFromTextEntry(const char*) {}

void IControl::Hide(bool hide)
{
  mHide = hide;
  mRedraw = true;
  SetDirty(false);
}

void IControl::GrayOut(bool gray)
{
  mGrayed = gray;
  mBlend.mWeight = gray ? 0.25f : 1.0f;
  SetDirty(false);
}

bool IControl::IsHit(int x, int y)
{
  return mTargetRECT.Contains(x, y);
}

void IControl::SetDirty(bool informPlug)
{
  if (mValue < mClampLo)
    mValue = mClampLo;
  else if (mValue > mClampHi)
    mValue = mClampHi;
  mDirty = true;

  // The base requires a valid index: a control bound past the parameter list stays local.
  const IParam* param = informPlug ? GetParam() : nullptr;
  if (!param) return;
  // The user's value is newer than a host value still waiting for the idle tick.
  if (IGraphics* gui = GetGUI()) gui->DropPendingParameter(mParamIdx);
  mPlug->SetParameterFromGUI(mParamIdx, mValue);
  if (mValDisplayControl)
  {
    char display[IParam::kDisplayLen];
    {
      // The host's audio thread may be setting the parameter meanwhile.
      UTL_MutexLock lock(mPlug->GetMutex());
      param->GetDisplayForHost(param->Value(), false, display, true);
    }
    char text[2 * IParam::kDisplayLen + 1];
    std::snprintf(text, sizeof(text), "%.31s %.31s", display, param->GetLabelForHost());
    mValDisplayControl->SetTextFromPlug(text);
  }
  if (mNameDisplayControl) mNameDisplayControl->SetTextFromPlug(param->GetNameForHost());
}

void IControl::SetClean()
{
  mDirty = mRedraw;
  mRedraw = false;
}

void IControl::OnGUIIdle() {}

void IControl::SetAuxParamValueFromPlug(int auxIdx, double value)
{
  AuxParam* aux = GetAuxParam(auxIdx);
  if (aux && aux->mValue != value)
  {
    aux->mValue = value;
    SetDirty(false);
    mRedraw = true;
  }
}

void IControl::SetTextFromPlug(const char*) {}

void IControl::SetValueFromUserInput(double value)
{
  if (mValue != value)
  {
    mValue = value;
    SetDirty(true);
    mRedraw = true;
  }
}

void IControl::PromptUserInput()
{
  if (mParamIdx < 0 || mDisablePrompt) return;
  IParam* param = GetParam();
  IGraphics* gui = GetGUI();
  if (!param || !gui) return;
  if (param->GetNDisplayTexts() > 0)
  {
    gui->PromptUserInput(this, param, &mRECT);
  }
  else
  {
    // A 30 x 16 entry centred on the control; the centre is taken in single precision.
    const int cx = int(float(mRECT.L + mRECT.R) * 0.5f);
    const int cy = int(float(mRECT.T + mRECT.B) * 0.5f);
    IRECT entry(cx - 15, cy - 8, cx + 15, cy + 8);
    gui->PromptUserInput(this, param, &entry);
  }
  mRedraw = true;
}

void IControl::PromptUserInput(IRECT* rect)
{
  if (mParamIdx < 0 || mDisablePrompt) return;
  IParam* param = GetParam();
  IGraphics* gui = GetGUI();
  if (!param || !gui) return;
  gui->PromptUserInput(this, param, rect);
  mRedraw = true;
}

IControl::AuxParam* IControl::GetAuxParam(int i)
{
  if (i < 0 || i >= mAuxParams.GetSize()) return nullptr;
  return mAuxParams.Get() + i;
}

int IControl::AuxParamIdx(int paramIdx) const
{
  const AuxParam* aux = mAuxParams.Get();
  for (int i = 0; i < mAuxParams.GetSize(); ++i)
    if (aux[i].mParamIdx == paramIdx) return i;
  return -1;
}

void IControl::AddAuxParam(int paramIdx)
{
  AuxParam aux;
  aux.mParamIdx = paramIdx;
  mAuxParams.Add(aux);
}

void IControl::SetAllAuxParamsFromGUI()
{
  if (!mPlug) return;
  for (int i = 0; i < mAuxParams.GetSize(); ++i)
  {
    const AuxParam& aux = mAuxParams.Get()[i];
    if (aux.mParamIdx >= 0 && aux.mParamIdx < mPlug->NParams())
      mPlug->SetParameterFromGUI(aux.mParamIdx, aux.mValue);
  }
}

IParam* IControl::GetParam() const
{
  if (!mPlug || mParamIdx < 0 || mParamIdx >= mPlug->NParams()) return nullptr;
  return mPlug->GetParam(mParamIdx);
}

IGraphics* IControl::GetGUI() const
{
  return GetGraphics(mPlug);
}

int FrameForValue(double value, int nFrames)
{
  if (nFrames < 2) return 1;
  const double k = double(nFrames - 1) * value + 0.5;
  // Compare before converting: a huge or NaN value must not reach the int conversion.
  if (!(k >= 1.0)) return 1;
  if (k >= double(nFrames)) return nFrames;
  return int(k) + 1;
}
