// Fatal errors and console output through a child process: the exact lines on standard
// output and standard error, the debugger commands on standard input, and the exit codes.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace {
struct Outcome {
  int status = -1;  // exit status, or 128 + signal when killed
  std::string out, err;
};

std::string drain(int fd) {
  std::string text;
  char buf[4096];
  for (;;) {
    ssize_t n = read(fd, buf, sizeof buf);
    if (n <= 0) break;
    text.append(buf, static_cast<size_t>(n));
  }
  close(fd);
  return text;
}

Outcome run_child(const char* mode, const std::string& input) {
  int in[2], out[2], err[2];
  EXPECT_EQ(pipe(in), 0);
  EXPECT_EQ(pipe(out), 0);
  EXPECT_EQ(pipe(err), 0);
  pid_t pid = fork();
  if (pid == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    dup2(err[1], 2);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) close(fd);
    // A sanitizer build must let the heap say no instead of aborting.
    setenv("ASAN_OPTIONS", "allocator_may_return_null=1:detect_leaks=0", 1);
    execl(VG_FATAL_CHILD, VG_FATAL_CHILD, mode, static_cast<char*>(nullptr));
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  close(err[1]);
  Outcome o;
  std::thread writer([&] {
    // The child may exit before reading everything; a broken pipe is fine here.
    signal(SIGPIPE, SIG_IGN);
    if (!input.empty()) (void)!write(in[1], input.data(), input.size());
    close(in[1]);
  });
  std::thread err_reader([&] { o.err = drain(err[0]); });
  o.out = drain(out[0]);
  err_reader.join();
  writer.join();
  int status = 0;
  waitpid(pid, &status, 0);
  o.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return o;
}

const std::string kHandshake = "{{~~~~}}\n\n";
}  // namespace

TEST(FatalError, EndOfInputEndsWithStatus255AndTheExactLines) {
  Outcome o = run_child("error", "");
  EXPECT_EQ(o.status, 255);
  EXPECT_EQ(o.out, "Tarvik Runtime Error : Boom\n\n");
  EXPECT_EQ(o.err, kHandshake);
}

TEST(FatalError, DebuggerCommandsDecideWhatHappensNext) {
  Outcome quit = run_child("error", "q\n");
  EXPECT_EQ(quit.status, 0);
  EXPECT_EQ(quit.out, "Tarvik Runtime Error : Boom\n\n");

  // "r" resumes, so the error is reported again and the debugger is asked again.
  Outcome again = run_child("error", "r\n");
  EXPECT_EQ(again.status, 255);
  EXPECT_EQ(again.out, "Tarvik Runtime Error : Boom\n\nTarvik Runtime Error : Boom\n\n");
  EXPECT_EQ(again.err, kHandshake + kHandshake);

  Outcome steps = run_child("error", "s\ne\nl\nq\n");
  EXPECT_EQ(steps.status, 0);
  EXPECT_EQ(steps.err, kHandshake + kHandshake + kHandshake + kHandshake);

  // "?" only reads the next line.
  Outcome help = run_child("error", "?\nq\n");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.err, kHandshake);

  Outcome unknown = run_child("error", "xyz\n");
  EXPECT_EQ(unknown.status, 255);
  EXPECT_EQ(unknown.out, "Tarvik Runtime Error : Boom\n\n????? xyz ?????");

  // A last line without its line feed counts as the end of input.
  Outcome cut = run_child("error", "q");
  EXPECT_EQ(cut.status, 255);
}

TEST(FatalError, AtSignWritesTheObjectsDebugText) {
  Outcome null = run_child("error", "@0\nq\n");
  EXPECT_EQ(null.status, 0);
  EXPECT_EQ(null.err, kHandshake + "\n");

  // The child prints a live object's address first; the parent answers the debugger with it.
  int in[2], out[2];
  ASSERT_EQ(pipe(in), 0);
  ASSERT_EQ(pipe(out), 0);
  pid_t pid = fork();
  if (pid == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    dup2(out[1], 2);
    for (int fd : {in[0], in[1], out[0], out[1]}) close(fd);
    setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
    execl(VG_FATAL_CHILD, VG_FATAL_CHILD, "object", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  std::string seen;
  char c;
  while (seen.find('\n') == std::string::npos && read(out[0], &c, 1) == 1) seen += c;
  std::string address = seen.substr(0, seen.find('\n'));
  std::string command = "@" + address + "\nq\n";
  ASSERT_EQ(write(in[1], command.data(), command.size()), static_cast<ssize_t>(command.size()));
  close(in[1]);
  std::string rest = drain(out[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_NE(rest.find("+Object\n\n"), std::string::npos) << rest;
}

TEST(FatalError, SignalsBecomeFatalErrorsWithTheirMessages) {
  const struct {
    const char* mode;
    const char* message;
  } cases[] = {{"segv", "Memory access violation"},
               {"ill", "Illegal instruction"},
               {"fpe", "Floating point exception"},
               {"usr1", "Unknown signal"}};
  for (const auto& c : cases) {
    Outcome o = run_child(c.mode, "");
    EXPECT_EQ(o.status, 255) << c.mode;
    EXPECT_EQ(o.out, std::string("Tarvik Runtime Error : ") + c.message + "\n\n") << c.mode;
    EXPECT_EQ(o.err, kHandshake) << c.mode;
  }
}

TEST(FatalError, EmptyMessageEndsQuietlyWithStatus0) {
  Outcome o = run_child("quit", "");
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(o.err, "");
}

TEST(FatalError, ExhaustedHeapEndsWithOutOfMemory) {
  Outcome array = run_child("oom-array", "");
  EXPECT_EQ(array.status, 255);
  EXPECT_EQ(array.out, "Tarvik Runtime Error : Out of memory\n\n");
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "an address-space limit cannot be combined with the address sanitizer";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
  GTEST_SKIP() << "an address-space limit cannot be combined with the address sanitizer";
#endif
#endif
  Outcome heap = run_child("oom-heap", "");
  EXPECT_EQ(heap.status, 255);
  EXPECT_EQ(heap.out, "Tarvik Runtime Error : Out of memory\n\n");
}

TEST(ConsoleOutput, LinesAreUtf8UnitByUnitAndEndAtACharacter0) {
  Outcome o = run_child("print", "");
  EXPECT_EQ(o.status, 0);
  // U+00E9 is C3 A9, U+20AC is E2 82 AC; each surrogate is encoded on its own.
  EXPECT_EQ(o.out,
            "A\xc3\xa9\xe2\x82\xac\xed\xa0\xbd\xed\xb8\x80Z\n"
            "x"
            "done\n");
}
