// dbg_error and dbg_stop: the "Tarvik Runtime Error : " lines written without touching the
// heap, the debugger handshake on stderr/stdin, and the signal handler start-up installs.
// vgError (runtime/console.cpp), String's and the collector's "Out of memory" end here.
#include "runtime/fatal.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace {
// Recorded for the debugger's sake; nothing in this program consults it.
struct Stepping {
  bool on = false;
  char command = 0;
} stepping;

const char* debug_info = "";
const char* stack_trace = "";

vgObjectText object_text = nullptr;

// vgPrint of narrow text without touching the heap: this is the path of "Out of memory" and
// of signals raised inside malloc. Bytes widen as signed values, exactly as String(text)
// would, and then encode as vgPrint encodes them.
void print_narrow(const char* prefix, const char* text) {
  char out[256];
  size_t n = 0;
  for (const char* part : {prefix, text}) {
    for (const char* p = part; *p; ++p) {
      // Room for the widest character, the line feed and the terminator.
      if (n + 3 + 2 > sizeof out) {
        out[n] = 0;
        std::fputs(out, stdout);
        n = 0;
      }
      unsigned c = static_cast<char16_t>(static_cast<short>(static_cast<signed char>(*p)));
      if (c < 0x80) {
        out[n++] = static_cast<char>(c);
      } else {
        out[n++] = static_cast<char>(0xe0 | c >> 12);
        out[n++] = static_cast<char>(0x80 | ((c >> 6) & 0x3f));
        out[n++] = static_cast<char>(0x80 | (c & 0x3f));
      }
    }
  }
  out[n++] = '\n';
  out[n] = 0;
  std::fputs(out, stdout);
  std::fflush(stdout);
}
}  // namespace

void vgSetObjectText(vgObjectText text) { object_text = text; }

void dbg_error(const char* text) {
  for (;;) {
    print_narrow("Tarvik Runtime Error : ", text);
    print_narrow(stack_trace, "");
    dbg_stop();
  }
}

void dbg_stop() {
  std::fprintf(stderr, "{{~~%s~~}}\n%s\n", debug_info, stack_trace);
  std::fflush(stderr);
  for (;;) {
    char line[256];
    if (!std::fgets(line, sizeof line, stdin)) std::exit(-1);
    char* eol = std::strchr(line, '\n');
    if (!eol) std::exit(-1);
    *eol = 0;
    switch (line[0]) {
      case '?':
        continue;
      case '@': {
        void* p = nullptr;
        if (std::sscanf(line + 1, "%p", &p) == 1 && p && object_text) {
          std::fprintf(stderr, "%s\n", object_text(p));
        } else {
          std::fprintf(stderr, "\n");
        }
        continue;
      }
      case 'r':
        stepping = Stepping();
        return;
      case 's':
      case 'e':
      case 'l':
        stepping.on = line[0] != 'l';
        stepping.command = line[0];
        return;
      case 'q':
        std::exit(0);
      default:
        std::printf("????? %s ?????", line);
        std::fflush(stdout);
        std::exit(-1);
    }
  }
}

void sighandler(int sig) {
  const char* text = "Unknown signal";
  switch (sig) {
    case SIGFPE:
      text = "Floating point exception";
      break;
    case SIGSEGV:
      text = "Memory access violation";
      break;
    case SIGILL:
      text = "Illegal instruction";
      break;
  }
  dbg_error(text);
}
