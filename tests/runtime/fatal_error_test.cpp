// Fatal errors and console output through a child process: the exact lines on standard
// output and standard error, the debugger's answers on standard input, and the exit status.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
struct Outcome {
  int status;
  std::string out, err;
};

// Runs the child with `input` on standard input; both output streams go to files read back.
Outcome run_child(const std::string& mode, const std::string& input) {
  std::string base = "/tmp/vg_fatal_" + std::to_string(getpid());
  std::ofstream(base + ".in") << input;
  // A sanitizer build must let the heap say no instead of aborting.
  setenv("ASAN_OPTIONS", "allocator_may_return_null=1:detect_leaks=0", 1);
  int status = std::system((VG_FATAL_CHILD " " + mode + " <" + base + ".in >" + base +
                            ".out 2>" + base + ".err").c_str());
  Outcome o{WIFEXITED(status) ? WEXITSTATUS(status) : -1, base + ".out", base + ".err"};
  for (std::string* text : {&o.out, &o.err}) {  // each holds its file's path until read
    std::ostringstream bytes;
    bytes << std::ifstream(*text).rdbuf();
    std::remove(text->c_str());
    *text = bytes.str();
  }
  std::remove((base + ".in").c_str());
  return o;
}

const std::string kBoom = "Tarvik Runtime Error : Boom\n\n", kAsk = "{{~~~~}}\n\n";
std::string Fatal(const char* message) { return std::string("Tarvik Runtime Error : ") + message + "\n\n"; }
}  // namespace

#ifdef __has_feature
#define VG_HAS_FEATURE(x) __has_feature(x)
#else
#define VG_HAS_FEATURE(x) 0
#endif
#if defined(__SANITIZE_ADDRESS__) || VG_HAS_FEATURE(address_sanitizer)
const bool kSanitized = true;
#else
const bool kSanitized = false;
#endif

TEST(FatalError, EveryEndingWritesItsExactLinesAndStatus) {
  const struct {
    std::string mode;  // a number is the signal the child raises
    const char* input;
    int status;
    std::string out, err;
  } cases[] = {
      {"error", "", 255, kBoom, kAsk},                    // end of input
      {"error", "q\n", 0, kBoom, kAsk},                   // quit
      {"error", "r\n", 255, kBoom + kBoom, kAsk + kAsk},  // resume reports the error again
      {"error", "s\ne\nq\n", 0, kBoom + kBoom + kBoom, kAsk + kAsk + kAsk},
      {"error", "?\nq\n", 0, kBoom, kAsk},               // "?" only reads the next line
      {"error", "@0\nq\n", 0, kBoom, kAsk + "\n"},       // a null object's debug text is empty
      {"object", "", 0, kBoom, kAsk + "+Named\nhits=3\n\n"},  // a live object's debug text
      {"error", "xyz\n", 255, kBoom + "????? xyz ?????", kAsk},
      {"error", "q", 255, kBoom, kAsk},  // a line without its line feed is the end of input
      {"quit", "", 0, "", ""},           // an empty message ends the program at once
      {std::to_string(SIGSEGV), "", 255, Fatal("Memory access violation"), kAsk},
      {std::to_string(SIGILL), "", 255, Fatal("Illegal instruction"), kAsk},
      {std::to_string(SIGFPE), "", 255, Fatal("Floating point exception"), kAsk},
      {std::to_string(SIGUSR1), "", 255, Fatal("Unknown signal"), kAsk},
      {"oom-array", "", 255, Fatal("Out of memory"), kAsk},
      {"oom-heap", "", 255, Fatal("Out of memory"), kAsk},
      // 252 bytes, then a byte that widens to U+FFE9 (three bytes) and nothing after it.
      {"long", "", 255, Fatal((std::string(229, 'a') + "\xef\xbf\xa9").c_str()), kAsk},
      // Console lines are UTF-8 unit by unit and end at a character 0: U+00E9 is C3 A9,
      // U+20AC is E2 82 AC, and each surrogate is encoded on its own.
      {"print", "", 2, "A\xc3\xa9\xe2\x82\xac\xed\xa0\xbd\xed\xb8\x80Z\nxdone\n", ""},
  };
  for (const auto& c : cases) {
    if (kSanitized && c.mode == "oom-heap") continue;  // an address-space limit defeats the sanitizer
    Outcome o = run_child(c.mode, c.input);
    EXPECT_EQ(o.status, c.status) << c.mode << " " << c.input;
    EXPECT_EQ(o.out, c.out) << c.mode << " " << c.input;
    EXPECT_EQ(o.err, c.err) << c.mode << " " << c.input;
  }
}
