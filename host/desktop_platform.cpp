// The desktop's side of host/platform.h: the data folder beside the program, the browser
// started with xdg-open, threads and sockets. host/CMakeLists.txt builds it; the page's is
// host/web/web_platform.cpp.
#include "host/platform.h"

#include <spawn.h>
#include <sys/wait.h>

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <thread>

extern char** environ;

const char* vg_platform::DataFolder() { return "./data/"; }

void vg_platform::StateSaved() {}

int vg_platform::OpenUrl(const std::string& url) {
  std::string address = url;
  char program[] = "xdg-open";
  char* argv[] = {program, &address[0], nullptr};
  pid_t pid;
  if (::posix_spawnp(&pid, program, nullptr, nullptr, argv, environ) != 0) return -1;
  // Waiting for this one child only leaves every other child of the process to its owner,
  // and the game never blocks on the browser.
  std::thread([pid] {
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return pid;
}

bool vg_platform::HasThreads() { return true; }
bool vg_platform::HasSockets() { return true; }
bool vg_platform::LooksUpNames() { return true; }

// Without its data the game would sit on its loading colour for ever. The loader's first
// stage always reads this image.
bool vg_platform::DataFolderReady() {
  std::string folder = DataFolder();
  if (std::FILE* file = std::fopen((folder + "common/icons.png").c_str(), "rb")) {
    std::fclose(file);
    return true;
  }
  char here[PATH_MAX];
  if (folder.compare(0, 2, "./") == 0 && getcwd(here, sizeof here)) folder = here + folder.substr(1);
  folder.pop_back();
  std::fprintf(stderr,
               "vantorell: no game data in %s; start the game with scripts/play from the source "
               "folder, with the installed command vantorell, or from build/game after a build\n",
               folder.c_str());
  return false;
}

void vg_platform::ExplainNoWindow() {
  const char* display = std::getenv("DISPLAY");
  if (display && *display) {
    std::fprintf(stderr, "vantorell: no display could be opened (DISPLAY is %s)\n", display);
  } else {
    std::fputs("vantorell: no display could be opened (DISPLAY is not set)\n", stderr);
  }
}
