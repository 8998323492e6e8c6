// A page's main loop: the browser's frame callback runs one pass of the desktop's fixed
// schedule (due updates, at most four, then one render), and the page's visibility stands in
// for the window's focus (so does a touch screen held upright), and the frame hands the
// page's touches to the game first. Start-up calls Run(), which hands the loop to the browser.
#include <emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <cmath>

#include "host/glfw2.h"
#include "host/glfw_game.h"
#include "host/web/web_loop.h"
#include "host/web/web_touch.h"

using namespace glfw2;

namespace {

// Display frames rarely fall exactly on the update schedule; an update due within this much
// runs in the frame before rather than the one after, so a 60 Hz display shows one update
// per frame instead of alternately none and two. The schedule itself never shifts.
constexpr double kEarly = 0.004;

// Prefetched tunes decode after a frame's own work until the frame has used this much of
// the page clock (milliseconds): well under a 60 Hz frame, as the last piece of work may
// overrun it by a few milliseconds (opening a tune, making its sound buffer). A frame whose
// own work took longer still decodes a little, so the tunes are ready in the end on a slow
// machine.
constexpr double kFrameBusy = 6.0;
constexpr double kLeastSlice = 2.0;

void Pass(void* game) { VgGlfwGame::PlatformLoop::PagePass(*static_cast<VgGlfwGame*>(game)); }

// The browser stops the frame callback for a hidden tab, so hiding is followed at once.
EM_BOOL OnVisibility(int, const EmscriptenVisibilityChangeEvent*, void* game) {
  VgGlfwGame::PlatformLoop::PageVisibilityChanged(*static_cast<VgGlfwGame*>(game));
  return EM_FALSE;
}

}  // namespace

void VgGlfwGame::Run() {
  SetGlfwWindow(640, 480, 8, 8, 8, 0, 0, 0, false);
  StartGame();
  RenderGame();
  emscripten_set_visibilitychange_callback(this, EM_FALSE, OnVisibility);
  // Never returns: the browser calls Pass from here on.
  emscripten_set_main_loop_arg(Pass, this, 0, EM_TRUE);
}

// A page keeps its one canvas and GL context, so textures made earlier stay valid.
void VgGlfwGame::CountNewContext() {
  if (glfwGraphicsSeq == 0) ++glfwGraphicsSeq;
}

void VgGlfwGame::PlatformLoop::PageVisibilityChanged(VgGlfwGame& game) {
  // A touch screen held upright covers the game with a picture asking to turn it
  // (host/web/page_touch.js): the game is away until it is turned back.
  bool turnAsked = EM_ASM_INT({ return Module.vgTurnAsked ? 1 : 0; }) != 0;
  game.FollowWindowState(turnAsked || glfwGetWindowParam(GLFW_ICONIFIED) != 0,
                         !turnAsked && glfwGetWindowParam(GLFW_ACTIVE) != 0);
}

void VgGlfwGame::PlatformLoop::PagePass(VgGlfwGame& game) {
  double start = emscripten_get_now();
  glfwPollEvents();
  PageVisibilityChanged(game);
  bool updating = game._updateRate && !game._suspended;
  VgPageDeliverTouches(VgGame::_game, updating);
  if (!updating) {
    if (!game._iconified) game.RenderGame();
  } else if (game._nextUpdate - glfwGetTime() <= kEarly) {
    double due = game._nextUpdate;
    game.RunDueUpdates();
    VgPageTouchesSeen();
    // How many updates this frame ran, for whoever measures the page's frames: a display
    // slower than 60 Hz runs several per frame. A dropped backlog counts as the four run.
    long updates = std::lround((game._nextUpdate - due) / game._updatePeriod);
    EM_ASM({ Module.vgPassUpdates = $0; }, updates >= 1 && updates <= 4 ? updates : 4);
  }
  PageDecodeSlice(game, std::max(start + kFrameBusy, emscripten_get_now() + kLeastSlice));
}
