#pragma once
// One automatable parameter: a plain value in the effect's units, converted to and
// from the normalised 0..1 range of hosts and controls through a power-law shape.
#include "util/UTL_TypedBuf.h"

#include <cstdint>

enum class ParamKind : int32_t
{
  None = 0,
  Bool = 1,
  Int = 2,
  Enum = 3,
  Double = 4
};

// A text shown instead of the number for one integer value.
struct ValueLabel
{
  int mValue;
  char mText[32];
};

class IParam
{
public:
  // Size of the name, label, group and display-text fields, terminator included.
  static constexpr int kTextLen = 32;
  // GetDisplayForHost writes at most this many bytes, terminator included.
  static constexpr int kDisplayLen = 32;

  IParam() = default;

  // Texts longer than 31 characters are cut. A second Init keeps the first kind.
  void InitBool(const char* name, bool defaultVal, const char* label = "", const char* group = "");
  void InitEnum(const char* name, int defaultVal, int nEnums, const char* label = "",
                const char* group = "");
  void InitInt(const char* name, int defaultVal, int minVal, int maxVal, const char* label = "",
               const char* group = "");
  // A shape of 0 keeps the current one.
  void InitDouble(const char* name, double defaultVal, double minVal, double maxVal, double step,
                  const char* label = "", const char* group = "", double shape = 1.0);

  void SetShape(double shape);
  void SetDisplayText(int value, const char* text);
  void SetDisplayNegated(bool negated) { mNegateDisplay = negated; }

  // value = min + (max - min) * n^shape, quantised to the step unless Double, capped at
  // max. A non-finite n or result leaves the value unchanged.
  void SetNormalized(double normalizedValue);
  double GetNormalized() const;
  double GetNormalized(double plainValue) const;
  // The value taken as decibels, as a linear gain.
  double DBToAmp() const;

  // Writes the value as text into out, which holds at least kDisplayLen bytes.
  void GetDisplayForHost(double value, bool normalized, char* out,
                         bool withDisplayText = true) const;
  void GetDisplayForHost(char* out, bool withDisplayText = true) const
  {
    GetDisplayForHost(mValue, false, out, withDisplayText);
  }

  // "" when no entry has this value.
  const char* GetDisplayText(int value) const;
  int GetNDisplayTexts() const { return mDisplayTexts.GetSize(); }
  // idx must be below GetNDisplayTexts(); value may be null.
  const char* GetDisplayTextAtIdx(int idx, int* value = nullptr) const;
  // Finds the first entry whose text equals text; value is untouched when none does.
  bool MapDisplayText(const char* text, int* value) const;

  const char* GetNameForHost() const { return mName; }
  // "" when a display text already describes the value.
  const char* GetLabelForHost() const;
  const char* GetParamGroupForHost() const { return mParamGroup; }
  void GetBounds(double* minVal, double* maxVal) const;

  double Value() const { return mValue; }
  bool Bool() const { return mValue >= 0.5; }
  int Int() const;
  double GetDefault() const { return mDefault; }
  double GetMin() const { return mMin; }
  double GetMax() const { return mMax; }
  double GetRange() const { return mMax - mMin; }
  double GetStep() const { return mStep; }
  double GetShape() const { return mShape; }
  ParamKind Kind() const { return mKind; }
  int GetPrecision() const { return mDisplayPrecision; }
  bool GetDisplayNegated() const { return mNegateDisplay; }

  // Sets the value clamped to [min, max]; a non-finite value leaves it unchanged.
  void Set(double value);

private:
  // Shared by the Init operations: kind (only while None), texts, value and default.
  void InitCommon(ParamKind kind, const char* name, double defaultVal, const char* label,
                  const char* group);
  // Integer part of the value for display-text lookup, safe for any double.
  static int TruncToInt(double value);

  ParamKind mKind = ParamKind::None;
  double mValue = 0.0;
  double mMin = 0.0;
  double mMax = 1.0;
  double mStep = 1.0;
  double mShape = 1.0;
  double mDefault = 0.0;
  int mDisplayPrecision = 0;
  char mName[kTextLen] = "";
  char mLabel[kTextLen] = "";
  char mParamGroup[kTextLen] = "";
  bool mNegateDisplay = false;
  UTL_TypedBuf<ValueLabel> mDisplayTexts;
};
