// The page's own steps of the main loop, which only the page's files see: one pass per
// display frame, the follow-up of the tab being hidden or shown (host/web/web_loop.cpp), and
// the tune decoding that fills what a frame leaves of its time (host/web/web_prefetch.cpp).
#pragma once
#include "host/glfw_game.h"

struct VgGlfwGame::PlatformLoop {
  static void PagePass(VgGlfwGame& game);
  static void PageVisibilityChanged(VgGlfwGame& game);
  // Decodes prefetched tunes and copies them into the page's sound buffers until the page
  // clock (emscripten_get_now) reaches `until`; at least one step per call while any is left.
  static void PageDecodeSlice(VgGlfwGame& game, double until);
};
