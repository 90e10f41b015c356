#include "platform/linux/ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

namespace
{
// Programs StartChildProcess left running; any thread that starts one may reap them.
std::mutex gLeftRunningLock;
std::vector<pid_t> gLeftRunning;

void ReapLeftRunning()
{
  std::lock_guard<std::mutex> lock(gLeftRunningLock);
  for (size_t i = 0; i < gLeftRunning.size();)
  {
    const pid_t r = waitpid(gLeftRunning[i], nullptr, WNOHANG);
    if (r == 0)
      ++i;
    else // exited and reaped, or no longer ours to wait for
      gLeftRunning.erase(gLeftRunning.begin() + long(i));
  }
}

void LeaveRunning(pid_t pid)
{
  std::lock_guard<std::mutex> lock(gLeftRunningLock);
  gLeftRunning.push_back(pid);
}

// Starts the program with stdout on `stdoutFd` (-1: /dev/null). The child gets the
// default signal dispositions and an empty mask whatever the host set for itself.
bool Spawn(const std::vector<std::string>& argv, int stdoutFd, pid_t* pid)
{
  if (argv.empty() || argv[0].empty()) return false;
  std::vector<char*> args;
  for (const std::string& a : argv)
    args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attr;
  posix_spawn_file_actions_init(&actions);
  posix_spawnattr_init(&attr);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (stdoutFd >= 0)
    posix_spawn_file_actions_adddup2(&actions, stdoutFd, 1);
  else
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  sigaddset(&defaults, SIGCHLD);
  sigaddset(&defaults, SIGINT);
  sigaddset(&defaults, SIGTERM);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  const int err = posix_spawnp(pid, args[0], &actions, &attr, args.data(), environ);
  posix_spawnattr_destroy(&attr);
  posix_spawn_file_actions_destroy(&actions);
  return err == 0;
}

enum class WaitOutcome
{
  Exited,
  Running,
  Unknown // the host's SIGCHLD setting already discarded the status
};

WaitOutcome WaitExit(pid_t pid, int options, ChildProcessResult* result)
{
  int status = 0;
  pid_t r;
  do
    r = waitpid(pid, &status, options);
  while (r < 0 && errno == EINTR);
  if (r == 0) return WaitOutcome::Running;
  if (r != pid) return WaitOutcome::Unknown;
  result->exited = true;
  result->exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return WaitOutcome::Exited;
}
} // namespace

ChildProcessResult RunChildProcess(const std::vector<std::string>& argv, bool captureOutput)
{
  ReapLeftRunning();
  ChildProcessResult result;
  int pipeFds[2] = {-1, -1};
  if (captureOutput && pipe2(pipeFds, O_CLOEXEC) != 0) return result;
  pid_t pid = 0;
  result.started = Spawn(argv, pipeFds[1], &pid);
  if (pipeFds[1] >= 0) close(pipeFds[1]);
  if (result.started && captureOutput)
  {
    char buffer[4096];
    for (;;)
    {
      const ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
      if (n > 0)
        result.output.append(buffer, size_t(n));
      else if (n == 0 || errno != EINTR)
        break;
    }
  }
  if (pipeFds[0] >= 0) close(pipeFds[0]);
  if (result.started) WaitExit(pid, 0, &result);
  return result;
}

ChildProcessResult StartChildProcess(const std::vector<std::string>& argv, int waitMs)
{
  ReapLeftRunning();
  ChildProcessResult result;
  pid_t pid = 0;
  result.started = Spawn(argv, -1, &pid);
  if (!result.started) return result;
  const timespec step = {0, 10 * 1000 * 1000};
  for (int waited = 0;; waited += 10)
  {
    if (WaitExit(pid, WNOHANG, &result) != WaitOutcome::Running) return result;
    if (waited >= waitMs) break;
    nanosleep(&step, nullptr);
  }
  LeaveRunning(pid);
  return result;
}
