// Incremental, non-moving mark-and-sweep collector for every framework and game object.
// Objects live on four intrusive lists; the host runs one gc_collect() step after each call
// into application code, so locals of application code never need to be roots.
#pragma once
#include <cstddef>
#include <cstdint>
#include <type_traits>

struct gc_object;
struct gc_interface;

// Colour of "unmarked" in this cycle; flips at every sweep so survivors need no reset pass.
extern int gc_markbit;

extern int gc_new_bytes;
extern int gc_alloced_bytes;
extern int gc_max_alloced_bytes;
extern int gc_marked_bytes;
extern int gc_free_bytes;

extern gc_object gc_unmarked_list;
extern gc_object gc_queued_list;
extern gc_object gc_marked_list;
extern gc_object gc_free_list;

enum { gc_cache_slots = 8, gc_cache_limit = 64, gc_step_bytes = 8388608 };

// The header gc_object_alloc wrote into the block it handed out last. `new T()` of a class
// whose constructor is not user-provided zero-fills the whole block before any constructor
// runs, which would wipe the header; gc_object's constructor puts it back from here.
struct gc_fresh_block {
  gc_object* block;
  gc_object* pred;
  int flags;
};
extern gc_fresh_block gc_fresh;

// The header of every collected object: vtable, succ, pred and a flags word holding the size
// (a multiple of 8) above the colour in the low two bits. Colour 3 marks static objects.
struct gc_object {
  gc_object* succ;
  gc_object* pred;
  int flags;

  // Keeps the header gc_object_alloc wrote before the constructor ran (the build turns off
  // GCC's lifetime-DSE so those stores stay visible). Nothing can allocate between the
  // allocation and this constructor when the block was zero-filled, so the last block
  // handed out is this one and is still the tail of the unmarked list.
  gc_object() {
    if (gc_fresh.block == this) {
      succ = &gc_unmarked_list;
      pred = gc_fresh.pred;
      flags = gc_fresh.flags;
      gc_fresh.block = nullptr;
    }
  }
  // Statics that must never be collected: colour 3, size 0, on no list.
  struct static_tag {};
  constexpr explicit gc_object(static_tag) : succ(nullptr), pred(nullptr), flags(3) {}
  virtual ~gc_object() {}
  virtual void mark() {}

  int gc_size() const { return flags & ~7; }
  int gc_colour() const { return flags & 3; }

  static void* operator new(size_t size);
  static void operator delete(void* block);
  // Statics and sentinels are built with placement new and never returned to the collector.
  static void* operator new(size_t, void* where) { return where; }
  static void operator delete(void*, void*) {}
};

// Base of interface classes; a root that holds an interface is cast to its object to mark it.
struct gc_interface {
  virtual ~gc_interface() {}
};

void* gc_object_alloc(int size);

// Make the four lists empty. Start-up calls this before global initialisation.
void gc_init();

// Queue marking: an unmarked object turns grey and joins the queued list.
inline void gc_queue(gc_object* p);
// Immediate marking: an unmarked object turns black and its fields are marked at once.
void gc_mark_now(gc_object* p);

// Queue every registered root, in registration order.
void gc_mark();
// One collector step (marks a slice; sweeps once 8 MiB of new objects exist).
void gc_collect();

// The step's marking target for the given counters, exposed for its arithmetic's sake.
int gc_step_target(int new_bytes, int alloced_bytes);

// Memory that collected objects hold outside the collector's heap (sound buffers, pixels,
// textures), reported by its owners as they take it and give it back. Such an object weighs
// little on the collector's lists, so left to the allocation pace it could stay unfound for
// hours while holding megabytes. So taking that memory counts as allocation, and while any is
// held a cycle also finishes within gc_timed_cycle_steps steps and found garbage is destroyed
// a slice per step: what an unreachable owner holds goes back within a bounded number of
// steps even when the program allocates nothing.
extern long long gc_external_bytes;
enum { gc_timed_cycle_steps = 600, gc_step_destroy_bytes = 32768 };
void gc_external_alloc(int bytes);
void gc_external_free(int bytes);


// Unlink p from whatever list it is on and append it at the tail of list.
inline void gc_move_to_tail(gc_object* p, gc_object& list) {
  p->pred->succ = p->succ;
  p->succ->pred = p->pred;
  p->pred = list.pred;
  p->succ = &list;
  list.pred->succ = p;
  list.pred = p;
}

inline void gc_queue(gc_object* p) {
  if (p && (p->flags & 3) == gc_markbit) {
    p->flags ^= 1;
    gc_move_to_tail(p, gc_queued_list);
  }
}

// A reference of either kind as its object: classes convert statically, interfaces by cast.
template <class T>
inline gc_object* gc_as_object(T* p) {
  if constexpr (std::is_base_of_v<gc_object, T>) {
    return p;
  } else {
    return dynamic_cast<gc_object*>(p);
  }
}

template <class T>
inline void gc_mark_q(T* p) {
  gc_queue(gc_as_object(p));
}

// Write barrier: every store of a reference into a collected object or a module global.
template <class T, class V>
inline void gc_assign(T*& field, V* value) {
  gc_queue(gc_as_object(value));
  field = value;
}
template <class T>
inline void gc_assign(T*& field, std::nullptr_t) {
  field = nullptr;
}

// Roots are module globals; the layers that own them register the slots, in the order the
// collector must queue them. Each slot is read through a loader for its own type, so class
// references convert statically and interface references through a dynamic cast.
typedef gc_object* (*gc_root_loader)(const void* slot);
void gc_add_root_slot(const void* slot, gc_root_loader load);
void gc_add_root(gc_object* const* slot);
void gc_add_interface_root(gc_interface* const* slot);
template <class T>
gc_object* gc_load_root(const void* slot) {
  return gc_as_object(*static_cast<T* const*>(slot));
}
template <class T>
void gc_root(T* const& global) {
  gc_add_root_slot(&global, &gc_load_root<T>);
}
void gc_clear_roots();
