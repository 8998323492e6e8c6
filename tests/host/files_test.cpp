// Text decoding by byte-order mark; whole files and the state file (exact bytes, failure
// codes, and saves killed by SIGKILL leaving the old or the new record) on real files in a
// scratch folder, directly and through the desktop host.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "host/files.h"
#include "host/glfw_game.h"
#include "tests/runtime/string_print.h"

namespace fs = std::filesystem;
namespace {
class Files : public ::testing::Test {
 protected:
  // A memory file system where there is one: what a kill leaves behind does not depend on the
  // disk, and hundreds of fsyncs stay cheap on a busy machine.
  void SetUp() override {
    ASSERT_NE(mkdtemp(&dir_[0]), nullptr);
    state_ = dir_ + "/.tarvikstate";
  }
  void TearDown() override { fs::remove_all(dir_); }
  static std::string read(const std::string& path) {
    return std::string(std::istreambuf_iterator<char>(std::ifstream(path, std::ios::binary).rdbuf()), {});
  }
  int strays() {  // removes and counts the files beside the state file
    int n = 0;
    for (const auto& entry : fs::directory_iterator(dir_))
      if (entry.path() != state_) n += fs::remove_all(entry.path()) > 0;
    return n;
  }
  int save(const String& state) { return vg_files::SaveStateAt(state_.c_str(), state); }
  std::string dir_ = (access("/dev/shm", W_OK) ? "/tmp" : "/dev/shm") + std::string("/vg_XXXXXX");
  std::string state_;
};
String units(std::initializer_list<Char> list) {
  return String(list.begin(), static_cast<int>(list.size()));
}
// Record n: its number, then a body whose length and letter vary, so a torn write shows.
std::string record(int n) {
  return std::to_string(n) + ":" + std::string(1 + n * 7919LL % 60000, 'a' + n % 26) + ".";
}
}  // namespace

TEST_F(Files, TextFilesDecodeByTheirByteOrderMarkAndKeepInvalidUtf8Bytes) {
  const struct {
    std::string bytes;
    String text;
    bool invalid;
  } cases[] = {
      {"plain", String("plain"), false},
      {"\xef\xbb\xbf" "A\xc3\xa9", units({'A', 0xe9}), false},
      {std::string("\xff\xfe" "A\0B\0C", 7), String("AB"), false},  // odd byte dropped
      {std::string("\xfe\xff\0A\x20\xac\x20", 7), units({'A', 0x20ac}), false},
      {"A\xc3", units({'A', 0xc3}), true},  // a cut sequence
      {"\xef\xbb\xbf" "x\x80y", units({'x', 0x80, 'y'}), true},
      {"\xc3\x41", units({0xc3, 0x41}), true},  // a missing continuation byte
      {"\xf0\x9f\x98\x80", units({0xf0, 0x9f, 0x98, 0x80}), true},  // no surrogate pairs
  };
  for (const auto& c : cases) {
    FILE* f = fmemopen(const_cast<char*>(c.bytes.data()), c.bytes.size(), "rb");
    EXPECT_EQ(String::Load(f), c.text) << c.bytes;
    std::fclose(f);
    EXPECT_EQ(String::LastLoadError(), String(c.invalid ? "Invalid UTF-8" : "")) << c.bytes;
  }
}

TEST_F(Files, TheDesktopHostLoadsWholeFilesAndKeepsTheStateInTheWorkingFolder) {
  auto run = [&] {  // in a child, as the working folder changes
    VgGlfwGame desktop;
    if (chdir(dir_.c_str()) || mkdir("data", 0755) || !desktop.LoadState().IsEmpty()) _exit(10);
    for (int size : {0, 4096, 4097, 50000}) {  // around the 4096-byte read blocks
      std::string bytes(static_cast<size_t>(size), 'x');
      for (int i = 0; i < size; i += 97) bytes[i] = static_cast<char>('a' + i % 26);
      std::ofstream("data/caf\xc3\xa9", std::ios::binary) << bytes;  // a UTF-8 name
      int length = -1;
      auto data = desktop.LoadData(String::FromUtf8("tarvik://data/caf\xc3\xa9", 19), &length);
      if (!data || std::string(reinterpret_cast<char*>(data), length) != bytes) _exit(11);
      std::free(data);
    }
    int length = 1234;  // a missing file leaves the length alone
    if (desktop.LoadData("tarvik://data/none", &length) || length != 1234) _exit(12);
    if (!desktop.LoadString("tarvik://data/none").IsEmpty()) _exit(13);
    _exit(desktop.SaveState(String("v=1")) || desktop.LoadState() != String("v=1") ? 15 : 0);
  };
  EXPECT_EXIT(run(), ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(read(state_), "v=1");
}

TEST_F(Files, TheStateFileHoldsExactlyTheUtf8BytesAndFailedSavesKeepTheOldOne) {
  const Char text[] = {'s', 0xe9, '=', 0x20ac, '1'};
  EXPECT_EQ(save(String(text, 5)), 0);
  EXPECT_EQ(read(state_), "s\xc3\xa9=\xe2\x82\xac" "1");
  EXPECT_EQ(vg_files::LoadStateAt(state_.c_str()), String(text, 5));
  EXPECT_EQ(save(String()), 0);
  EXPECT_TRUE(fs::exists(state_) && read(state_).empty());
  ASSERT_EQ(save(String("old")), 0);
  // Permission bits do not stop root, so a root run drops to an unprivileged user first.
  auto unwritable = [&] {
    if (geteuid() == 0 ? setgid(65534) || setuid(65534) : chmod(dir_.c_str(), 0555)) _exit(20);
    _exit(save(String("new")) == -1 ? 0 : 21);
  };
  EXPECT_EXIT(unwritable(), ::testing::ExitedWithCode(0), "");
  chmod(dir_.c_str(), 0755);
  auto shortWrite = [&] {  // a size limit stops the write short (EFBIG)
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit = {2, 2};
    _exit(setrlimit(RLIMIT_FSIZE, &limit) || save(String("a longer record")) != -2 ? 30 : 0);
  };
  EXPECT_EXIT(shortWrite(), ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(read(state_), "old");
  EXPECT_EQ(strays(), 0) << "the temporary is removed";
}

TEST_F(Files, KilledSaverNeverLeavesATornRecord) {
  // Each round a child saves records back to back and reports every finished save through a
  // pipe; it is killed after a random number of reports and a random pause. The rounds are
  // counted, not timed: a slow machine only moves where the kills land. At least 300 saves.
  std::mt19937 rng(4242);
  for (int round = 0; round < 60; ++round) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const int first = round * 100000;
    pid_t pid = fork();
    if (pid == 0) {
      close(fds[0]);
      for (int n = first;; ++n)
        if (save(String(record(n).c_str())) != 0 || ::write(fds[1], "", 1) != 1) _exit(40);
    }
    close(fds[1]);
    int reported = 0, wanted = 5 + static_cast<int>(rng() % 8);
    char buf[256];
    for (ssize_t n; reported < wanted && (n = ::read(fds[0], buf, 1)) != 0;) reported += n > 0;
    std::this_thread::sleep_for(std::chrono::microseconds(rng() % 3000));
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) != 0;) reported += n > 0 ? n : 0;
    close(fds[0]);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the saver failed by itself in round " << round;
    ASSERT_GE(reported, wanted);
    // The last reported record, or the next one if the kill came between rename and report.
    std::string text = read(state_);
    ASSERT_TRUE(text == record(first + reported - 1) || text == record(first + reported))
        << "round " << round << ": torn state of " << text.size() << " bytes";
    strays();  // an interrupted save may leave its temporary behind, never in place of the state
  }
}
