// The collector's lists, counters, block cache, allocation, marking steps and sweep.
// Called by gc_object's operator new/delete, by mark() overrides and by the host's
// once-per-entry-point collector step.
#include "runtime/gc.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "runtime/fatal.h"

int gc_markbit = 0;
int gc_new_bytes = 0;
int gc_alloced_bytes = 0;
int gc_max_alloced_bytes = 0;
int gc_marked_bytes = 0;
int gc_free_bytes = 0;
long long gc_external_bytes = 0;

// Zero-initialised before any constructor runs; gc_init links them to themselves, and the
// first allocation does so too if something allocates during static initialisation.
gc_object gc_unmarked_list;
gc_object gc_queued_list;
gc_object gc_marked_list;
gc_object gc_free_list;

gc_fresh_block gc_fresh;

// The header is written into raw blocks before the constructor runs and read from blocks
// whose object is already destroyed; that is the design, so the sanitizer's check that a
// member access hits a live object of the class is off for these two functions.
#define GC_RAW_HEADER __attribute__((no_sanitize("vptr")))

namespace {
gc_object* gc_cache[gc_cache_slots];

struct Root {
  const void* slot;
  gc_root_loader load;
};
std::vector<Root>& roots() {
  static std::vector<Root> list;
  return list;
}

void make_empty(gc_object& list) {
  list.succ = list.pred = &list;
  list.flags = 3;
}

void append_list(gc_object& from, gc_object& to) {
  if (from.succ == &from) return;
  from.succ->pred = to.pred;
  to.pred->succ = from.succ;
  from.pred->succ = &to;
  to.pred = from.pred;
  make_empty(from);
}

// Destroys garbage from the head of the free list until its bytes are down to target.
GC_RAW_HEADER void destroy_garbage(int target) {
  while (gc_free_bytes > target) {
    gc_object* p = gc_free_list.succ;
    if (p == &gc_free_list) {
      gc_free_bytes = 0;
      break;
    }
    p->pred->succ = p->succ;
    p->succ->pred = p->pred;
    delete p;
  }
}

void mark_queued() {
  gc_object* p = gc_queued_list.succ;
  gc_move_to_tail(p, gc_marked_list);
  gc_marked_bytes += p->gc_size();
  p->mark();
}
}  // namespace

void gc_init() {
  make_empty(gc_unmarked_list);
  make_empty(gc_queued_list);
  make_empty(gc_marked_list);
  make_empty(gc_free_list);
}

GC_RAW_HEADER void* gc_object_alloc(int size) {
  if (!gc_unmarked_list.succ) gc_init();
  size = (size + 7) & ~7;
  gc_new_bytes += size;

  // Destroy a request's worth of old garbage, so destructors are spread over allocations.
  destroy_garbage(gc_free_bytes > size ? gc_free_bytes - size : 0);

  gc_object* p;
  if (size < gc_cache_limit && gc_cache[size >> 3]) {
    p = gc_cache[size >> 3];
    gc_cache[size >> 3] = p->succ;
  } else {
    p = static_cast<gc_object*>(std::malloc(size));
    // The fatal path itself allocates nothing, so it still works when the heap is exhausted.
    if (!p) dbg_error("Out of memory");
  }
  p->flags = gc_markbit | size;
  p->pred = gc_unmarked_list.pred;
  p->succ = &gc_unmarked_list;
  gc_unmarked_list.pred->succ = p;
  gc_unmarked_list.pred = p;
  gc_fresh = {p, p->pred, p->flags};

  gc_alloced_bytes += size;
  if (gc_alloced_bytes > gc_max_alloced_bytes) gc_max_alloced_bytes = gc_alloced_bytes;
  return p;
}

void* gc_object::operator new(size_t size) { return gc_object_alloc(static_cast<int>(size)); }

// Reached only from the deleting destructor, after the object's own destructor has run. The
// destructors leave the flags word alone, so the size is still there to read.
GC_RAW_HEADER void gc_object::operator delete(void* block) {
  gc_object* p = static_cast<gc_object*>(block);
  int size = p->gc_size();
  gc_free_bytes -= size;
  if (size < gc_cache_limit) {
    p->succ = gc_cache[size >> 3];
    gc_cache[size >> 3] = p;
  } else {
    std::free(p);
  }
}

void gc_mark_now(gc_object* p) {
  if (p && (p->flags & 3) == gc_markbit) {
    p->flags ^= 1;
    gc_marked_bytes += p->gc_size();
    gc_move_to_tail(p, gc_marked_list);
    p->mark();
  }
}

void gc_add_root_slot(const void* slot, gc_root_loader load) { roots().push_back({slot, load}); }
void gc_add_root(gc_object* const* slot) { gc_root(*slot); }
void gc_add_interface_root(gc_interface* const* slot) { gc_root(*slot); }
void gc_clear_roots() { roots().clear(); }

void gc_mark() {
  for (const Root& r : roots()) gc_queue(r.load(r.slot));
}

int gc_step_target(int new_bytes, int alloced_bytes) {
  return new_bytes + static_cast<int>(static_cast<int64_t>(alloced_bytes - new_bytes) *
                                      new_bytes / gc_step_bytes);
}

void gc_external_alloc(int bytes) {
  if (bytes <= 0) return;
  gc_external_bytes += bytes;
  // Enough to end the cycle at the next step, and never past what the counter can hold.
  gc_new_bytes = bytes > gc_step_bytes - gc_new_bytes ? std::max(gc_new_bytes, gc_step_bytes + 1)
                                                      : gc_new_bytes + bytes;
}

void gc_external_free(int bytes) {
  if (bytes > 0) gc_external_bytes -= bytes;
}

void gc_collect() {
  if (!gc_unmarked_list.succ) gc_init();
  if (gc_external_bytes > 0) {
    destroy_garbage(gc_free_bytes > gc_step_destroy_bytes ? gc_free_bytes - gc_step_destroy_bytes : 0);
    if (gc_new_bytes <= gc_step_bytes) gc_new_bytes += gc_step_bytes / gc_timed_cycle_steps + 1;
  }
  if (gc_new_bytes <= gc_step_bytes) {
    int target = gc_step_target(gc_new_bytes, gc_alloced_bytes);
    while (gc_marked_bytes < target && gc_queued_list.succ != &gc_queued_list) mark_queued();
    return;
  }

  while (gc_queued_list.succ != &gc_queued_list) mark_queued();

  int garbage = gc_alloced_bytes - gc_marked_bytes;
  if (garbage) {
    gc_free_bytes += garbage;
    append_list(gc_unmarked_list, gc_free_list);
  }
  append_list(gc_marked_list, gc_unmarked_list);
  gc_alloced_bytes = gc_marked_bytes;
  gc_marked_bytes = 0;
  gc_markbit ^= 1;
  gc_mark();
  gc_new_bytes = 0;
}
