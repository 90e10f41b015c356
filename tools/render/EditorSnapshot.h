#pragma once
// The host side of a plug-in's X11 editor, for pictures: a top-level window of the
// editor's size on the X display, the editor opened into it, idle pumped until the
// picture stops changing, then one capture of the window with the editor's child
// windows in it.
#include <string>

#include "raster/RAS_Bitmap.h"
#include "tools/render/VstHost.h"

struct EditorSnapshotOptions
{
  // The display to open; empty means $DISPLAY.
  std::string display;
  // How long the editor may take to settle before the snapshot fails.
  double timeLimitSeconds = 10.0;
  // Editor idle calls per second while waiting.
  double idleRate = 60.0;
};

// The window size used when the plug-in reports no editor rectangle.
constexpr int kDefaultEditorWidth = 224;
constexpr int kDefaultEditorHeight = 333;

// Opens the editor of a started plug-in, waits until two consecutive captures of its
// window agree (a uniform picture counts only after a second, when the editor has had
// time to draw), copies the capture into out (resized to the window, alpha 255) and
// closes the editor again. Fails with a message when the plug-in has no editor, no
// display can be opened, the editor does not open or does not settle in time.
bool SnapshotEditor(VstPlugin& plugin, const EditorSnapshotOptions& options, RAS_MemBitmap* out,
                    std::string* error);
