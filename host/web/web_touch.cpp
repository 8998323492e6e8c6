// The page's touches: the browser side (host/web/page_touch.js) calls the exports below for
// every touch on the canvas, and the page's frame hands them to the game as its touch
// events through the host's entry point, before that frame's updates.
#include "host/web/web_touch.h"

#include <emscripten.h>

#include "host/game.h"
#include "host/web/touch_fingers.h"

namespace {
VgTouchFingers fingers;
}  // namespace

extern "C" {
EMSCRIPTEN_KEEPALIVE void vgPageTouchBegin(double id, float x, float y) {
  fingers.Begin(id, x, y);
}
EMSCRIPTEN_KEEPALIVE void vgPageTouchMove(double id, float x, float y) { fingers.Move(id, x, y); }
EMSCRIPTEN_KEEPALIVE void vgPageTouchEnd(double id, float x, float y) { fingers.End(id, x, y); }
}

void VgPageDeliverTouches(VgGame* game, bool updating) {
  fingers.Deliver(updating, [game](const VgTouchFingers::Event& e) {
    if (game) game->TouchEvent(e.kind, e.finger, e.x, e.y);
  });
}

void VgPageTouchesSeen() { fingers.UpdateRan(); }
