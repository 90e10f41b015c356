#include "editor/controls/IURLControl.h"

#include "editor/IGraphics.h"

#include <cstring>

namespace
{
template <size_t N>
void CopyField(char (&field)[N], const char* text)
{
  if (text && text[0]) strncpy(field, text, N - 1);  // the last byte stays 0
}
} // namespace

IURLControl::IURLControl(IEffectBase* plug, const IRECT& rect, const char* url,
                         const char* backupURL, const char* errMsgOnFailure)
    : IControl(plug, rect)
{
  memset(mURL, 0, sizeof(mURL));
  memset(mBackupURL, 0, sizeof(mBackupURL));
  memset(mErrMsg, 0, sizeof(mErrMsg));
  CopyField(mURL, url);
  CopyField(mBackupURL, backupURL);
  CopyField(mErrMsg, errMsgOnFailure);
}

void IURLControl::OnMouseDown(int, int, IMouseMod*)
{
  IGraphics* gui = GetGUI();
  if (!gui) return;
  bool opened = false;
  if (mURL[0]) opened = gui->OpenURL(mURL, mErrMsg, nullptr, nullptr);
  if (!opened && mBackupURL[0]) gui->OpenURL(mBackupURL, mErrMsg, nullptr, nullptr);
}
