#include "core/IParam.h"

#include "util/UTL_CopyTruncated.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

void IParam::InitCommon(ParamKind kind, const char* name, double defaultVal, const char* label,
                        const char* group)
{
  if (mKind == ParamKind::None) mKind = kind;
  CopyTruncated(mName, name);
  CopyTruncated(mLabel, label);
  CopyTruncated(mParamGroup, group);
  mValue = mDefault = defaultVal;
  mDisplayPrecision = 0;
}

void IParam::InitBool(const char* name, bool defaultVal, const char* label, const char* group)
{
  InitCommon(ParamKind::Bool, name, defaultVal ? 1.0 : 0.0, label, group);
  mMin = 0.0;
  mMax = 1.0;
  mStep = 1.0;
  mShape = 1.0;
  SetDisplayText(0, "off");
  SetDisplayText(1, "on");
}

void IParam::InitEnum(const char* name, int defaultVal, int nEnums, const char* label,
                      const char* group)
{
  InitCommon(ParamKind::Enum, name, double(defaultVal), label, group);
  mMin = 0.0;
  mMax = nEnums >= 2 ? double(nEnums - 1) : 1.0;
  mStep = 1.0;
  mShape = 1.0;
}

void IParam::InitInt(const char* name, int defaultVal, int minVal, int maxVal, const char* label,
                     const char* group)
{
  InitCommon(ParamKind::Int, name, double(defaultVal), label, group);
  mMin = double(minVal);
  // In double: min + 1 must not overflow for INT_MAX.
  mMax = std::fmax(double(minVal) + 1.0, double(maxVal));
  mStep = 1.0;
  mShape = 1.0;
}

void IParam::InitDouble(const char* name, double defaultVal, double minVal, double maxVal,
                        double step, const char* label, const char* group, double shape)
{
  InitCommon(ParamKind::Double, name, defaultVal, label, group);
  mMin = minVal;
  mMax = std::fmax(minVal + step, maxVal);
  mStep = step;
  SetShape(shape);

  // Digits needed to show one step: at most six passes of scaling by ten.
  double s = step;
  for (int pass = 1; pass <= 6; ++pass)
  {
    if (s == std::floor(s)) break;
    mDisplayPrecision = pass;
    s *= 10.0;
  }
}

void IParam::SetShape(double shape)
{
  if (shape != 0.0) mShape = shape;
}

void IParam::SetDisplayText(int value, const char* text)
{
  ValueLabel entry;
  entry.mValue = value;
  CopyTruncated(entry.mText, text);
  mDisplayTexts.Add(entry);
}

void IParam::SetNormalized(double normalizedValue)
{
  // A host or file may hand over NaN or infinity; a negative n with a fractional
  // shape gives NaN through pow. Either way the parameter keeps its value.
  if (!std::isfinite(normalizedValue)) return;
  double v = mMin + (mMax - mMin) * std::pow(normalizedValue, mShape);
  if (mKind != ParamKind::Double && mStep != 0.0) v = std::floor(v / mStep + 0.5) * mStep;
  // Checked before the cap: fmin would turn NaN into the maximum.
  if (!std::isfinite(v)) return;
  mValue = v > mMax ? mMax : v;
}

double IParam::GetNormalized() const
{
  return GetNormalized(mValue);
}

double IParam::GetNormalized(double plainValue) const
{
  const double range = mMax - mMin;
  if (!(range > 0.0)) return 0.0; // a degenerate range has one point
  double v = plainValue;
  if (v < mMin) v = mMin;
  if (v > mMax) v = mMax;
  return std::pow((v - mMin) / range, 1.0 / mShape);
}

double IParam::DBToAmp() const
{
  // ln(10) / 20: decibels to a natural exponent.
  return std::exp(mValue * 0.1151292546497);
}

int IParam::TruncToInt(double value)
{
  // Converting an out-of-range double to int is undefined; saturate instead.
  if (std::isnan(value)) return 0;
  if (value >= double(INT_MAX)) return INT_MAX;
  if (value <= double(INT_MIN)) return INT_MIN;
  return int(value);
}

int IParam::Int() const
{
  return TruncToInt(mValue);
}

void IParam::GetDisplayForHost(double value, bool normalized, char* out, bool withDisplayText) const
{
  if (!out) return;
  if (normalized) value = mMin + (mMax - mMin) * std::pow(value, mShape);

  if (withDisplayText)
  {
    const char* text = GetDisplayText(TruncToInt(value));
    if (text[0])
    {
      CopyTruncated(out, kDisplayLen, text);
      return;
    }
  }

  const double d = mNegateDisplay ? -value : value;
  if (mDisplayPrecision == 0)
    snprintf(out, kDisplayLen, "%d", TruncToInt(d));
  else
    snprintf(out, kDisplayLen, "%.*f", mDisplayPrecision, d);
}

const char* IParam::GetDisplayText(int value) const
{
  const ValueLabel* entries = mDisplayTexts.Get();
  for (int i = 0; i < mDisplayTexts.GetSize(); ++i)
    if (entries[i].mValue == value) return entries[i].mText;
  return "";
}

const char* IParam::GetDisplayTextAtIdx(int idx, int* value) const
{
  if (idx < 0 || idx >= mDisplayTexts.GetSize()) return "";
  const ValueLabel& entry = mDisplayTexts.Get()[idx];
  if (value) *value = entry.mValue;
  return entry.mText;
}

bool IParam::MapDisplayText(const char* text, int* value) const
{
  if (!text) return false;
  const ValueLabel* entries = mDisplayTexts.Get();
  for (int i = 0; i < mDisplayTexts.GetSize(); ++i)
  {
    if (strcmp(entries[i].mText, text) == 0)
    {
      if (value) *value = entries[i].mValue;
      return true;
    }
  }
  return false;
}

const char* IParam::GetLabelForHost() const
{
  return GetDisplayText(Int())[0] ? "" : mLabel;
}

void IParam::GetBounds(double* minVal, double* maxVal) const
{
  if (minVal) *minVal = mMin;
  if (maxVal) *maxVal = mMax;
}

void IParam::Set(double value)
{
  if (!std::isfinite(value)) return;
  if (value < mMin) value = mMin;
  if (value > mMax) value = mMax;
  mValue = value;
}
