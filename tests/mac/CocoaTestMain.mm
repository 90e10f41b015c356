// Runs the Cocoa tests against an X server of their own, on a display number no other
// process uses (a taken one makes Xvfb give up, and another is tried); it goes when the
// tests end.
#import <Cocoa/Cocoa.h>

#include <gtest/gtest.h>

#include <csignal>
#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/lsan_interface.h>
#endif
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
pid_t gXvfb = -1;

// Starts Xvfb on display :number; true once it reports that it is ready.
bool StartXvfbOn(int number)
{
  int fds[2];
  if (pipe(fds) != 0) return false;
  gXvfb = fork();
  if (gXvfb < 0) return false;
  if (gXvfb == 0)
  {
    close(fds[0]);
    prctl(PR_SET_PDEATHSIG, SIGTERM); // never outlive the tests, even when they are killed
    const std::string display = ":" + std::to_string(number), fd = std::to_string(fds[1]);
    // The server's own chatter is not the tests'.
    if (FILE* null = std::fopen("/dev/null", "w")) dup2(fileno(null), 2);
    execlp("Xvfb", "Xvfb", display.c_str(), "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24",
           "-nolisten", "tcp", (char*)nullptr);
    _exit(127);
  }
  close(fds[1]);
  std::string reported;
  char c;
  while (read(fds[0], &c, 1) == 1 && c != '\n')
    reported += c;
  close(fds[0]);
  if (reported.empty())
  {
    waitpid(gXvfb, nullptr, 0); // the display was taken: the server gave up
    gXvfb = -1;
    return false;
  }
  setenv("DISPLAY", (":" + reported).c_str(), 1);
  return true;
}

// A display number of its own, drawn from a range that desktop sessions and the usual
// helper scripts leave alone.
bool StartXvfb()
{
  srand(unsigned(getpid()) * 2654435761u);
  for (int attempt = 0; attempt < 20; ++attempt)
    if (StartXvfbOn(300 + rand() % 600)) return true;
  return false;
}

void StopXvfb()
{
  if (gXvfb <= 0) return;
  kill(gXvfb, SIGTERM);
  waitpid(gXvfb, nullptr, 0);
  gXvfb = -1;
}
} // namespace

int main(int argc, char** argv)
{
  testing::InitGoogleTest(&argc, argv);
  if (testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
  if (!StartXvfb())
  {
    std::fprintf(stderr, "cocoa_tests: cannot start Xvfb\n");
    StopXvfb();
    return 1;
  }
#ifdef __SANITIZE_ADDRESS__
  // GNUstep's start-up keeps its allocations for the whole process in places the leak
  // checker does not see; what the tests themselves leave behind is still checked.
  __lsan_disable();
#endif
  NSAutoreleasePool* pool = [[NSAutoreleasePool alloc] init];
  [NSApplication sharedApplication];
#ifdef __SANITIZE_ADDRESS__
  __lsan_enable();
#endif
  const int result = RUN_ALL_TESTS();
  [pool release];
  StopXvfb();
  return result;
}

#include "CocoaTestUtil.h"
#include "platform/mac/MacCompat.h"

@implementation DelayedAction_test
+ (void)after:(double)seconds run:(void (*)(void*))action with:(void*)arg
{
  [self after:seconds run:action with:arg modal:YES];
}
+ (void)after:(double)seconds run:(void (*)(void*))action with:(void*)arg modal:(BOOL)modal
{
  DelayedAction_test* a = [[self alloc] init];
  a->mAction = action;
  a->mArg = arg;
  a->mWaitForModal = modal;
  NSTimer* timer = [NSTimer timerWithTimeInterval:seconds
                                           target:a
                                         selector:@selector(fire:)
                                         userInfo:nil
                                          repeats:NO];
  AddTimerInCommonModes(timer);
  [a release];
}
- (void)fire:(NSTimer*)timer
{
  (void)timer;
  // Waits for the dialog's modal session, which may start after the first tick.
  if (mWaitForModal && ![NSApp modalWindow])
    [DelayedAction_test after:0.05 run:mAction with:mArg];
  else
    mAction(mArg);
}
@end
