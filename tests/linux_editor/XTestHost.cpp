// Before any X header: Xlib defines None as a macro, a name gtest uses.
#include <gtest/gtest.h>

#include "linux_editor/XTestHost.h"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace
{
std::atomic<int> gErrors{0};

int CountError(Display* display, XErrorEvent* error)
{
  char text[256];
  XGetErrorText(display, error->error_code, text, sizeof(text));
  std::fprintf(stderr, "X error: %s (request %d, resource 0x%lx)\n", text, error->request_code,
               error->resourceid);
  ++gErrors;
  return 0;
}

// A private Xvfb for the whole test program: the tests never touch a real desktop,
// and -displayfd lets the server pick a free display number.
class XvfbEnvironment : public ::testing::Environment
{
public:
  void SetUp() override
  {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    mPid = fork();
    ASSERT_GE(mPid, 0);
    if (mPid == 0)
    {
      close(fds[0]);
      // The server goes with the test program, even when that crashes, and keeps its
      // chatter out of the test's output.
      prctl(PR_SET_PDEATHSIG, SIGTERM);
      const int devNull = open("/dev/null", O_WRONLY);
      if (devNull >= 0)
      {
        dup2(devNull, STDOUT_FILENO);
        dup2(devNull, STDERR_FILENO);
      }
      const std::string fd = std::to_string(fds[1]);
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "640x480x24", "-nolisten",
             "tcp", "-noreset", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    char c = 0;
    while (poll(&p, 1, 10000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n')
      number += c;
    close(fds[0]);
    ASSERT_FALSE(number.empty()) << "Xvfb did not start";
    setenv("DISPLAY", (":" + number).c_str(), 1);
    XSetErrorHandler(CountError);
  }
  void TearDown() override
  {
    if (mPid > 0)
    {
      kill(mPid, SIGTERM);
      waitpid(mPid, nullptr, 0);
    }
  }

private:
  pid_t mPid = -1;
};

::testing::Environment* const gXvfb = ::testing::AddGlobalTestEnvironment(new XvfbEnvironment);
} // namespace

XTestHost::XTestHost(int w, int h)
{
  mDisplay = XOpenDisplay(nullptr);
  if (!mDisplay) return;
  XSetWindowAttributes swa{};
  swa.override_redirect = True;
  swa.background_pixel = BlackPixel(mDisplay, DefaultScreen(mDisplay));
  mParent = XCreateWindow(mDisplay, DefaultRootWindow(mDisplay), 0, 0, unsigned(w), unsigned(h), 0,
                          CopyFromParent, InputOutput, CopyFromParent,
                          CWOverrideRedirect | CWBackPixel, &swa);
  XMapWindow(mDisplay, mParent);
  XSync(mDisplay, False);
}

XTestHost::~XTestHost()
{
  if (!mDisplay) return;
  DestroyParent();
  XCloseDisplay(mDisplay);
}

void XTestHost::DestroyParent()
{
  if (!mParent) return;
  XDestroyWindow(mDisplay, mParent);
  XSync(mDisplay, False);
  mParent = 0;
}

void XTestHost::MoveTo(int x, int y)
{
  XTestFakeMotionEvent(mDisplay, DefaultScreen(mDisplay), x, y, CurrentTime);
  XSync(mDisplay, False);
}

void XTestHost::Button(int button, bool press)
{
  XTestFakeButtonEvent(mDisplay, unsigned(button), press, CurrentTime);
  XSync(mDisplay, False);
}

void XTestHost::Click(int x, int y, int button)
{
  MoveTo(x, y);
  Button(button, true);
  Button(button, false);
}

void XTestHost::Key(unsigned long keysym, bool press)
{
  XTestFakeKeyEvent(mDisplay, XKeysymToKeycode(mDisplay, keysym), press, CurrentTime);
  XSync(mDisplay, False);
}

void XTestHost::KeyTap(unsigned long keysym)
{
  Key(keysym, true);
  Key(keysym, false);
}

std::vector<uint32_t> XTestHost::Screenshot(Window window, int w, int h)
{
  std::vector<uint32_t> pixels;
  // Only a viewable window has pixels to read (the editor maps its window a moment
  // after it opens).
  XWindowAttributes wa;
  if (!XGetWindowAttributes(mDisplay, window, &wa) || wa.map_state != IsViewable) return pixels;
  XImage* image = XGetImage(mDisplay, window, 0, 0, unsigned(w), unsigned(h), AllPlanes, ZPixmap);
  if (!image) return pixels;
  pixels.reserve(size_t(w) * size_t(h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      pixels.push_back(uint32_t(XGetPixel(image, x, y)) & 0xFFFFFFu);
  XDestroyImage(image);
  return pixels;
}

int XTestHost::CountChildren(Window window)
{
  Window root = 0, parent = 0, *children = nullptr;
  unsigned int n = 0;
  if (!XQueryTree(mDisplay, window, &root, &parent, &children, &n)) return -1;
  if (children) XFree(children);
  return int(n);
}

bool XTestHost::PumpUntil(const std::function<void()>& idle, const std::function<bool()>& done)
{
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (std::chrono::steady_clock::now() < end)
  {
    idle();
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return false;
}

int XTestHost::Errors()
{
  return gErrors;
}
void XTestHost::ResetErrors()
{
  gErrors = 0;
}
