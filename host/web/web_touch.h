// The page's touches, handed to the game by the page's frame (host/web/web_loop.cpp); the
// browser side (host/web/page_touch.js) feeds them in through web_touch.cpp's exports.
#pragma once

class VgGame;

// Gives the game the touches that came since the last call (events 7, 8 and 9). With
// `updating`, a finger's up waits until an update has seen its down.
void VgPageDeliverTouches(VgGame* game, bool updating);
// Called after the page's frame has run updates.
void VgPageTouchesSeen();
