// Randomized collector stress: thousands of steps build and drop object graphs through the
// barrier, and a reachability walk over a shadow model of the graph (independent of the
// collector's own marking) checks that nothing reachable is ever destroyed and that all
// garbage is destroyed once the cycles have passed.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <vector>

#include "runtime/array.h"
#include "runtime/object.h"
#include "tests/runtime/gc_fixture.h"

namespace {
constexpr int kFields = 2, kKids = 4, kEdges = kFields + kKids, kRoots = 8;

struct Node;
// id -> address of every node whose destructor has not run yet.
std::map<int, Node*> g_alive;
int g_destroyed_twice = 0;

struct Node : Object {
  int id;
  Node* field[kFields] = {nullptr, nullptr};
  Array<Node*> kids;
  Array<int> payload;
  explicit Node(int i) : id(i) { g_alive[id] = this; }
  ~Node() override {
    if (!g_alive.erase(id)) ++g_destroyed_twice;
  }
  void mark() override {
    for (Node* f : field) gc_mark_q(f);
    gc_mark_q(kids);
    gc_mark_q(payload);
  }
  Node*& edge(int e) { return e < kFields ? field[e] : kids[e - kFields]; }
};

Node* g_single = nullptr;
Array<Node*> g_slots;

// The shadow graph: the same edges by id, maintained by the test alongside every store.
struct Model {
  std::map<int, std::vector<int>> edges;  // id -> kEdges target ids (0 = none)
  int single = 0;
  std::vector<int> slots = std::vector<int>(kRoots, 0);

  std::set<int> reachable() const {
    std::set<int> seen;
    std::vector<int> todo(slots);
    todo.push_back(single);
    while (!todo.empty()) {
      int id = todo.back();
      todo.pop_back();
      if (!id || !seen.insert(id).second) continue;
      for (int t : edges.at(id)) todo.push_back(t);
    }
    return seen;
  }
};

class CollectorStress : public CollectorTest {
 protected:
  void SetUp() override {
    CollectorTest::SetUp();
    g_single = nullptr;
    g_slots = Array<Node*>();
    gc_root(g_single);
    gc_root(g_slots);
    gc_assign(g_slots, Array<Node*>(kRoots));
  }
  void TearDown() override {
    g_single = nullptr;
    g_slots = Array<Node*>();
    CollectorTest::TearDown();
  }

  Node* make(Model& m, std::mt19937& rng) {
    Node* n = new Node(++next_id_);
    m.edges[n->id] = std::vector<int>(kEdges, 0);
    gc_assign(n->kids, Array<Node*>(kKids));
    // Payloads of up to 8 KiB make sweeps come every few hundred steps.
    int words = static_cast<int>(rng() % 2048);
    if (words) {
      gc_assign(n->payload, Array<int>(words));
      n->payload[0] = n->id;
    }
    return n;
  }

  // Every node the model can reach is alive, at the address its parent holds, with its
  // payload intact.
  void check_reachable(const Model& m, int step) {
    for (int id : m.reachable()) {
      auto it = g_alive.find(id);
      ASSERT_NE(it, g_alive.end()) << "reachable node " << id << " destroyed by step " << step;
      Node* n = it->second;
      for (int e = 0; e < kEdges; ++e) {
        int t = m.edges.at(id)[e];
        ASSERT_EQ(n->edge(e), t ? g_alive[t] : nullptr) << "edge of " << id;
      }
      if (n->payload.Length()) {
        ASSERT_EQ(n->payload[0], id);
      }
    }
  }

  int next_id_ = 0;
};

TEST_F(CollectorStress, RandomGraphsKeepReachableAndFreeUnreachable) {
  std::mt19937 rng(20261207);
  Model m;
  int sweeps_seen = 0;

  for (int step = 0; step < 4000; ++step) {
    std::set<int> reach = m.reachable();
    std::vector<int> reachable(reach.begin(), reach.end());
    int ops = 1 + static_cast<int>(rng() % 24);
    for (int op = 0; op < ops; ++op) {
      int kind = static_cast<int>(rng() % 10);
      if (kind < 4 || reachable.empty()) {
        // A new node hung from a root slot, the single root or a reachable node.
        Node* n = make(m, rng);
        int where = static_cast<int>(rng() % 3);
        if (where == 0 || reachable.empty()) {
          int s = static_cast<int>(rng() % kRoots);
          gc_assign(g_slots[s], n);
          m.slots[s] = n->id;
        } else if (where == 1) {
          gc_assign(g_single, n);
          m.single = n->id;
        } else {
          int p = reachable[rng() % reachable.size()];
          int e = static_cast<int>(rng() % kEdges);
          gc_assign(g_alive[p]->edge(e), n);
          m.edges[p][e] = n->id;
        }
        reachable.push_back(n->id);
      } else if (kind < 7) {
        // Link two reachable nodes (cycles included).
        int p = reachable[rng() % reachable.size()];
        int t = reachable[rng() % reachable.size()];
        int e = static_cast<int>(rng() % kEdges);
        gc_assign(g_alive[p]->edge(e), g_alive[t]);
        m.edges[p][e] = t;
      } else if (kind < 9) {
        // Drop an edge or a root, making whole subgraphs garbage.
        int p = reachable[rng() % reachable.size()];
        int e = static_cast<int>(rng() % kEdges);
        gc_assign(g_alive[p]->edge(e), nullptr);
        m.edges[p][e] = 0;
        if (rng() % 4 == 0) {
          int s = static_cast<int>(rng() % kRoots);
          gc_assign(g_slots[s], nullptr);
          m.slots[s] = 0;
        }
      } else {
        make(m, rng);  // garbage from birth
      }
    }
    // Rebuild the child array of a reachable node now and then: the old array is garbage.
    if (step % 7 == 0 && !reachable.empty()) {
      int p = reachable[rng() % reachable.size()];
      Node* n = g_alive[p];
      Array<Node*> fresh = n->kids.Resize(kKids);
      gc_assign(n->kids, fresh);
    }
    int markbit = gc_markbit;
    gc_collect();
    if (gc_markbit != markbit) ++sweeps_seen;
    check_reachable(m, step);
    if (HasFatalFailure()) return;

    // Now and then finish two whole cycles and drain: then exactly the reachable nodes live.
    if (step % 500 == 499) {
      full_cycle();
      full_cycle();
      drain_free_list();
      std::set<int> want = m.reachable();
      std::set<int> have;
      for (auto& [id, node] : g_alive) have.insert(id);
      ASSERT_EQ(have, want) << "at step " << step;
      for (auto it = m.edges.begin(); it != m.edges.end();) {
        it = want.count(it->first) ? std::next(it) : m.edges.erase(it);
      }
    }
  }
  EXPECT_GE(sweeps_seen, 4) << "the ordinary steps should have swept on their own";

  // With every root gone, everything is garbage and is destroyed exactly once.
  for (int s = 0; s < kRoots; ++s) gc_assign(g_slots[s], nullptr);
  gc_assign(g_single, nullptr);
  full_cycle();
  full_cycle();
  drain_free_list();
  EXPECT_TRUE(g_alive.empty()) << g_alive.size() << " unreachable nodes never destroyed";
  EXPECT_EQ(g_destroyed_twice, 0);
}
}  // namespace
