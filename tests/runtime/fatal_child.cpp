// Child process of the fatal-error tests: each mode ends the process the way a program would
// (vgError, a signal, an exhausted heap, console output), so the parent can check streams
// and exit codes.
#include <sys/resource.h>

#include <csignal>
#include <cstring>

#include "runtime/array.h"
#include "runtime/console.h"
#include "runtime/gc.h"
#include "runtime/object.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const char* mode = argv[1];
  for (int sig : {SIGSEGV, SIGILL, SIGFPE, SIGUSR1}) std::signal(sig, sighandler);
  gc_init();

  if (!std::strcmp(mode, "error")) vgError(String("Boom"));
  if (!std::strcmp(mode, "quit")) vgError(String());
  if (!std::strcmp(mode, "segv")) std::raise(SIGSEGV);
  if (!std::strcmp(mode, "ill")) std::raise(SIGILL);
  if (!std::strcmp(mode, "fpe")) std::raise(SIGFPE);
  if (!std::strcmp(mode, "usr1")) std::raise(SIGUSR1);
  if (!std::strcmp(mode, "object")) {
    // The address for the debugger's "@" command goes out first, on its own line.
    Object* o = new Object();
    std::printf("%p\n", static_cast<void*>(o));
    std::fflush(stdout);
    vgError(String("Inspect"));
  }
  if (!std::strcmp(mode, "oom-heap")) {
    // The heap refuses a 256 MiB block under a 64 MiB address-space limit.
    rlimit limit = {64 << 20, 64 << 20};
    setrlimit(RLIMIT_AS, &limit);
    Array<int> huge(64 << 20);
    std::printf("allocated %d\n", huge.Length());
    return 3;
  }
  if (!std::strcmp(mode, "oom-array")) {
    Array<double> huge(0x7fffffff / 4);  // more bytes than a collector block can describe
    std::printf("allocated %d\n", huge.Length());
    return 3;
  }
  if (!std::strcmp(mode, "print")) {
    const Char text[] = {'A', 0xe9, 0x20ac, 0xd83d, 0xde00, 'Z'};
    vgPrint(String(text, 6));
    const Char cut[] = {'x', 0, 'y'};
    vgPrint(String(cut, 3));
    vgDebugLog(String("done"));
    return 0;
  }
  return 2;
}
