#pragma once
// The app's own top-level X11 window, titled "Quorvane", that the editor opens
// inside as it opens inside a host's window. Everything here runs on the main
// thread, which also gives the editor its idle turns.
#include <string>

class IEffectBase;

class TopLevelWindow
{
public:
  TopLevelWindow() = default;
  ~TopLevelWindow();
  TopLevelWindow(const TopLevelWindow&) = delete;
  TopLevelWindow& operator=(const TopLevelWindow&) = delete;

  // Opens the window at the editor's size and the editor inside it. False with
  // error set when there is no display or the effect has no editor.
  bool Open(IEffectBase* effect, std::string* error);
  // Handles the window's events and gives the editor its turn. False once the user
  // closed the window (or the window system took it away).
  bool Pump();
  // Closes the editor, then the window; safe to call twice.
  void Close();

private:
  IEffectBase* mEffect = nullptr;
  struct _XDisplay* mDisplay = nullptr;
  unsigned long mWindow = 0;
  unsigned long mDeleteAtom = 0;
  bool mEditorOpen = false;
};
