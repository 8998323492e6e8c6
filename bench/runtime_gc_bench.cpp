// Collector benchmarks: small-object allocation through the collector (its sweeps and lazy
// destruction included) against plain new/delete of the same sizes, and the cost of one
// collector step in a heap of a million live objects. Run by hand; figures in README.md.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <utility>
#include <time.h>

#include <chrono>
#include <vector>

#include "runtime/array.h"
#include "runtime/object.h"

namespace {
// Four small sizes served by the collector's block cache (and by malloc's small bins).
template <int Words>
struct Small : Object {
  void* word[Words];
};
template <int Words>
struct PlainSmall {
  virtual ~PlainSmall() {}
  void* succ;
  void* pred;
  int flags;
  void* word[Words];
};
constexpr int kBatch = 1024;

// One batch as a game update makes it: objects allocated, all garbage afterwards, then the
// host's one collector step. Destruction happens in later batches' allocations.
void BM_CollectorSmallObjects(benchmark::State& state) {
  gc_init();
  for (auto _ : state) {
    for (int i = 0; i < kBatch; i += 4) {
      benchmark::DoNotOptimize(new Small<0>());
      benchmark::DoNotOptimize(new Small<1>());
      benchmark::DoNotOptimize(new Small<2>());
      benchmark::DoNotOptimize(new Small<3>());
    }
    gc_collect();
  }
  state.SetItemsProcessed(state.iterations() * kBatch);
}
BENCHMARK(BM_CollectorSmallObjects);

void BM_NewDeleteSmallObjects(benchmark::State& state) {
  std::vector<void*> live;
  live.reserve(kBatch);
  for (auto _ : state) {
    for (int i = 0; i < kBatch; i += 4) {
      live.push_back(new PlainSmall<0>());
      live.push_back(new PlainSmall<1>());
      live.push_back(new PlainSmall<2>());
      live.push_back(new PlainSmall<3>());
    }
    benchmark::DoNotOptimize(live.data());
    for (size_t i = 0; i < live.size(); i += 4) {
      delete static_cast<PlainSmall<0>*>(live[i]);
      delete static_cast<PlainSmall<1>*>(live[i + 1]);
      delete static_cast<PlainSmall<2>*>(live[i + 2]);
      delete static_cast<PlainSmall<3>*>(live[i + 3]);
    }
    live.clear();
  }
  state.SetItemsProcessed(state.iterations() * kBatch);
}
BENCHMARK(BM_NewDeleteSmallObjects);

struct TreeNode : Object {
  TreeNode* left = nullptr;
  TreeNode* right = nullptr;
  void mark() override {
    gc_mark_q(left);
    gc_mark_q(right);
  }
};
TreeNode* g_tree = nullptr;

// Builds a tree of n nodes breadth first, so marking it is spread over many steps.
TreeNode* build_tree(int n) {
  std::vector<TreeNode*> nodes(static_cast<size_t>(n));
  for (auto& p : nodes) p = new TreeNode();
  for (int i = 0; i < n; ++i) {
    if (2 * i + 1 < n) gc_assign(nodes[i]->left, nodes[2 * i + 1]);
    if (2 * i + 2 < n) gc_assign(nodes[i]->right, nodes[2 * i + 2]);
  }
  return nodes[0];
}

// A million live nodes; each step first allocates about 1 KiB of garbage (as an update
// would), then one collector step is timed. Three whole cycles are measured, after the one
// untimed step that ends the building of the tree.
void BM_CollectorStepWithMillionLiveObjects(benchmark::State& state) {
  gc_init();
  gc_clear_roots();
  gc_root(g_tree);
  gc_assign(g_tree, build_tree(1000000));
  gc_mark();
  // Building the tree counts as 45 MiB of new objects, so the first step marks it all at
  // once and sweeps; the measurement starts after it, in the steady state.
  gc_collect();
  std::vector<double> micros, cpu_micros;
  for (auto _ : state) {
    micros.clear();
    cpu_micros.clear();
    int sweeps = 0;
    while (sweeps < 3) {
      for (int i = 0; i < 1024 / static_cast<int>(sizeof(TreeNode)); ++i) {
        benchmark::DoNotOptimize(new TreeNode());
      }
      int markbit = gc_markbit;
      timespec c0, c1;
      clock_gettime(CLOCK_THREAD_CPUTIME_ID, &c0);
      auto t0 = std::chrono::steady_clock::now();
      gc_collect();
      auto t1 = std::chrono::steady_clock::now();
      clock_gettime(CLOCK_THREAD_CPUTIME_ID, &c1);
      micros.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
      cpu_micros.push_back((c1.tv_sec - c0.tv_sec) * 1e6 + (c1.tv_nsec - c0.tv_nsec) / 1e3);
      if (gc_markbit != markbit) ++sweeps;
    }
  }
  // Wall-clock figures include the times this process was not running on a shared machine;
  // the thread's CPU time shows the step's own cost.
  for (auto [times, prefix] : {std::pair(micros, ""), std::pair(cpu_micros, "cpu_")}) {
    std::sort(times.begin(), times.end());
    std::string p(prefix);
    state.counters[p + "median_us"] = times[times.size() / 2];
    state.counters[p + "p99_us"] = times[times.size() * 99 / 100];
    state.counters[p + "max_us"] = times.back();
  }
  state.counters["steps"] = static_cast<double>(micros.size());
  state.counters["live_MiB"] = gc_alloced_bytes / 1048576.0;
}
BENCHMARK(BM_CollectorStepWithMillionLiveObjects)->Iterations(1)->Unit(benchmark::kMillisecond);
}  // namespace

BENCHMARK_MAIN();
