// Long sessions must not grow: five whole games in a row (menus, options, pause, a resize,
// full screen and back) through the headless harness, checking after each that sound buffers,
// textures and the collector's heap stay where they were after the second game; then, with
// the roots let go, that everything the games allocated was owned by something collected.
#include <gtest/gtest.h>

#include <vector>

#include "runtime/array.h"
#include "runtime/gc.h"
#include "tests/support/soak.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

TEST(LongSession, FiveGamesHoldNoMoreThanTwoAndLeaveNothingOnceTheRootsAreReleased) {
  VG_IN_CHILD([] {
    vgtest::Harness h;
    vgtest::Soak soak(h);
    std::vector<vgtest::SoakSample> after{soak.Sample()};
    for (int g = 1; g <= 5; ++g) {
      ASSERT_TRUE(soak.PlayGame()) << soak.error();
      after.push_back(soak.Sample());
    }
    const vgtest::SoakSample& two = after[2];
    for (int g = 3; g <= 5; ++g) {
      const vgtest::SoakSample& s = after[g];
      EXPECT_TRUE(s.alBuffers == two.alBuffers && s.glTextures == two.glTextures &&
                  s.outsideBytes == two.outsideBytes && s.collectorBytes <= two.collectorBytes * 51 / 50)
          << "game " << g << "\n" << vgtest::Soak::Table(after);
    }
    gc_clear_roots();
    for (int cycle = 0; cycle < 2; ++cycle) gc_new_bytes = gc_step_bytes + 1, gc_collect();
    while (gc_free_bytes > 0) Array<int> sink(gc_free_bytes / 4 + 1);  // destroys the garbage
    EXPECT_EQ(gc_external_bytes, 0) << "pixels or sound buffers reported and never given back";
#if defined(__SANITIZE_ADDRESS__)
    EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0) << "leaks are listed above";
#endif
  });
}
