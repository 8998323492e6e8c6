// Shared by the host's tests: a delegate that records every call the host makes, with the
// time on the facade's clock, and lets a test act inside a call (set the rate, close the
// window...); and a way to run the paths that end the process in a forked child.
#pragma once
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "host/game.h"
#include "host/glfw2.h"

struct HostCall {
  std::string op;  // "start", "suspend", "resume", "update", "render", "key", "mouse", ...
  int event, data;
  float x, y;
  double time;
};

class RecordingDelegate : public VgGameDelegate {
 public:
  std::vector<HostCall> calls;
  std::function<void()> onStart, onUpdate, onRender;

  void StartGame() override { Log("start", onStart); }
  void SuspendGame() override { Log("suspend"); }
  void ResumeGame() override { Log("resume"); }
  void UpdateGame() override { Log("update", onUpdate); }
  void RenderGame() override { Log("render", onRender); }
  void KeyEvent(int event, int data) override { Log("key", nullptr, event, data); }
  void MouseEvent(int e, int d, float x, float y) override { Log("mouse", nullptr, e, d, x, y); }
  void DiscardGraphics() override { Log("discard"); }

  int Count(const std::string& op) const {
    int n = 0;
    for (const HostCall& c : calls) n += c.op == op;
    return n;
  }
  std::vector<std::pair<int, int>> Keys() const {  // (event, data) of each key event
    std::vector<std::pair<int, int>> out;
    for (const HostCall& c : calls)
      if (c.op == "key") out.emplace_back(c.event, c.data);
    return out;
  }
  // One letter per update (u), render (r), suspend (s) and resume (R), in order.
  std::string Trace() const {
    const char* ops[] = {"update", "render", "suspend", "resume"};
    std::string s;
    for (const HostCall& c : calls)
      for (int i = 0; i < 4; ++i)
        if (c.op == ops[i]) s += "ursR"[i];
    return s;
  }

 private:
  void Log(const char* op, const std::function<void()>& act = nullptr, int event = 0,
           int data = 0, float x = 0, float y = 0) {
    calls.push_back(HostCall{op, event, data, x, y, glfw2::glfwGetTime()});
    if (act) act();
  }
};

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
