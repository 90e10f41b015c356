#pragma once
// The host side of the editor tests: a private Xvfb server for the test program, a
// parent window like the one a DAW hands to effEditOpen, synthetic input through
// XTest, screenshots, and an X error handler that counts every error.
#include <X11/Xlib.h>

#include <cstdint>
#include <functional>
#include <vector>

class XTestHost
{
public:
  // Connects to the test program's Xvfb and maps a parent window of w x h at the top
  // left of the screen (root and window coordinates are then the same).
  XTestHost(int w, int h);
  ~XTestHost();
  XTestHost(const XTestHost&) = delete;
  XTestHost& operator=(const XTestHost&) = delete;

  Display* display() const { return mDisplay; }
  Window parent() const { return mParent; }
  void* parentHandle() const { return reinterpret_cast<void*>(uintptr_t(mParent)); }
  void DestroyParent();

  // Synthetic input at root coordinates, processed by the server before they return.
  void MoveTo(int x, int y);
  void Button(int button, bool press);
  void Click(int x, int y, int button = 1);
  void Key(unsigned long keysym, bool press);
  void KeyTap(unsigned long keysym);

  // The window's pixels as 0xRRGGBB words, row by row.
  std::vector<uint32_t> Screenshot(Window window, int w, int h);
  // The direct children of a window.
  int CountChildren(Window window);

  // Calls idle until done() holds or two seconds pass; true when it held.
  static bool PumpUntil(const std::function<void()>& idle, const std::function<bool()>& done);

  // X errors seen by any connection of this process since the last reset.
  static int Errors();
  static void ResetErrors();

private:
  Display* mDisplay = nullptr;
  Window mParent = 0;
};
