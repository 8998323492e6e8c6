// The page's touches as the game's fingers (see touch_fingers.h). The page's frame drains
// the queue once per display frame; the browser fills it between frames.
#include "host/web/touch_fingers.h"

int VgTouchFingers::SlotOf(double id) const {
  for (int f = 0; f < kFingers; ++f) {
    if (_taken[f] && _id[f] == id) return f;
  }
  return -1;
}

void VgTouchFingers::Push(int kind, int finger, float x, float y) {
  // Moves of one finger that no update has yet read only need the latest position: a finger
  // dragged while the game is paused or slow never piles up its path.
  if (kind == kMove) {
    for (std::size_t i = _queue.size(); i-- > 0;) {
      Event& e = _queue[i];
      if (e.finger != finger) continue;
      if (e.kind == kMove) {
        e.x = x;
        e.y = y;
        return;
      }
      break;
    }
  }
  _queue.push_back(Event{kind, finger, x, y});
}

void VgTouchFingers::Begin(double id, float x, float y) {
  // A browser that lost a touch's end (or reuses an identifier) frees the old slot first.
  if (SlotOf(id) >= 0) End(id, x, y);
  for (int f = 0; f < kFingers; ++f) {
    if (_taken[f]) continue;
    _taken[f] = true;
    _id[f] = id;
    Push(kDown, f, x, y);
    return;
  }
}

void VgTouchFingers::Move(double id, float x, float y) {
  int f = SlotOf(id);
  if (f >= 0) Push(kMove, f, x, y);
}

void VgTouchFingers::End(double id, float x, float y) {
  int f = SlotOf(id);
  if (f < 0) return;
  _taken[f] = false;
  // The last position goes with the up, so the finger is where it was lifted.
  Push(kMove, f, x, y);
  Push(kUp, f, x, y);
}

void VgTouchFingers::UpdateRan() {
  for (bool& unseen : _unseen) unseen = false;
}
