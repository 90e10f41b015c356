#include "XServerFixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

extern char** environ;

namespace
{
int OnXError(Display* display, XErrorEvent* error)
{
  char text[256];
  XGetErrorText(display, error->error_code, text, sizeof text);
  ADD_FAILURE() << "X error: " << text << " (request " << int(error->request_code) << ")";
  return 0;
}

class XServer : public ::testing::Environment
{
public:
  void SetUp() override
  {
    XSetErrorHandler(OnXError);
    if (const char* d = std::getenv("DISPLAY"); d && *d)
    {
      mName = d;
      return;
    }
    // The server picks a free display itself and tells its number through a pipe, so
    // test programs running side by side never race for one.
    int fds[2];
    if (pipe(fds) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
    const char* argv[] = {"Xvfb",       "-displayfd", "3",   "-screen", "0",
                          "800x600x24", "-nolisten",  "tcp", nullptr};
    const int failed =
        posix_spawnp(&mServer, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    std::string number;
    char c;
    while (!failed && read(fds[0], &c, 1) == 1 && c != '\n')
      number += c;
    close(fds[0]);
    if (failed) mServer = 0;
    if (!number.empty()) mName = ":" + number;
  }
  void TearDown() override { Stop(); }
  static const char* Name() { return mName.empty() ? nullptr : mName.c_str(); }

private:
  void Stop()
  {
    if (mServer <= 0) return;
    kill(mServer, SIGTERM);
    waitpid(mServer, nullptr, 0);
    mServer = 0;
  }
  pid_t mServer = 0;
  static std::string mName;
};
std::string XServer::mName;

::testing::Environment* const gServer = ::testing::AddGlobalTestEnvironment(new XServer);
} // namespace

Display* OpenTestDisplay()
{
  Display* d = XServer::Name() ? XOpenDisplay(XServer::Name()) : nullptr;
  EXPECT_NE(nullptr, d) << "no X server for the test";
  return d;
}

void SendKey(Display* driver, unsigned long keysym)
{
  const KeyCode code = XKeysymToKeycode(driver, KeySym(keysym));
  ASSERT_NE(0, code) << "no key for keysym " << keysym;
  XTestFakeKeyEvent(driver, code, True, 0);
  XTestFakeKeyEvent(driver, code, False, 0);
  XSync(driver, False);
}

void MoveTo(Display* driver, int x, int y)
{
  XTestFakeMotionEvent(driver, DefaultScreen(driver), x, y, 0);
  XSync(driver, False);
}

void ClickAt(Display* driver, int x, int y, unsigned button)
{
  MoveTo(driver, x, y);
  XTestFakeButtonEvent(driver, button, True, 0);
  XTestFakeButtonEvent(driver, button, False, 0);
  XSync(driver, False);
}
