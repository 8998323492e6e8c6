// The persistent state file: exact bytes on disk, round trips, result codes that leave the
// old file alone, and saves killed at any moment (SIGKILL) leaving the old or the new record.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>

#include "host/files.h"
#include "tests/host/child_process.h"
#include "tests/runtime/string_print.h"

namespace fs = std::filesystem;
namespace {
class StateFile : public ::testing::Test {
 protected:
  void SetUp() override {
    // A memory file system where there is one: what a kill leaves behind does not depend on
    // the disk, and hundreds of fsyncs stay cheap on a busy machine.
    std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string pattern = base + "/vg_state_XXXXXX";
    ASSERT_NE(mkdtemp(&pattern[0]), nullptr);
    dir_ = pattern;
    file_ = dir_ + "/.tarvikstate";
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string bytes() {
    std::ifstream in(file_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // Removes and counts the files beside the state file (left-over temporaries).
  int strays() {
    int n = 0;
    for (const auto& entry : fs::directory_iterator(dir_))
      if (entry.path() != file_) n += fs::remove_all(entry.path()) > 0;
    return n;
  }
  int save(const String& state) { return vg_files::SaveStateAt(file_.c_str(), state); }

  std::string dir_, file_;
};

// Record n: its number, then a body whose length varies, so a torn write shows.
std::string record(int n) {
  std::string text = std::to_string(n) + ":";
  for (int i = 0, len = 1 + static_cast<int>(n * 7919LL % 60000); i < len; ++i)
    text += static_cast<char>('a' + (n + i) % 26);
  return text + ".";
}
}  // namespace

TEST_F(StateFile, SavesExactlyTheUtf8BytesAndLoadsThemBackFromTheWorkingFolder) {
  const Char text[] = {'s', 0xe9, '=', 0x20ac, '1'};
  EXPECT_EQ(save(String(text, 5)), 0);
  EXPECT_EQ(bytes(), "s\xc3\xa9=\xe2\x82\xac" "1");
  EXPECT_EQ(vg_files::LoadStateAt(file_.c_str()), String(text, 5));
  EXPECT_EQ(save(String()), 0);
  EXPECT_TRUE(fs::exists(file_));
  EXPECT_EQ(bytes(), "");
  EXPECT_EQ(strays(), 0);

  fs::remove(file_);
  ChildResult r = RunInChild([&] {
    if (chdir(dir_.c_str()) != 0) _exit(10);
    if (!vg_files::LoadState().IsEmpty()) _exit(11);  // an absent file is an empty state
    _exit(vg_files::SaveState(String("v=1")) == 0 && vg_files::LoadState() == String("v=1") ? 0 : 12);
  });
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(bytes(), "v=1");
}

TEST_F(StateFile, FailedSavesGiveTheirCodesAndKeepTheOldFile) {
  ASSERT_EQ(save(String("old")), 0);
  // Permission bits do not stop root, so a root run drops to an unprivileged user first.
  ChildResult unwritable = RunInChild([&] {
    if (geteuid() == 0 ? setgid(65534) || setuid(65534) : chmod(dir_.c_str(), 0555)) _exit(20);
    _exit(save(String("new")) == -1 ? 0 : 21);
  });
  chmod(dir_.c_str(), 0755);
  EXPECT_EQ(unwritable.status, 0);
  // A file size limit stops the write of a longer record short (EFBIG, not SIGXFSZ).
  ChildResult short_write = RunInChild([&] {
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit = {2, 2};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(30);
    _exit(save(String("a longer record")) == -2 ? 0 : 31);
  });
  EXPECT_EQ(short_write.status, 0);
  EXPECT_EQ(bytes(), "old");
  EXPECT_EQ(strays(), 0);
  std::ofstream(dir_ + "/plain") << "x";  // a "folder" that is a regular file, root or not
  EXPECT_EQ(vg_files::SaveStateAt((dir_ + "/plain/.tarvikstate").c_str(), String("new")), -1);
}

TEST_F(StateFile, KilledSaverNeverLeavesATornRecord) {
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
        if (save(String(record(n).c_str())) != 0 || write(fds[1], "", 1) != 1) _exit(40);
    }
    close(fds[1]);
    int reported = 0, wanted = 5 + static_cast<int>(rng() % 8);
    char buf[256];
    for (ssize_t n; reported < wanted && (n = read(fds[0], buf, 1)) != 0;) reported += n > 0;
    std::this_thread::sleep_for(std::chrono::microseconds(rng() % 3000));
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) != 0;) reported += n > 0 ? n : 0;
    close(fds[0]);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the saver failed by itself in round " << round;
    ASSERT_GE(reported, wanted);
    // The last reported record, or the next one if the kill came between rename and report.
    std::string text = bytes();
    ASSERT_TRUE(text == record(first + reported - 1) || text == record(first + reported))
        << "round " << round << ": torn state of " << text.size() << " bytes";
    strays();  // an interrupted save may leave its temporary behind, never in place of the state
  }
}
