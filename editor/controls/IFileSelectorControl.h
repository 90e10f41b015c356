#pragma once
// Opens the editor's file dialog on a click. While the modal dialog is up the
// control shows its bitmap; afterwards it reports dirty once so that the plug-in
// side can pick up the chosen file.
#include "core/IEffectBase.h" // EFileAction
#include "editor/controls/IControl.h"
#include "util/UTL_String.h"

class IFileSelectorControl : public IControl
{
public:
  enum EFileSelectorState
  {
    kFSNone = 0,
    kFSSelecting = 1,
    kFSDone = 2
  };

  // extensions: space-separated, as the platform's dialog takes them.
  IFileSelectorControl(IEffectBase* plug, const IRECT& rect, int paramIdx, const IBitmap* bitmap,
                       EFileAction action, const char* dir = "", const char* extensions = "");
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;
  // Also true once after a selection finishes.
  bool IsDirty() override;

  void GetLastSelectedFileForPlug(UTL_String* str) const;
  void SetLastSelectedFileFromPlug(const char* file);
  int GetState() const { return mState; }
  const char* GetDir() const { return mDir.Get(); }

protected:
  IBitmap mBitmap;
  UTL_String mDir, mFile, mExtensions;
  EFileAction mFileAction;
  int mState = kFSNone;
};
