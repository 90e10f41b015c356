#include "editor/controls/ISpinnerControl.h"

#include "core/IParam.h"

ISpinnerControl::ISpinnerControl(IEffectBase* plug, const IRECT& rect, int paramIdx,
                                 const IText* text, IParam* ownParam, bool showValue,
                                 bool showLabel, EDirection direction, double gearing)
    : ITextControl(plug, rect, text, ""), mDirection(direction), mGearing(gearing),
      mShowValue(showValue), mShowLabel(showLabel), mOwnParam(ownParam)
{
  mParamIdx = paramIdx;
}

void ISpinnerControl::OnMouseDrag(int, int, int dX, int dY, IMouseMod*)
{
  // A flat rectangle or a zero gearing would turn the step into inf or NaN.
  const int span = mDirection == kVertical ? mRECT.T - mRECT.B : mRECT.R - mRECT.L;
  if (span != 0 && mGearing != 0.0)
    mValue += double(mDirection == kVertical ? dY : dX) / double(span) / mGearing;
  SetDirty(true);
}

IParam* ISpinnerControl::WheelParam() const
{
  return mParamIdx >= 0 ? GetParam() : mOwnParam;
}

void ISpinnerControl::OnMouseWheel(int, int, IMouseMod* mod, int d)
{
  const IParam* param = WheelParam();
  double step;
  if (param && param->GetStep() != 0.0)
    step = d * param->GetStep();
  else if (param && mod && (mod->C || mod->S))
    step = d * 0.001;
  else
    step = d * 0.01;
  mValue += step;
  if (mValue < 0.0) mValue = 0.0;
  if (mValue > 1.0) mValue = 1.0;
  SetDirty(true);
}

bool ISpinnerControl::Draw(IGraphics* graphics)
{
  if (mOwnParam) mOwnParam->SetNormalized(mValue);
  const IParam* param = GetParam();
  if (!param) param = mOwnParam;
  if (mShowValue && param)
  {
    char display[IParam::kDisplayLen];
    param->GetDisplayForHost(param->Value(), false, display, true);
    mStr.Set(display);
    if (mShowLabel)
    {
      mStr.Append(" ");
      mStr.Append(param->GetLabelForHost());
    }
  }
  return ITextControl::Draw(graphics);
}
