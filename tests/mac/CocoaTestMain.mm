// Runs the Cocoa tests against an X server of their own: Xvfb picks a free display itself
// (-displayfd), so parallel test processes never collide, and it goes when the tests end.
#import <Cocoa/Cocoa.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
pid_t gXvfb = -1;

bool StartXvfb()
{
  int fds[2];
  if (pipe(fds) != 0) return false;
  gXvfb = fork();
  if (gXvfb < 0) return false;
  if (gXvfb == 0)
  {
    close(fds[0]);
    prctl(PR_SET_PDEATHSIG, SIGTERM); // never outlive the tests, even when they are killed
    const std::string fd = std::to_string(fds[1]);
    // The server's own chatter is not the tests'.
    if (FILE* null = std::fopen("/dev/null", "w")) dup2(fileno(null), 2);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten",
           "tcp", (char*)nullptr);
    _exit(127);
  }
  close(fds[1]);
  std::string display;
  char c;
  while (read(fds[0], &c, 1) == 1 && c != '\n')
    display += c;
  close(fds[0]);
  if (display.empty()) return false;
  setenv("DISPLAY", (":" + display).c_str(), 1);
  return true;
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
  NSAutoreleasePool* pool = [[NSAutoreleasePool alloc] init];
  [NSApplication sharedApplication];
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
