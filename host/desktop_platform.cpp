// The desktop's side of host/platform.h: the data folder beside the program, the browser
// started with xdg-open, threads and sockets. host/CMakeLists.txt builds it; the page's is
// host/web/web_platform.cpp.
#include "host/platform.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
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
