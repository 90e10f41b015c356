#pragma once
// Starts a program for the JACK tests and benchmarks: argv[0] found on PATH, extra
// environment entries, stdout and stderr into logPath ("/dev/null" to drop them),
// and a SIGTERM when the starting process dies, so no server or app outlives it.
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// The child's id, or -1 when it could not be started.
inline pid_t SpawnChild(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                        const std::string& logPath)
{
  const pid_t pid = fork();
  if (pid != 0) return pid;
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  for (const std::string& e : env)
    putenv(const_cast<char*>(e.c_str()));
  if (std::freopen(logPath.c_str(), "w", stderr)) dup2(fileno(stderr), 1);
  std::vector<char*> args;
  for (const std::string& a : argv)
    args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  execvp(args[0], args.data());
  _exit(127);
}
