// The collector's rules as a program relies on them: roots and the barrier keep objects,
// garbage is destroyed once and only by later allocations (or, while memory outside the heap
// is held, by timed steps), and random graphs are checked against a model the test walks on
// its own.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <vector>

#include "runtime/array.h"
#include "runtime/object.h"

namespace {
std::multiset<int> g_destroyed;
// A reference to an interface points into the middle of its object; a root holding one must
// still reach the whole object.
struct Listener : gc_interface {};
struct Probe : Object, Listener {
  int id;
  Probe* next = nullptr;
  explicit Probe(int i) : id(i) {}
  ~Probe() override { g_destroyed.insert(id); }
  void mark() override { gc_mark_q(next); }
};

void step(int new_bytes) { gc_new_bytes = new_bytes, gc_collect(); }
void full_cycle() { step(gc_step_bytes + 1); }  // ends the cycle and sweeps
void drain_free_list() { Array<int> sink(gc_free_bytes / 4 + 1); }  // destroys all garbage
void settle() { full_cycle(), full_cycle(), drain_free_list(); }  // only the reachable live
int destroyed(int id) { return static_cast<int>(g_destroyed.count(id)); }

Probe* g_root = nullptr;
Listener* g_listener = nullptr;

class Collector : public ::testing::Test {
 protected:
  void SetUp() override {
    TearDown();
    gc_root(g_root), gc_root(g_listener);
    g_destroyed.clear();
  }
  void TearDown() override {
    g_root = nullptr, g_listener = nullptr;
    gc_clear_roots();
    settle();
  }
};

TEST_F(Collector, AnInterfaceRootKeepsItsWholeObjectUntilLetGo) {
  Probe* s = new Probe(42);
  gc_assign(g_listener, s);
  gc_assign(s->next, new Probe(43));
  for (int cycle = 0; cycle < 3; ++cycle) new Probe(100 + cycle), settle();
  EXPECT_EQ(destroyed(42) + destroyed(43), 0);
  EXPECT_EQ(destroyed(102), 1);
  g_listener = nullptr;
  settle();
  EXPECT_EQ(destroyed(42) + destroyed(43), 2);
}

TEST_F(Collector, GarbageIsDestroyedOnceAndOnlyByLaterAllocations) {
  for (int i = 0; i < 10; ++i) new Probe(10 + i);
  full_cycle(), step(0), gc_mark();
  EXPECT_TRUE(g_destroyed.empty()) << "neither sweeping nor marking runs a destructor";
  new Probe(99);
  EXPECT_LE(g_destroyed.size(), 1u) << "a small request destroys about its own size";
  for (int i = 0; i < 5; ++i) settle();
  for (int i = 0; i < 10; ++i) EXPECT_EQ(destroyed(10 + i), 1);
}

// An object that holds a megabyte outside the collector's heap, as a sound buffer does.
struct Holder : Probe {
  explicit Holder(int i) : Probe(i) { gc_external_alloc(1 << 20); }
  ~Holder() override { gc_external_free(1 << 20); }
};

TEST_F(Collector, MemoryHeldOutsideTheHeapGoesBackInBoundedStepsWithNoAllocation) {
  int before = gc_new_bytes;
  gc_assign(g_root, new Holder(1));
  EXPECT_GE(gc_new_bytes - before, 1 << 20) << "memory taken outside the heap paces the cycle";
  for (int i = 0; i < gc_timed_cycle_steps; ++i) gc_collect();
  g_root = nullptr;
  int steps = 0;
  for (; destroyed(1) == 0 && steps < 4 * gc_timed_cycle_steps; ++steps) gc_collect();
  EXPECT_EQ(destroyed(1), 1) << "never destroyed in " << steps << " steps";
  EXPECT_LE(steps, 2 * gc_timed_cycle_steps + 2) << "two cycles find it, the next step destroys it";
  EXPECT_EQ(gc_external_bytes, 0);
}

TEST(CollectorStep, TargetFollowsThe64BitArithmetic) {
  const int MiB = 1 << 20;
  EXPECT_EQ(gc_step_target(4 * MiB, 12 * MiB), 8 * MiB);
  // (2 GiB - 8 MiB) x 8 MiB overflows 32 bits; the 64-bit product gives the whole heap.
  EXPECT_EQ(gc_step_target(8 * MiB, 2047 * MiB), 2047 * MiB);
  EXPECT_EQ(gc_step_target(1, 8 * MiB), 1);  // the quotient rounds toward zero
}

constexpr int kEdges = 6, kSlots = 8;
std::map<int, struct Node*> g_alive;  // id -> node whose destructor has not run
int g_destroyed_twice = 0;
struct Node : Object {
  int id;
  Node* field = nullptr;
  Array<Node*> kids;
  Array<int> payload;  // up to 8 KiB, so that ordinary steps sweep every few hundred steps
  explicit Node(int i) : id(i) { g_alive[id] = this; }
  ~Node() override { g_destroyed_twice += !g_alive.erase(id); }
  void mark() override { gc_mark_q(field), gc_mark_q(kids), gc_mark_q(payload); }
  Node*& edge(int e) { return e ? kids[e - 1] : field; }  // a field or an array element
};
Node* alive(int id) { return g_alive.count(id) ? g_alive[id] : nullptr; }
Array<Node*> g_slots;

TEST_F(Collector, RandomGraphsKeepTheReachableAndFreeTheUnreachable) {
  gc_root(g_slots);
  gc_assign(g_slots, Array<Node*>(kSlots));
  std::mt19937 rng(20261207);
  auto pick = [&](size_t n) { return static_cast<int>(rng() % n); };
  std::map<int, std::vector<int>> edges;  // the model: id -> kEdges target ids (0 = none)
  std::vector<int> slots(kSlots, 0);
  auto reachable = [&] {
    std::set<int> seen;
    for (std::vector<int> todo(slots); !todo.empty();) {
      int id = todo.back();
      todo.pop_back();
      if (id && seen.insert(id).second) todo.insert(todo.end(), edges[id].begin(), edges[id].end());
    }
    return seen;
  };
  int next_id = 0, sweeps = 0;
  auto make = [&] {
    Node* n = new Node(++next_id);
    edges[n->id] = std::vector<int>(kEdges, 0);
    gc_assign(n->kids, Array<Node*>(kEdges - 1));
    if (int words = pick(2048)) gc_assign(n->payload, Array<int>(words)), n->payload[0] = n->id;
    return n;
  };
  for (int round = 0; round < 4000; ++round) {
    std::vector<int> live;
    for (int id : reachable()) live.push_back(id);
    for (int op = 0, ops = 1 + pick(24); op < ops; ++op) {
      int kind = pick(10), e = pick(kEdges), s = pick(kSlots);
      int p = live.empty() ? 0 : live[pick(live.size())], t = p ? live[pick(live.size())] : 0;
      if (kind < 4 || !p) {  // a new node hung from a slot or a reachable node
        Node* n = make();
        if (!p || pick(2)) gc_assign(g_slots[s], n), slots[s] = n->id;
        else gc_assign(g_alive[p]->edge(e), n), edges[p][e] = n->id;
        live.push_back(n->id);
      } else if (kind < 7) {  // link two reachable nodes, cycles included
        gc_assign(g_alive[p]->edge(e), g_alive[t]), edges[p][e] = t;
      } else if (kind < 9) {  // drop an edge or a slot, making whole subgraphs garbage
        gc_assign(g_alive[p]->edge(e), nullptr), edges[p][e] = 0;
        if (pick(4) == 0) gc_assign(g_slots[s], nullptr), slots[s] = 0;
      } else {  // garbage from birth, or a child array replaced (the old one is garbage)
        make(), gc_assign(g_alive[p]->kids, g_alive[p]->kids.Resize(kEdges - 1));
      }
    }
    int markbit = gc_markbit;
    gc_collect(), sweeps += gc_markbit != markbit;
    for (int id : reachable()) {
      Node* n = alive(id);
      ASSERT_NE(n, nullptr) << "reachable node " << id << " freed by round " << round;
      for (int k = 0; k < kEdges; ++k) ASSERT_EQ(n->edge(k), alive(edges[id][k])) << id;
      ASSERT_EQ(n->payload.Length() ? n->payload[0] : id, id) << "payload of " << id;
    }
    if (round % 500 == 499) {
      settle();
      std::set<int> have;
      for (auto& entry : g_alive) have.insert(entry.first);
      ASSERT_EQ(have, reachable()) << "at round " << round;
    }
  }
  EXPECT_GE(sweeps, 4) << "the ordinary steps should have swept on their own";
  g_slots = Array<Node*>();
  settle();
  EXPECT_TRUE(g_alive.empty()) << g_alive.size() << " unreachable nodes never destroyed";
  EXPECT_EQ(g_destroyed_twice, 0);
}
}  // namespace
