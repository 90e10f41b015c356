#include "editor/controls/IURLControl.h"

#include "editor/IGraphics.h"
#include "util/UTL_CopyTruncated.h"

#include <cstring>

IURLControl::IURLControl(IEffectBase* plug, const IRECT& rect, const char* url,
                         const char* backupURL, const char* errMsgOnFailure)
    : IControl(plug, rect)
{
  CopyTruncated(mURL, url);
  CopyTruncated(mBackupURL, backupURL);
  CopyTruncated(mErrMsg, errMsgOnFailure);
}

void IURLControl::OnMouseDown(int, int, IMouseMod*)
{
  IGraphics* gui = GetGUI();
  if (!gui) return;
  bool opened = false;
  if (mURL[0]) opened = gui->OpenURL(mURL, mErrMsg, nullptr, nullptr);
  if (!opened && mBackupURL[0]) gui->OpenURL(mBackupURL, mErrMsg, nullptr, nullptr);
}
