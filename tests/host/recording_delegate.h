// A host delegate for the host's tests: records every call the host makes, with the time on
// the facade's clock, and lets a test act inside a call (set the rate, close the window...).
#pragma once
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

  void StartGame() override { Log("start"), Do(onStart); }
  void SuspendGame() override { Log("suspend"); }
  void ResumeGame() override { Log("resume"); }
  void UpdateGame() override { Log("update"), Do(onUpdate); }
  void RenderGame() override { Log("render"), Do(onRender); }
  void KeyEvent(int event, int data) override { Log("key", event, data); }
  void MouseEvent(int e, int d, float x, float y) override { Log("mouse", e, d, x, y); }
  void TouchEvent(int e, int d, float x, float y) override { Log("touch", e, d, x, y); }
  void MotionEvent(int e, int d, float x, float y, float) override { Log("motion", e, d, x, y); }
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
  void Log(const char* op, int event = 0, int data = 0, float x = 0, float y = 0) {
    calls.push_back(HostCall{op, event, data, x, y, glfw2::glfwGetTime()});
  }
  static void Do(const std::function<void()>& act) {
    if (act) act();
  }
};
