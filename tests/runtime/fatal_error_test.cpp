// Fatal errors and console output through a child process: the exact lines on standard
// output and standard error, the debugger's answers on standard input, and the exit status.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

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
}  // namespace

TEST(FatalError, DebuggerAnswersDecideTheStatusAndTheLines) {
  const struct {
    const char *mode, *input;
    int status;
    std::string out, err;
  } cases[] = {
      {"error", "", 255, kBoom, kAsk},                    // end of input
      {"error", "q\n", 0, kBoom, kAsk},                   // quit
      {"error", "r\n", 255, kBoom + kBoom, kAsk + kAsk},  // resume reports the error again
      {"error", "s\ne\nq\n", 0, kBoom + kBoom + kBoom, kAsk + kAsk + kAsk},
      {"error", "?\nq\n", 0, kBoom, kAsk},               // "?" only reads the next line
      {"error", "@0\nq\n", 0, kBoom, kAsk + "\n"},       // a null object's debug text is empty
      {"error", "xyz\n", 255, kBoom + "????? xyz ?????", kAsk},
      {"error", "q", 255, kBoom, kAsk},  // a line without its line feed is the end of input
      {"quit", "", 0, "", ""},           // an empty message ends the program at once
  };
  for (const auto& c : cases) {
    Outcome o = run_child(c.mode, c.input);
    EXPECT_EQ(o.status, c.status) << c.input;
    EXPECT_EQ(o.out, c.out) << c.input;
    EXPECT_EQ(o.err, c.err) << c.input;
  }
}

#ifdef __has_feature
#define VG_HAS_FEATURE(x) __has_feature(x)
#else
#define VG_HAS_FEATURE(x) 0
#endif
TEST(FatalError, SignalsAndAnExhaustedHeapEndWithTheirMessages) {
  std::vector<std::pair<std::string, const char*>> cases = {
      {std::to_string(SIGSEGV), "Memory access violation"},
      {std::to_string(SIGILL), "Illegal instruction"},
      {std::to_string(SIGFPE), "Floating point exception"},
      {std::to_string(SIGUSR1), "Unknown signal"},
      {"oom-array", "Out of memory"}};
#if !defined(__SANITIZE_ADDRESS__) && !VG_HAS_FEATURE(address_sanitizer)
  cases.push_back({"oom-heap", "Out of memory"});  // an address-space limit defeats the sanitizer
#endif
  for (const auto& [mode, message] : cases) {
    Outcome o = run_child(mode, "");  // a number is the signal the child raises
    EXPECT_EQ(o.status, 255) << message;
    EXPECT_EQ(o.out, std::string("Tarvik Runtime Error : ") + message + "\n\n");
    EXPECT_EQ(o.err, kAsk) << message;
  }
}

TEST(ConsoleOutput, LinesAreUtf8UnitByUnitAndEndAtACharacter0) {
  Outcome o = run_child("print", "");
  // U+00E9 is C3 A9, U+20AC is E2 82 AC; each surrogate is encoded on its own.
  EXPECT_EQ(o.out, "A\xc3\xa9\xe2\x82\xac\xed\xa0\xbd\xed\xb8\x80Z\nxdone\n");
}
