#include "editor/controls/IFileSelectorControl.h"

#include "editor/IGraphics.h"

IFileSelectorControl::IFileSelectorControl(IEffectBase* plug, const IRECT& rect, int paramIdx,
                                           const IBitmap* bitmap, EFileAction action,
                                           const char* dir, const char* extensions)
    : IControl(plug, rect, paramIdx), mDir(dir), mExtensions(extensions), mFileAction(action)
{
  if (bitmap) mBitmap = *bitmap;
}

void IFileSelectorControl::OnMouseDown(int, int, IMouseMod*)
{
  IGraphics* gui = mPlug ? GetGUI() : nullptr;
  if (!gui) return;
  mState = kFSSelecting;
  SetDirty(false);
  gui->PromptForFile(&mFile, mFileAction, &mDir, mExtensions.Get());
  // Any change of value tells the plug-in a selection happened, even of the same file.
  mValue += 1.0;
  if (mValue > 1.0) mValue = 0.0;
  mState = kFSDone;
  SetDirty(true);
}

bool IFileSelectorControl::Draw(IGraphics* graphics)
{
  if (mState != kFSSelecting) return true;
  if (!graphics) return false;
  return graphics->DrawBitmap(&mBitmap, &mRECT, 0, 0, nullptr);
}

bool IFileSelectorControl::IsDirty()
{
  if (mDirty) return true;
  if (mState == kFSDone)
  {
    mState = kFSNone;
    return true;
  }
  return false;
}

void IFileSelectorControl::GetLastSelectedFileForPlug(UTL_String* str) const
{
  if (str) str->Set(mFile.Get());
}

void IFileSelectorControl::SetLastSelectedFileFromPlug(const char* file)
{
  mFile.Set(file);
}
