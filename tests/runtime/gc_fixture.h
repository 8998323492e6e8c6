// Shared set-up of the collector tests: a clean heap with no roots, and helpers that force a
// whole cycle or destroy every pending garbage object at once.
#pragma once
#include <gtest/gtest.h>

#include "runtime/array.h"
#include "runtime/gc.h"

class CollectorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gc_clear_roots();
    full_cycle();
    full_cycle();
    drain_free_list();
  }
  void TearDown() override {
    gc_clear_roots();
    full_cycle();
    full_cycle();
    drain_free_list();
  }

  // Finishes the current cycle and sweeps, as a step does after 8 MiB of new objects.
  static void full_cycle() {
    gc_new_bytes = gc_step_bytes + 1;
    gc_collect();
  }
  // A step whose target covers the whole heap: every queued object is scanned, no sweep.
  static void mark_everything() {
    gc_new_bytes = gc_step_bytes;
    gc_collect();
    gc_new_bytes = 0;
  }
  // One allocation as large as the free list destroys all of it; the block itself is garbage
  // left for the next cycle.
  static void drain_free_list() {
    int n = gc_free_bytes / static_cast<int>(sizeof(int)) + 1;
    Array<int> sink(n);
    (void)sink;
  }
};
