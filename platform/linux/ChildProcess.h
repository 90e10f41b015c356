#pragma once
// Runs another program the way the editor's desktop services need it: found on PATH,
// arguments passed as they are (no shell, so no quoting), stdin from /dev/null, and a
// missing program reported at once instead of waited for.
#include <string>
#include <vector>

struct ChildProcessResult
{
  bool started = false; // false: not installed or not executable
  bool exited = false;  // false while still running when the wait ended, or status unknown
  int exitCode = -1;    // valid when exited
  std::string output;   // stdout, when asked for
};

// Runs argv (argv[0] looked up on PATH) and waits until it exits, collecting its stdout
// when captureOutput is set. A host that ignores SIGCHLD leaves no exit status to read:
// then `exited` stays false and only the output tells what happened.
ChildProcessResult RunChildProcess(const std::vector<std::string>& argv, bool captureOutput);

// Starts argv and waits at most waitMs for it to exit. A program still running then is
// left to run; it is reaped by a later call, so that no zombie piles up.
ChildProcessResult StartChildProcess(const std::vector<std::string>& argv, int waitMs);
