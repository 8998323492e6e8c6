// The collector's rules as a program relies on them: roots and the barrier keep objects,
// garbage is destroyed once and only in later allocations, blocks are reused, statics are
// never touched, and the step target follows its 64-bit arithmetic.
#include <gtest/gtest.h>

#include <set>

#include "runtime/array.h"
#include "runtime/object.h"
#include "tests/runtime/gc_fixture.h"

namespace {
struct Probe : Object {
  static std::multiset<int>& destroyed() {
    static std::multiset<int> ids;
    return ids;
  }
  int id;
  Probe* next = nullptr;
  explicit Probe(int i) : id(i) {}
  ~Probe() override { destroyed().insert(id); }
  void mark() override { gc_mark_q(next); }
};

// Exactly 40 bytes, a size served from the block cache.
struct Block40 : Object {
  void* payload = nullptr;
};
static_assert(sizeof(Block40) == 40, "the cache case needs a 40-byte object");

// No user-provided constructor: `new Plain()` zero-fills the block before constructing it.
struct Plain : Object {
  int value;
  Probe* ref;
  void mark() override { gc_mark_q(ref); }
};

// An interface reference points into the middle of its object; a root holding one must
// still reach the whole object.
struct Listener : gc_interface {
  virtual int Heard() = 0;
};
struct Speaker : Probe, Listener {
  Speaker() : Probe(42) {}
  int Heard() override { return id; }
};

Probe* g_root = nullptr;
Array<Probe*> g_list;
Listener* g_listener = nullptr;

class Collector : public CollectorTest {
 protected:
  void SetUp() override {
    CollectorTest::SetUp();
    g_root = nullptr;
    g_list = Array<Probe*>();
    gc_root(g_root);
    gc_root(g_list);
    g_listener = nullptr;
    gc_root(g_listener);
    Probe::destroyed().clear();
  }
  int times_destroyed(int id) { return static_cast<int>(Probe::destroyed().count(id)); }
};

TEST_F(Collector, ObjectReachableFromARootSurvivesEveryCycle) {
  gc_assign(g_root, new Probe(1));
  gc_assign(g_root->next, new Probe(2));
  for (int cycle = 0; cycle < 50; ++cycle) {
    new Probe(100 + cycle);  // garbage
    full_cycle();
    drain_free_list();
  }
  EXPECT_EQ(times_destroyed(1), 0);
  EXPECT_EQ(times_destroyed(2), 0);
  EXPECT_EQ(g_root->next->id, 2);
  EXPECT_EQ(times_destroyed(149), 1);
}

TEST_F(Collector, InterfaceRootKeepsItsObject) {
  Speaker* s = new Speaker();
  gc_assign(g_listener, s);
  gc_assign(s->next, new Probe(43));
  ASSERT_NE(static_cast<void*>(g_listener), static_cast<void*>(s));
  for (int cycle = 0; cycle < 3; ++cycle) {
    full_cycle();
    full_cycle();
    drain_free_list();
  }
  EXPECT_EQ(times_destroyed(42), 0);
  EXPECT_EQ(times_destroyed(43), 0);
  EXPECT_EQ(g_listener->Heard(), 42);
  g_listener = nullptr;
  full_cycle();
  full_cycle();
  drain_free_list();
  EXPECT_EQ(times_destroyed(42), 1);
}

TEST_F(Collector, ArrayElementsAreMarkedThroughTheirArray) {
  gc_assign(g_list, Array<Probe*>(3));
  gc_assign(g_list[1], new Probe(7));
  for (int cycle = 0; cycle < 5; ++cycle) {
    full_cycle();
    drain_free_list();
  }
  EXPECT_EQ(times_destroyed(7), 0);
  gc_assign(g_list, Array<Probe*>());
  full_cycle();
  full_cycle();
  drain_free_list();
  EXPECT_EQ(times_destroyed(7), 1);
}

TEST_F(Collector, StoreIntoAMarkedObjectIsKeptByTheBarrier) {
  gc_assign(g_root, new Probe(1));
  full_cycle();
  mark_everything();
  ASSERT_NE(g_root->gc_colour(), gc_markbit);  // the owner is already black

  gc_assign(g_root->next, new Probe(2));
  full_cycle();
  drain_free_list();
  EXPECT_EQ(times_destroyed(2), 0);

  // Control: the same store without the barrier loses the object, which is what the barrier
  // is for.
  mark_everything();
  Probe* lost = new Probe(3);
  g_root->next->next = lost;
  full_cycle();
  drain_free_list();
  EXPECT_EQ(times_destroyed(3), 1);
  g_root->next->next = nullptr;
}

TEST_F(Collector, GarbageIsDestroyedOnceAndOnlyByALaterAllocation) {
  new Probe(5);
  full_cycle();
  EXPECT_EQ(times_destroyed(5), 0) << "the sweep itself runs no destructor";
  EXPECT_GT(gc_free_bytes, 0);
  gc_collect();
  gc_mark();
  EXPECT_EQ(times_destroyed(5), 0) << "only allocation destroys garbage";
  // An allocation as large as the whole free list destroys all of it.
  Array<int> big(gc_free_bytes / 4 + 1);
  EXPECT_EQ(times_destroyed(5), 1);
  EXPECT_EQ(gc_free_bytes, 0);
  for (int i = 0; i < 5; ++i) {
    full_cycle();
    drain_free_list();
  }
  EXPECT_EQ(times_destroyed(5), 1);
}

TEST_F(Collector, EachAllocationDestroysAboutItsOwnSizeOfGarbage) {
  for (int i = 0; i < 10; ++i) new Probe(10 + i);
  full_cycle();
  int before = static_cast<int>(Probe::destroyed().size());
  new Probe(99);
  int after = static_cast<int>(Probe::destroyed().size());
  // One 40-byte request destroys one or two 40-byte objects (the fixture's sink may be first),
  // never the whole list.
  EXPECT_LE(after - before, 1);
  EXPECT_GE(gc_free_bytes, 8 * static_cast<int>(sizeof(Probe)));
}

TEST_F(Collector, FreedSmallBlockIsReusedForTheSameSize) {
  Block40* first = new Block40();
  full_cycle();
  drain_free_list();  // destroys the 40-byte block last, so it tops its cache slot
  Block40* second = new Block40();
  EXPECT_EQ(static_cast<void*>(first), static_cast<void*>(second));
  EXPECT_EQ(second->gc_size(), 40);
}

TEST_F(Collector, ZeroFillingNewExpressionKeepsTheHeader) {
  Plain* p = new Plain();
  EXPECT_EQ(p->gc_size(), static_cast<int>((sizeof(Plain) + 7) & ~size_t{7}));
  EXPECT_EQ(p->gc_colour(), gc_markbit);
  EXPECT_EQ(gc_unmarked_list.pred, p);
  EXPECT_EQ(p->value, 0);
  gc_assign(g_root, new Probe(1));
  gc_assign(p->ref, g_root);
  full_cycle();
  drain_free_list();
  EXPECT_EQ(times_destroyed(1), 0);
}

TEST_F(Collector, StaticEmptyArraysAreNeverQueuedMarkedOrFreed) {
  Array<Probe*> empty;
  gc_queue(empty.GetRep());
  gc_mark_now(empty.GetRep());
  gc_assign(g_list, empty);
  EXPECT_EQ(gc_queued_list.succ, &gc_queued_list);
  for (int i = 0; i < 3; ++i) {
    full_cycle();
    gc_queue(empty.GetRep());
    EXPECT_EQ(Array<Probe*>::nullRep.gc_colour(), 3);
  }
  EXPECT_EQ(Array<Probe*>::nullRep.succ, nullptr);
  EXPECT_EQ(Array<Probe*>::nullRep.length, 0);
}

TEST_F(Collector, RootsAreQueuedInRegistrationOrder) {
  gc_assign(g_list, Array<Probe*>(1));
  gc_assign(g_root, new Probe(1));
  full_cycle();  // the sweep queues the roots again
  ASSERT_NE(gc_queued_list.succ, &gc_queued_list);
  EXPECT_EQ(gc_queued_list.succ, g_root);
  EXPECT_EQ(gc_queued_list.succ->succ, g_list.GetRep());
}

TEST(CollectorStep, TargetFollowsThe64BitArithmetic) {
  const int MiB = 1 << 20;
  EXPECT_EQ(gc_step_target(4 * MiB, 12 * MiB), 8 * MiB);
  EXPECT_EQ(gc_step_target(0, 100 * MiB), 0);
  EXPECT_EQ(gc_step_target(8 * MiB, 8 * MiB), 8 * MiB);
  // (2 GiB - 8 MiB) x 8 MiB overflows 32 bits; the 64-bit product gives the whole heap.
  EXPECT_EQ(gc_step_target(8 * MiB, 2047 * MiB), 2047 * MiB);
  // The quotient rounds toward zero.
  EXPECT_EQ(gc_step_target(1, 8 * MiB), 1);
}

TEST_F(Collector, StepWithNoNewBytesMarksNothing) {
  gc_assign(g_root, new Probe(1));
  full_cycle();
  int marked = gc_marked_bytes;
  gc_new_bytes = 0;
  gc_collect();
  EXPECT_EQ(gc_marked_bytes, marked);
  EXPECT_NE(gc_queued_list.succ, &gc_queued_list);
}

TEST(ObjectIdentity, CompareGivesTheSignOfTheAddressOrder) {
  Object probe;  // never collected: only its identity operations are called
  Object* self = &probe;
  // Addresses 0xFFFFFFFF apart: the low 32 bits of their difference have the opposite sign
  // of the difference itself. The other objects are only compared, never touched.
  uintptr_t at = reinterpret_cast<uintptr_t>(self);
  Object* above = reinterpret_cast<Object*>(at + 0xffffffffull);
  Object* below = reinterpret_cast<Object*>(at - 0xffffffffull);
  EXPECT_LT(self->Compare(above), 0);
  EXPECT_GT(self->Compare(below), 0);
  EXPECT_EQ(self->Compare(self), 0);
  EXPECT_TRUE(self->Equals(self));
  EXPECT_FALSE(self->Equals(above));
  EXPECT_EQ(self->debug(), String("+Object\n"));
  EXPECT_EQ(self->debug().Length(), 8);
}
}  // namespace
