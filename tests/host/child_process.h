// Runs a piece of a test in a forked child and collects its exit status and standard
// output, for paths that end the process (uncaught exceptions, start-up failures).
#pragma once
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>

struct ChildResult {
  int status = -1;  // exit status 0..255, or -1 when the child did not exit normally
  std::string out;  // everything it wrote to standard output
};

inline ChildResult RunInChild(const std::function<void()>& body) {
  ChildResult result;
  int fds[2];
  if (pipe(fds) != 0) return result;
  std::fflush(stdout);
  pid_t pid = fork();
  if (pid == 0) {
    dup2(fds[1], 1), close(fds[0]), close(fds[1]);
    body();
    std::fflush(stdout);
    _exit(0);
  }
  close(fds[1]);
  char block[4096];
  for (ssize_t n; (n = read(fds[0], block, sizeof block)) > 0;) result.out.append(block, n);
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
  return result;
}
