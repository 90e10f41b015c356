#pragma once
// An X server for widget tests: the one DISPLAY names, or a private Xvfb started for the
// test program and stopped at its end. Any X error fails the running test.
#include "platform/linux/X11Forward.h"

// Opens a new connection to the test server; null (and a test failure) when none runs.
Display* OpenTestDisplay();

// Sends a key press and release, or a button press and release at root (x, y), through
// XTest on `driver`, and waits until the server has them.
void SendKey(Display* driver, unsigned long keysym);
void ClickAt(Display* driver, int x, int y, unsigned button = 1);
void MoveTo(Display* driver, int x, int y);
