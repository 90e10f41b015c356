#pragma once
// The editor's dialogs and URL opening on Linux, through the desktop's own programs
// (zenity, else kdialog; xdg-open). Each runs without any lock held by the caller, on
// the caller's thread, and gives the failure result at once when no program is there.
#include "core/IEffectBase.h" // EFileAction

class UTL_String;

// A file dialog opened at `directory` ("~" is the home folder) with `defaultName`
// preselected, filtered to `extensions` (split at spaces). True with the chosen full
// path in `chosen`; false with `chosen` empty when no dialog program is installed or the
// user cancelled.
bool RunFileDialog(EFileAction action, const char* defaultName, const char* directory,
                   const char* extensions, UTL_String* chosen);

// A message box with the buttons of `type` (see MessageBoxButtonsFor), answering as
// MessageBoxResult does: 1 OK / Yes, 7 No or the Cancel of OK-Cancel, 2 the Cancel of
// Yes-No-Cancel, 0 when closed otherwise or when no dialog program is installed.
int RunMessageBox(const char* text, const char* caption, int type);

// Opens a web address (any text containing "http") or a local path with the desktop's
// default program. True when the opener started and did not report a failure.
bool OpenWithDesktop(const char* urlOrPath);
