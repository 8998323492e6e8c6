// The desktop main loop: polls events, sleeps while ahead of the update schedule and hands
// due updates to VgGlfwGame::RunDueUpdates, until the window closes. Start-up calls Run();
// a page runs the same schedule from the browser's frame callback (host/web/web_loop.cpp).
#include "host/glfw2.h"
#include "host/glfw_game.h"

using namespace glfw2;

void VgGlfwGame::CountNewContext() { ++glfwGraphicsSeq; }

void VgGlfwGame::Run() {
  SetGlfwWindow(640, 480, 8, 8, 8, 0, 0, 0, false);
  StartGame();
  RenderGame();

  for (;;) {
    glfwPollEvents();
    if (!glfwGetWindowParam(GLFW_OPENED)) return;

    FollowWindowState(glfwGetWindowParam(GLFW_ICONIFIED) != 0,
                      glfwGetWindowParam(GLFW_ACTIVE) != 0);

    if (!_updateRate || _suspended) {
      if (!_iconified) RenderGame();
      glfwWaitEvents();
      continue;
    }

    double delay = _nextUpdate - glfwGetTime();
    if (delay > 0) {
      glfwSleep(delay);
      continue;
    }
    RunDueUpdates();
  }
}
