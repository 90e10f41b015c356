#pragma once
// Base of every editor element: a rectangle in editor pixels, optionally bound to one
// plug-in parameter, holding a normalised value in [0, 1] and drawing itself into the
// editor's off-screen bitmap.
#include "editor/IGraphicsTypes.h"
#include "util/UTL_TypedBuf.h"

class IEffectBase;
class IGraphics;
class IParam;

class IControl
{
public:
  // A further parameter the control displays.
  struct AuxParam
  {
    double mValue = 0.0;
    int mParamIdx = -1;
  };

  IControl(IEffectBase* plug, const IRECT& rect, int paramIdx = -1,
           int blendMethod = IChannelBlend::kBlendNone);
  virtual ~IControl();
  IControl(const IControl&) = delete;
  IControl& operator=(const IControl&) = delete;

  // A right click prompts for a value.
  virtual void OnMouseDown(int x, int y, IMouseMod* mod);
  virtual void OnMouseUp(int x, int y, IMouseMod* mod);
  virtual void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod);
  // Restores the default value, once one is known.
  virtual void OnMouseDblClick(int x, int y, IMouseMod* mod);
  // One notch is 0.01, or 0.001 with control or shift held.
  virtual void OnMouseWheel(int x, int y, IMouseMod* mod, int d);
  virtual bool OnKeyDown(int x, int y, int key);
  virtual void OnMouseOver(int x, int y, IMouseMod* mod);
  virtual void OnMouseOut();
  virtual bool Draw(IGraphics* graphics) = 0;
  // The first value pushed also becomes the default. Runs on the thread that holds the
  // controls: IGraphics keeps values from other threads in its slots until then.
  virtual void SetValueFromPlug(double value);
  virtual void TextFromTextEntry(const char* text);
  virtual void Hide(bool hide);
  virtual void GrayOut(bool gray);
  virtual bool IsHit(int x, int y);
  // Clamps the value; with informPlug also sends it to the plug-in and refreshes the
  // value and name displays.
  virtual void SetDirty(bool informPlug = true);
  // Keeps the control dirty for one more draw when a redraw was requested.
  virtual void SetClean();
  virtual bool IsDirty() { return mDirty; }
  virtual void OnGUIIdle();
  virtual void SetAuxParamValueFromPlug(int auxIdx, double value);
  // Text-showing controls override this; the value and name display links write
  // through it. Equal text must change nothing, a new one must SetDirty(false).
  virtual void SetTextFromPlug(const char* text);

  void SetValueFromUserInput(double value);
  // Asks the editor for a value: a menu for display texts, else a small text entry
  // centred on the control. Needs a parameter and prompting enabled.
  void PromptUserInput();
  void PromptUserInput(IRECT* rect);

  AuxParam* GetAuxParam(int i);
  int AuxParamIdx(int paramIdx) const;
  void AddAuxParam(int paramIdx);
  int NAuxParams() const { return mAuxParams.GetSize(); }
  void SetAllAuxParamsFromGUI();

  // Accessors the editor and the platform layers use.
  IEffectBase* GetPlug() const { return mPlug; }
  int ParamIdx() const { return mParamIdx; }
  // The bound parameter, or null without one.
  IParam* GetParam() const;
  IGraphics* GetGUI() const;
  IRECT* GetRECT() { return &mRECT; }
  IRECT* GetTargetRECT() { return &mTargetRECT; }
  void SetTargetArea(const IRECT& rect) { mTargetRECT = rect; }
  double GetValue() const { return mValue; }
  void SetValue(double value) { mValue = value; }
  double GetDefaultValue() const { return mDefaultValue; }
  void SetDefaultValue(double value) { mDefaultValue = value; }
  IText* GetText() { return &mText; }
  void SetText(const IText* text)
  {
    if (text) mText = *text;
  }
  int GetTextEntryLength() const { return mTextEntryLength; }
  void SetTextEntryLength(int len) { mTextEntryLength = len; }
  const IChannelBlend* GetBlend() const { return &mBlend; }
  bool IsHidden() const { return mHide; }
  bool IsGrayed() const { return mGrayed; }
  bool GetRedrawRequested() const { return mRedraw; }
  void SetRedrawRequested(bool redraw) { mRedraw = redraw; }
  bool GetMOWhenGrayed() const { return mMOWhenGrayed; }
  void SetMOWhenGrayed(bool allow) { mMOWhenGrayed = allow; }
  bool MouseDblAsSingleClick() const { return mDblAsSingleClick; }
  void SetMouseDblAsSingleClick(bool single) { mDblAsSingleClick = single; }
  bool IsPromptDisabled() const { return mDisablePrompt; }
  void DisablePrompt(bool disable) { mDisablePrompt = disable; }
  void Clamp(double lo, double hi)
  {
    mClampLo = lo;
    mClampHi = hi;
  }
  double ClampLo() const { return mClampLo; }
  double ClampHi() const { return mClampHi; }
  void SetValDisplayControl(IControl* control) { mValDisplayControl = control; }
  void SetNameDisplayControl(IControl* control) { mNameDisplayControl = control; }
  const char* GetTooltip() const { return mTooltip; }
  void SetTooltip(const char* tooltip) { mTooltip = tooltip; }

protected:
  int mTextEntryLength = 32;
  IText mText;
  IEffectBase* mPlug;
  IRECT mRECT;
  IRECT mTargetRECT;
  int mParamIdx;
  UTL_TypedBuf<AuxParam> mAuxParams;
  double mValue = 0.0;
  double mDefaultValue = -1.0; // negative: not known until the plug-in pushes a value
  double mClampLo = 0.0, mClampHi = 1.0;
  bool mDirty = true;
  bool mHide = false;
  bool mGrayed = false;
  bool mRedraw = false;
  bool mDisablePrompt = true;
  bool mDblAsSingleClick = false;
  bool mMOWhenGrayed = false;
  IChannelBlend mBlend;
  IControl* mValDisplayControl = nullptr;  // not owned
  IControl* mNameDisplayControl = nullptr; // not owned
  const char* mTooltip = nullptr;          // not owned
};

// Frame of an N-frame strip for a normalised value: value 0 shows frame 1, value 1
// frame N, rounding to the nearest step.
int FrameForValue(double value, int nFrames);
