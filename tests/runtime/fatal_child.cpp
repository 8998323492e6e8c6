// Child process of the fatal-error tests: each mode ends the process the way a program would
// (vgError, a signal, an exhausted heap, console output), so the parent can check its streams
// and exit status.
#include <sys/resource.h>
#include <unistd.h>

#include <cctype>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/array.h"
#include "runtime/console.h"
#include "runtime/fatal.h"
#include "runtime/gc.h"
#include "runtime/object.h"

int main(int argc, char** argv) {
  const char* mode = argc > 1 ? argv[1] : "";
  for (int sig : {SIGSEGV, SIGILL, SIGFPE, SIGUSR1}) std::signal(sig, sighandler);
  gc_init();
  if (std::isdigit(mode[0])) std::raise(std::atoi(mode));
  if (!std::strcmp(mode, "error")) vgError(String("Boom"));
  if (!std::strcmp(mode, "quit")) vgError(String());
  if (!std::strcmp(mode, "oom-heap")) {  // a 256 MiB block under a 64 MiB address space
    rlimit limit = {64 << 20, 64 << 20};
    setrlimit(RLIMIT_AS, &limit);
    return Array<int>(64 << 20).Length() ? 3 : 4;
  }
  if (!std::strcmp(mode, "oom-array"))  // more bytes than a collector block can describe
    return Array<double>(0x7fffffff / 4).Length() ? 3 : 4;
  if (!std::strcmp(mode, "long")) {  // a wide character last, where the line buffer ends
    static char text[231];
    std::memset(text, 'a', 229);
    text[229] = static_cast<char>(0xe9);
    dbg_error(text);
  }
  if (!std::strcmp(mode, "object")) {  // the debugger asks for a live object by its address
    struct Named : Object {
      String debug() override { return String("+Named\nhits=3\n"); }
    };
    Object* named = new Named;
    char line[64];
    int n = std::snprintf(line, sizeof line, "@%p\nq\n", static_cast<void*>(named));
    int ends[2];
    if (pipe(ends) || write(ends[1], line, n) != n || dup2(ends[0], 0) < 0) return 3;
    close(ends[1]);
    vgError(String("Boom"));
  }
  if (!std::strcmp(mode, "print")) {
    const Char text[] = {'A', 0xe9, 0x20ac, 0xd83d, 0xde00, 'Z'}, cut[] = {'x', 0, 'y'};
    vgPrint(String(text, 6));
    vgPrint(String(cut, 3));
    vgDebugLog(String("done"));
  }
  return 2;
}
