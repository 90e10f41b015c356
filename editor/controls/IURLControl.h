#pragma once
// An invisible link: a click opens the URL in the browser, or the backup URL when
// the first cannot be opened.
#include "editor/controls/IControl.h"

class IURLControl : public IControl
{
public:
  static constexpr int kURLLen = 256;
  static constexpr int kErrMsgLen = 1024;

  // Null or empty texts leave their fields empty; longer texts are cut to fit.
  IURLControl(IEffectBase* plug, const IRECT& rect, const char* url,
              const char* backupURL = nullptr, const char* errMsgOnFailure = nullptr);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics*) override { return true; }

  const char* GetURL() const { return mURL; }
  const char* GetBackupURL() const { return mBackupURL; }
  const char* GetErrorMessage() const { return mErrMsg; }

protected:
  char mURL[kURLLen];
  char mBackupURL[kURLLen];
  char mErrMsg[kErrMsgLen];
};
