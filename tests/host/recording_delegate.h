// A delegate for the host's tests: records every call the host makes, with the time on the
// facade's clock, and lets a test act inside a call (set the rate, close the window...).
#pragma once
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "host/game.h"
#include "host/glfw2.h"

struct HostCall {
  char op;  // S start, s suspend, R resume, u update, r render, k key, m mouse
  int event, data;
  float x, y;
  double time;
};

class RecordingDelegate : public VgGameDelegate {
 public:
  std::vector<HostCall> calls;
  std::function<void()> onStart, onUpdate, onRender;

  void StartGame() override { Log('S', onStart); }
  void SuspendGame() override { Log('s'); }
  void ResumeGame() override { Log('R'); }
  void UpdateGame() override { Log('u', onUpdate); }
  void RenderGame() override { Log('r', onRender); }
  void KeyEvent(int event, int data) override { Log('k', nullptr, event, data); }
  void MouseEvent(int e, int d, float x, float y) override { Log('m', nullptr, e, d, x, y); }

  std::vector<std::pair<int, int>> Keys() const {  // (event, data) of each key event
    std::vector<std::pair<int, int>> out;
    for (const HostCall& c : calls)
      if (c.op == 'k') out.emplace_back(c.event, c.data);
    return out;
  }
  // The letters of the updates, renders, suspends and resumes, in order.
  std::string Trace() const {
    std::string s;
    for (const HostCall& c : calls)
      if (std::string("ursR").find(c.op) != std::string::npos) s += c.op;
    return s;
  }

 private:
  void Log(char op, const std::function<void()>& act = nullptr, int event = 0,
           int data = 0, float x = 0, float y = 0) {
    calls.push_back(HostCall{op, event, data, x, y, glfw2::glfwGetTime()});
    if (act) act();
  }
};
