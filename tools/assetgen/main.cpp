// Asset generator entry point: writes the game's whole data folder from code.
//   assetgen DATA_DIR                    the build's data folder
//   assetgen --contact-sheet DIR         data in DIR/data plus the review sheet in DIR
//   assetgen DATA_DIR --contact-sheet DIR
//   assetgen --icons DIR                 the desktop icon only, DIR/NxN/apps/vantorell.png
//   assetgen --web-icons DIR             the page's app icons only, DIR/icon-*.png
// Run by the vantorell_data build target and by the asset tests.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "tools/assetgen/families.h"

int main(int argc, char** argv) {
  std::string data, contact;
  if (argc == 3 && std::strcmp(argv[1], "--icons") == 0) return write_icons(argv[2]) ? 0 : 1;
  if (argc == 3 && std::strcmp(argv[1], "--web-icons") == 0) return write_web_icons(argv[2]) ? 0 : 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--contact-sheet") == 0 && i + 1 < argc) contact = argv[++i];
    else data = argv[i];
  }
  if (data.empty() && !contact.empty()) data = contact + "/data";
  if (data.empty()) {
    std::fprintf(stderr, "usage: assetgen DATA_DIR [--contact-sheet DIR]\n");
    return 2;
  }
  Output out(data, contact);
  // The music is the slowest part (encoding); its own output keeps the two threads apart.
  Output music_out(data, "");
  std::thread music([&] { write_music(music_out); });
  // ASSETGEN_TIMES=1 prints how long each family takes, to keep the build step quick.
  const bool times = std::getenv("ASSETGEN_TIMES") != nullptr;
  auto timed = [&](const char* what, void (*fn)(Output&)) {
    auto t0 = std::chrono::steady_clock::now();
    fn(out);
    if (times)
      std::fprintf(stderr, "%-12s %6.2f s\n", what,
                   std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  };
  timed("fonts", write_fonts);
  timed("sprites", write_sprites);
  timed("ui", write_ui);
  timed("titles", write_titles);
  timed("badges", write_badges);
  timed("avatars", write_avatars);
  timed("tunes", write_tunes);
  timed("sfx", write_sfx);
  timed("instruments", write_instruments);
  music.join();
  out.finish();
  if (!out.ok() || !music_out.ok()) {
    std::fprintf(stderr, "assetgen: could not write every file under %s\n", data.c_str());
    return 1;
  }
  return 0;
}
