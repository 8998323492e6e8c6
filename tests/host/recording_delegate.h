// A host delegate for the host's tests: records every call the host makes, with the time on
// the facade's clock, and lets a test act inside a call (set the rate, close the window...).
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "host/game.h"
#include "host/glfw2.h"

struct HostCall {
  std::string op;  // "start", "suspend", "resume", "update", "render", "key", "mouse", ...
  int event = 0, data = 0;
  float x = 0, y = 0;
  double time = 0;
};

class RecordingDelegate : public VgGameDelegate {
 public:
  std::vector<HostCall> calls;
  std::function<void()> onStart, onUpdate, onRender;

  void StartGame() override { Act("start", onStart); }
  void SuspendGame() override { Log("suspend"); }
  void ResumeGame() override { Log("resume"); }
  void UpdateGame() override { Act("update", onUpdate); }
  void RenderGame() override { Act("render", onRender); }
  void KeyEvent(int event, int data) override { Log("key", event, data); }
  void MouseEvent(int event, int data, float x, float y) override {
    Log("mouse", event, data, x, y);
  }
  void TouchEvent(int event, int data, float x, float y) override {
    Log("touch", event, data, x, y);
  }
  void MotionEvent(int event, int data, float x, float y, float) override {
    Log("motion", event, data, x, y);
  }
  void DiscardGraphics() override { Log("discard"); }

  int Count(const std::string& op) const {
    int n = 0;
    for (const HostCall& c : calls) n += c.op == op;
    return n;
  }
  // The key events as (event, data) pairs, in order.
  std::vector<std::pair<int, int>> Keys() const {
    std::vector<std::pair<int, int>> out;
    for (const HostCall& c : calls)
      if (c.op == "key") out.emplace_back(c.event, c.data);
    return out;
  }
  // One letter per update (u), render (r), suspend (s) and resume (R), in order.
  std::string Trace() const {
    std::string s;
    for (const HostCall& c : calls) {
      if (c.op == "update") s += 'u';
      else if (c.op == "render") s += 'r';
      else if (c.op == "suspend") s += 's';
      else if (c.op == "resume") s += 'R';
    }
    return s;
  }

 private:
  void Log(const char* op, int event = 0, int data = 0, float x = 0, float y = 0) {
    calls.push_back(HostCall{op, event, data, x, y, glfw2::glfwGetTime()});
  }
  void Act(const char* op, const std::function<void()>& action) {
    Log(op);
    if (action) action();
  }
};
