#include "editor/IGraphics.h"

#include "core/IEffectBase.h"
#include "core/IParam.h"
#include "editor/controls/IBitmapControl.h"
#include "editor/controls/IControl.h"
#include "editor/controls/IPanelControl.h"
#include "editor/menu/IPopupMenu.h"
#include "raster/RAS_Bitmap.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

IGraphics::IGraphics(IEffectBase* plug, int width, int height, int fps)
    : mPlug(plug), mWidth(width), mHeight(height), mFPS(fps > 0 ? fps : 25)
{
  if (mPlug) mPendingParams.Reserve(mPlug->NParams());
}

IGraphics::~IGraphics()
{
  delete mKeyCatcher;
  mKeyCatcher = nullptr;
  mControls.Empty(true);
  DeleteBitmaps();
}

IGraphics* GetGraphics(const IEffectBase* plug)
{
  return plug ? dynamic_cast<IGraphics*>(plug->GetGUI()) : nullptr;
}

void IGraphics::DeleteBitmaps()
{
  delete mDrawBitmap;
  mDrawBitmap = nullptr;
  delete mTmpBitmap;
  mTmpBitmap = nullptr;
}

void IGraphics::PrepDraw()
{
  // Parameters added after construction get their slots before any window opens.
  if (mPlug) mPendingParams.Reserve(mPlug->NParams());
  DeleteBitmaps();
  mDrawBitmap = new RAS_SysBitmap(mWidth, mHeight);
  mTmpBitmap = new RAS_MemBitmap(0, 0, 4);
}

// ---- Controls -------------------------------------------------------------------------

int IGraphics::AttachControl(IControl* control)
{
  // Every loop over the list dereferences its entries.
  if (!control) return -1;
  mControls.Add(control);
  ReserveControlSlots();
  return mControls.GetSize() - 1;
}

void IGraphics::AttachBackground(int id, const char* name)
{
  // A missing image gives an empty rectangle: the background is then never drawn or hit.
  IBitmap bitmap = LoadIBitmap(id, name, 1, false);
  mControls.Insert(0, new IBitmapControl(mPlug, 0, 0, -1, &bitmap, IChannelBlend::kBlendClobber));
  ReserveControlSlots();
}

void IGraphics::AttachPanelBackground(const IColor* color)
{
  mControls.Insert(0, new IPanelControl(mPlug, IRECT(0, 0, mWidth, mHeight), color));
  ReserveControlSlots();
}

void IGraphics::AttachKeyCatcher(IControl* control)
{
  if (control == mKeyCatcher) return;
  delete mKeyCatcher;
  mKeyCatcher = control;
}

// ---- Parameter links ----------------------------------------------------------------------

void IGraphics::SetParameterFromPlug(int paramIdx, double value, bool normalized)
{
  if (!normalized)
  {
    const IParam* param = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
    if (!param) return;
    value = param->GetNormalized(value);
  }
  HandOver(mPendingParams, paramIdx, value, false);
}

void IGraphics::SetControlFromPlug(int controlIdx, double normalizedValue)
{
  HandOver(mPendingControls, controlIdx, normalizedValue, true);
}

// ---- Hand-over to the UI thread ---------------------------------------------------------

void IGraphics::ApplyParameter(int paramIdx, double value)
{
  const int n = mControls.GetSize();
  for (int i = 0; i < n; ++i)
  {
    IControl* c = mControls.Get(i);
    if (c->ParamIdx() == paramIdx) c->SetValueFromPlug(value);
    const int aux = c->AuxParamIdx(paramIdx);
    if (aux >= 0) c->SetAuxParamValueFromPlug(aux, value);
  }
}

void IGraphics::ApplyControl(int controlIdx, double normalizedValue)
{
  IControl* c = mControls.Get(controlIdx);
  if (c) c->SetValueFromPlug(normalizedValue);
}

void IGraphics::ApplyAllPending()
{
  mPendingParams.Drain([this](int idx, double v) { ApplyParameter(idx, v); });
  mPendingControls.Drain([this](int idx, double v) { ApplyControl(idx, v); });
}

void IGraphics::HandOver(PendingSlots& slots, int idx, double value, bool isControl)
{
  auto apply = [&] { isControl ? ApplyControl(idx, value) : ApplyParameter(idx, value); };
  if (IsUIThread())
  {
    // An older value still waiting must not land on top of this one at the next idle.
    slots.Discard(idx);
    apply();
    return;
  }
  const bool recorded = slots.Record(idx, value);
  if (!TakeControlsOrFlag()) return; // the holder applies the recorded value
  // An index without a slot (no control, or a parameter added after the editor was
  // prepared) can still be applied while this thread holds the controls.
  if (!recorded) apply();
  ApplyAllPending();
  ReleaseControls();
}

bool IGraphics::TakeControlsOrFlag()
{
  unsigned s = mHandover.load(std::memory_order_acquire);
  for (;;)
  {
    if (s & (kOwned | kBusy))
    {
      if (mHandover.compare_exchange_weak(s, s | kPending, std::memory_order_acq_rel,
                                          std::memory_order_acquire))
        return false;
    }
    else if (mHandover.compare_exchange_weak(s, s | kBusy, std::memory_order_acq_rel,
                                             std::memory_order_acquire))
      return true;
  }
}

void IGraphics::ReleaseControls()
{
  unsigned s = mHandover.load(std::memory_order_acquire);
  for (;;)
  {
    if (s & kPending)
    {
      mHandover.fetch_and(~kPending, std::memory_order_acq_rel);
      ApplyAllPending();
      s = mHandover.load(std::memory_order_acquire);
      continue;
    }
    if (mHandover.compare_exchange_weak(s, s & ~kBusy, std::memory_order_acq_rel,
                                        std::memory_order_acquire))
      return;
  }
}

bool IGraphics::WaitForControls(unsigned bit)
{
  unsigned s = mHandover.load(std::memory_order_acquire);
  for (;;)
  {
    if ((s & kOwned) && bit == kBusy) return false;
    // A pushing thread applying directly finishes within a few control updates.
    if (s & kBusy)
    {
      std::this_thread::yield();
      s = mHandover.load(std::memory_order_acquire);
      continue;
    }
    if (mHandover.compare_exchange_weak(s, s | bit, std::memory_order_acq_rel,
                                        std::memory_order_acquire))
      return true;
  }
}

void IGraphics::BeginUIThread()
{
  mUIThread.store(std::this_thread::get_id(), std::memory_order_release);
  WaitForControls(kOwned);
  mHandover.fetch_and(~kPending, std::memory_order_acq_rel);
  ApplyAllPending();
}

void IGraphics::ApplyPendingFromPlug()
{
  // Only the owner may touch the controls; without a window pushes apply themselves.
  if (!IsUIThread()) return;
  if (mHandover.fetch_and(~kPending, std::memory_order_acq_rel) & kPending) ApplyAllPending();
}

void IGraphics::EndUIThread()
{
  if (!IsUIThread()) return;
  for (;;)
  {
    mHandover.fetch_and(~kPending, std::memory_order_acq_rel);
    ApplyAllPending();
    unsigned s = mHandover.load(std::memory_order_acquire);
    if (s & kPending) continue;
    // Fails when a push raised kPending after the drain: drain once more.
    if (mHandover.compare_exchange_strong(s, s & ~kOwned, std::memory_order_acq_rel,
                                          std::memory_order_acquire))
      break;
  }
  mUIThread.store(std::thread::id(), std::memory_order_release);
}

void IGraphics::SetParameterFromGUI(int paramIdx, double normalizedValue)
{
  const int n = mControls.GetSize();
  for (int i = 0; i < n; ++i)
  {
    IControl* c = mControls.Get(i);
    if (c->ParamIdx() == paramIdx) c->SetValueFromUserInput(normalizedValue);
  }
}

void IGraphics::ClampControl(int paramIdx, double lo, double hi, bool normalized)
{
  if (!normalized)
  {
    const IParam* param = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
    if (!param) return;
    lo = param->GetNormalized(lo);
    hi = param->GetNormalized(hi);
  }
  const int n = mControls.GetSize();
  for (int i = 0; i < n; ++i)
  {
    IControl* c = mControls.Get(i);
    if (c->ParamIdx() == paramIdx) c->Clamp(lo, hi);
  }
}

void IGraphics::HideControl(int paramIdx, bool hide)
{
  const int n = mControls.GetSize();
  for (int i = 0; i < n; ++i)
  {
    IControl* c = mControls.Get(i);
    if (c->ParamIdx() == paramIdx) c->Hide(hide);
  }
}

void IGraphics::GrayOutControl(int paramIdx, bool gray)
{
  const int n = mControls.GetSize();
  for (int i = 0; i < n; ++i)
  {
    IControl* c = mControls.Get(i);
    if (c->ParamIdx() == paramIdx) c->GrayOut(gray);
  }
}

void IGraphics::SetAllControlsDirty()
{
  const int n = mControls.GetSize();
  for (int i = 0; i < n; ++i)
    mControls.Get(i)->SetDirty(false);
}

void IGraphics::SetStrictDrawing(bool strict)
{
  mStrict = strict;
  SetAllControlsDirty();
}

// ---- User input of a value -------------------------------------------------------------------

void IGraphics::PromptUserInput(IControl* control, IParam* param, IRECT* rect)
{
  if (!control || !param || !rect) return;
  const int n = param->GetNDisplayTexts();
  char current[IParam::kDisplayLen];

  if (param->Kind() == ParamKind::Enum || (param->Kind() == ParamKind::Bool && n > 0))
  {
    param->GetDisplayForHost(param->Value(), false, current, true);
    IPopupMenu menu;
    for (int i = 0; i < n; ++i)
    {
      const char* text = param->GetDisplayTextAtIdx(i);
      IPopupMenuItem* item = menu.AddItem(text);
      if (std::strcmp(text, current) == 0) item->SetChecked(true);
    }
    // The chosen index is an item position; the parameter's values are 0..n-1 in order.
    if (IPopupMenu* chosen = CreateIPopupMenu(&menu, rect))
    {
      const int idx = chosen->GetChosenItemIdx();
      if (idx >= 0) control->SetValueFromUserInput(param->GetNormalized(double(idx)));
    }
  }
  else
  {
    param->GetDisplayForHost(param->Value(), false, current, false);
    CreateTextEntry(control, control->GetText(), rect, current, param);
  }
}

void IGraphics::SetFromStringAfterPrompt(IControl* control, IParam* param, const char* text)
{
  if (!control || !param || !text) return;
  double value;
  if (param->Kind() == ParamKind::Bool || param->Kind() == ParamKind::Enum)
  {
    int v = 0;
    param->MapDisplayText(text, &v);
    value = double(v);
  }
  else
  {
    value = std::atof(text);
    // "nan" or "1e999" name no value; the entry is dropped as the host path drops it.
    if (!std::isfinite(value)) return;
    if (param->GetDisplayNegated()) value = -value;
  }
  control->SetValueFromUserInput(param->GetNormalized(value));
}

// ---- Events ------------------------------------------------------------------------------

int IGraphics::FindControl(int x, int y, bool mouseOver) const
{
  for (int i = mControls.GetSize() - 1; i >= 0; --i)
  {
    IControl* c = mControls.Get(i);
    if (c->IsHidden()) continue;
    if (c->IsGrayed() && !(mouseOver && c->GetMOWhenGrayed())) continue;
    if (c->IsHit(x, y)) return i;
  }
  return -1;
}

int IGraphics::GetMouseControlIdx(int x, int y, bool mouseOver)
{
  if (mMouseCapture >= 0) return mMouseCapture;
  return FindControl(x, y, mouseOver);
}

void IGraphics::ReleaseMouseCapture()
{
  mMouseCapture = -1;
  mMouseX = mMouseY = -1;
}

void IGraphics::OnMouseDown(int x, int y, IMouseMod* mod)
{
  ReleaseMouseCapture();
  const int idx = GetMouseControlIdx(x, y);
  if (idx < 0) return;
  mMouseCapture = idx;
  mMouseX = x;
  mMouseY = y;
  IControl* c = mControls.Get(idx);
  const int paramIdx = c->ParamIdx();
  if (mPlug && c->GetParam()) mPlug->BeginInformHostOfParamChange(paramIdx);
  c->OnMouseDown(x, y, mod);
}

void IGraphics::OnMouseUp(int x, int y, IMouseMod* mod)
{
  const int idx = GetMouseControlIdx(x, y);
  ReleaseMouseCapture();
  IControl* c = mControls.Get(idx);
  if (!c) return;
  c->OnMouseUp(x, y, mod);
  // Sent even without a capture (the release after a double click): hosts pair it up.
  const int paramIdx = c->ParamIdx();
  if (mPlug && c->GetParam()) mPlug->EndInformHostOfParamChange(paramIdx);
}

void IGraphics::OnMouseDrag(int x, int y, IMouseMod* mod)
{
  IControl* c = mControls.Get(mMouseCapture);
  if (!c) return;
  if (x == mMouseX && y == mMouseY) return;
  const int dX = x - mMouseX, dY = y - mMouseY;
  mMouseX = x;
  mMouseY = y;
  c->OnMouseDrag(x, y, dX, dY, mod);
}

bool IGraphics::OnMouseDblClick(int x, int y, IMouseMod* mod)
{
  ReleaseMouseCapture();
  const int idx = GetMouseControlIdx(x, y);
  IControl* c = mControls.Get(idx);
  if (!c) return false;
  if (c->MouseDblAsSingleClick())
  {
    mMouseCapture = idx;
    mMouseX = x;
    mMouseY = y;
    c->OnMouseDown(x, y, mod);
    return true;
  }
  c->OnMouseDblClick(x, y, mod);
  return false;
}

void IGraphics::OnMouseWheel(int x, int y, IMouseMod* mod, int d)
{
  IControl* c = mControls.Get(GetMouseControlIdx(x, y));
  if (c) c->OnMouseWheel(x, y, mod, d);
}

bool IGraphics::OnMouseOver(int x, int y, IMouseMod* mod)
{
  if (!mHandleMouseOver) return false;
  const int idx = GetMouseControlIdx(x, y, true);
  IControl* c = mControls.Get(idx);
  if (!c) return true;
  mMouseX = x;
  mMouseY = y;
  c->OnMouseOver(x, y, mod);
  if (mMouseOver >= 0 && mMouseOver != idx)
  {
    if (IControl* previous = mControls.Get(mMouseOver)) previous->OnMouseOut();
  }
  mMouseOver = idx;
  return true;
}

void IGraphics::OnMouseOut()
{
  const int n = mControls.GetSize();
  for (int i = 0; i < n; ++i)
    mControls.Get(i)->OnMouseOut();
  mMouseOver = -1;
}

bool IGraphics::OnKeyDown(int x, int y, int key)
{
  int idx = GetMouseControlIdx(x, y);
  if (idx < 0) idx = 0;
  if (idx > 0) return mControls.Get(idx)->OnKeyDown(x, y, key);
  return mKeyCatcher ? mKeyCatcher->OnKeyDown(x, y, key) : false;
}

int IGraphics::GetParamIdxForPTAutomation(int x, int y)
{
  const int idx = GetMouseControlIdx(x, y);
  mLastClickedParam = idx > 0 ? mControls.Get(idx)->ParamIdx() : -1;
  return mLastClickedParam;
}

int IGraphics::GetLastClickedParamForPTAutomation()
{
  const int idx = mLastClickedParam;
  mLastClickedParam = -1;
  return idx;
}

void IGraphics::OnGUIIdle()
{
  const int n = mControls.GetSize();
  for (int i = 0; i < n; ++i)
    mControls.Get(i)->OnGUIIdle();
}

// ---- Redraw ------------------------------------------------------------------------------

bool IGraphics::IsDirty(IRECT* rect)
{
  if (!rect) return false;
  bool dirty = false;
  const int n = mControls.GetSize();
  for (int i = 0; i < n; ++i)
  {
    IControl* c = mControls.Get(i);
    if (c->IsDirty())
    {
      *rect = rect->Union(*c->GetRECT());
      dirty = true;
    }
  }
  return dirty;
}

bool IGraphics::Draw(IRECT* region)
{
  const int n = mControls.GetSize();
  if (n == 0) return true;
  if (!region) return false;

  if (mStrict)
  {
    mDrawRECT = *region;
    for (int i = 0; i < n; ++i)
    {
      IControl* c = mControls.Get(i);
      if (!c->IsHidden() && region->Intersects(*c->GetRECT())) c->Draw(this);
      c->SetClean();
    }
  }
  else
  {
    IControl* background = mControls.Get(0);
    if (background->IsDirty())
    {
      mDrawRECT = *background->GetRECT();
      for (int i = 0; i < n; ++i)
      {
        IControl* c = mControls.Get(i);
        if (i == 0 || !c->IsHidden()) c->Draw(this);
        c->SetClean();
      }
    }
    else
    {
      for (int i = 1; i < n; ++i)
      {
        IControl* dirty = mControls.Get(i);
        if (!dirty->IsDirty()) continue;
        mDrawRECT = *dirty->GetRECT();
        for (int j = 0; j < n; ++j)
        {
          IControl* c = mControls.Get(j);
          if (c->IsHidden()) continue;
          if (j == i || c->GetRECT()->Intersects(mDrawRECT)) c->Draw(this);
        }
        dirty->SetClean();
      }
    }
  }
  return DrawScreen(region);
}

void IGraphics::Resize(int w, int h)
{
  // Without a window, pushing threads apply to the controls themselves: hold them off
  // while the list is rebuilt. With one, only its UI thread may resize.
  const bool held = !IsUIThread();
  if (held && !WaitForControls(kBusy)) return;
  mWidth = w;
  mHeight = h;
  ReleaseMouseCapture();
  mMouseOver = -1;
  mControls.Empty(true);
  DeleteBitmaps();
  PrepDraw();
  if (mPlug) mPlug->ResizeGraphics(w, h);
  if (held) ReleaseControls();
}

bool IGraphics::MeasureIText(IText* text, const char* str, IRECT* rect)
{
  return DrawIText(text, str, rect, true);
}
