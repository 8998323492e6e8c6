// The page's touches as the game's fingers: each browser touch holds the lowest free finger
// slot for its life, and its down, move and up (a cancel is an up) wait in order until the
// page's frame hands them to the game. Fed by host/web/web_touch.cpp; plain C++, so the
// desktop's host tests check it too.
#pragma once
#include <cstddef>
#include <vector>

class VgTouchFingers {
 public:
  // The game's touch events (finger down, up, move) and its number of fingers.
  enum { kDown = 7, kUp = 8, kMove = 9, kFingers = 32 };

  struct Event {
    int kind;
    int finger;
    float x, y;
  };

  // From the browser, by its touch identifier; positions in canvas pixels. A touch that
  // finds all slots taken, and its later events, are dropped.
  void Begin(double id, float x, float y);
  void Move(double id, float x, float y);
  void End(double id, float x, float y);

  // Hands the waiting events to the game in order. With `holdUnseenUps`, it stops before the
  // up of a finger whose down no update has seen yet, so a tap shorter than one update still
  // reads as held in one; that up and everything after it wait for the next call. Without
  // (no updates are running), everything goes.
  template <typename Fn>
  void Deliver(bool holdUnseenUps, Fn&& deliver) {
    std::size_t i = 0;
    for (; i < _queue.size(); ++i) {
      const Event& e = _queue[i];
      if (holdUnseenUps && e.kind == kUp && _unseen[e.finger]) break;
      if (e.kind == kDown) _unseen[e.finger] = true;
      if (e.kind == kUp) _unseen[e.finger] = false;
      deliver(e);
    }
    _queue.erase(_queue.begin(), _queue.begin() + static_cast<long>(i));
  }

  // An update has run: every finger handed down so far has been seen.
  void UpdateRan();

  // Events waiting (for tests).
  std::size_t Waiting() const { return _queue.size(); }

 private:
  int SlotOf(double id) const;
  void Push(int kind, int finger, float x, float y);

  bool _taken[kFingers] = {};
  double _id[kFingers] = {};
  bool _unseen[kFingers] = {};
  std::vector<Event> _queue;
};
