// The long-session soak: twenty whole games in a row through the headless harness (menus,
// options, pause, a resize, full screen and back), then an hour of game time idle on the title
// menu, printing what the process holds after each game and every ten idle minutes. Not a
// timed benchmark: run by hand, figures in README.md. Arguments: [games] [idle minutes].
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/timing.h"
#include "tests/support/soak.h"

int main(int argc, char** argv) {
  int games = argc > 1 ? std::atoi(argv[1]) : 20;
  int idleMinutes = argc > 2 ? std::atoi(argv[2]) : 60;
  vgbench::FindBuildDir();
  vgtest::Harness harness;
  vgtest::Soak soak(harness);
  std::vector<vgtest::SoakSample> rows{soak.Sample()};
  for (int g = 0; g < games; ++g) {
    if (!soak.PlayGame()) {
      std::fprintf(stderr, "%s\n", soak.error().c_str());
      return 1;
    }
    rows.push_back(soak.Sample());
    std::fprintf(stderr, "game %d done\n", g + 1);
  }
  for (int m = 10; m <= idleMinutes; m += 10) {
    soak.Idle(10 * 60 * 60);
    rows.push_back(soak.Sample());
  }
  std::printf("%s", vgtest::Soak::Table(rows).c_str());
  return 0;
}
