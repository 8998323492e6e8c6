// The persistent state file: exact bytes on disk, round trips, result codes, and that a save
// interrupted at any moment (even by SIGKILL) leaves either the old or the new record.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "host/files.h"

namespace {
class StateFile : public ::testing::Test {
 protected:
  void SetUp() override {
    // A memory file system where there is one: a kill tests what the process leaves behind,
    // which does not depend on the disk, and fsync there costs nothing, so hundreds of saves
    // stay quick on a busy machine.
    struct stat st;
    bool shm = stat("/dev/shm", &st) == 0 && access("/dev/shm", W_OK) == 0;
    std::string base = shm ? "/dev/shm" : "/tmp";
    std::string pattern = base + "/vg_state_XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back(0);
    ASSERT_NE(mkdtemp(name.data()), nullptr);
    dir_ = name.data();
    file_ = dir_ + "/.tarvikstate";
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

  std::string bytes_of(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  bool exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
  }
  // Files in the folder other than the state file (left-over temporaries).
  int strays() {
    std::string cmd = "ls -A '" + dir_ + "' | grep -v '^.tarvikstate$' | wc -l";
    FILE* p = popen(cmd.c_str(), "r");
    int n = -1;
    if (p && std::fscanf(p, "%d", &n) != 1) n = -1;
    if (p) pclose(p);
    return n;
  }
  // Runs body in a child process and returns its exit status.
  template <class F>
  int in_child(F body) {
    pid_t pid = fork();
    if (pid == 0) _exit(body());
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

  std::string dir_, file_;
};

// Record number n: its number, then a body whose length varies from record to record, so a
// torn write shows as a wrong length or wrong content.
std::string record(int n) {
  std::string body = std::to_string(n) + ":";
  int len = static_cast<int>(static_cast<long long>(n) * 7919 % 60000) + 1;
  for (int i = 0; i < len; ++i) body += static_cast<char>('a' + (n + i) % 26);
  return body + ".";
}
bool is_record(const std::string& text) {
  size_t colon = text.find(':');
  if (colon == std::string::npos || colon == 0 || colon > 9) return false;
  return text == record(std::atoi(text.c_str()));
}
}  // namespace

TEST_F(StateFile, SavesExactlyTheUtf8BytesAndLoadsThemBack) {
  EXPECT_EQ(vg_files::SaveStateAt(file_.c_str(), String("abc")), 0);
  EXPECT_EQ(bytes_of(file_), "abc");

  const Char text[] = {'s', 0xe9, '=', 0x20ac, '1'};
  String state(text, 5);
  EXPECT_EQ(vg_files::SaveStateAt(file_.c_str(), state), 0);
  EXPECT_EQ(bytes_of(file_), "s\xc3\xa9=\xe2\x82\xac" "1");
  EXPECT_EQ(vg_files::LoadStateAt(file_.c_str()), state);

  EXPECT_EQ(vg_files::SaveStateAt(file_.c_str(), String()), 0);
  EXPECT_TRUE(exists(file_));
  EXPECT_EQ(bytes_of(file_), "");
  EXPECT_EQ(vg_files::LoadStateAt(file_.c_str()), String());
  EXPECT_EQ(strays(), 0);
}

TEST_F(StateFile, LivesInTheWorkingDirectory) {
  int status = in_child([&] {
    if (chdir(dir_.c_str()) != 0) return 10;
    if (!vg_files::LoadState().IsEmpty()) return 11;  // absent file: empty state
    if (vg_files::SaveState(String("v=1")) != 0) return 12;
    return vg_files::LoadState() == String("v=1") ? 0 : 13;
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(bytes_of(file_), "v=1");
}

TEST_F(StateFile, UnwritableFolderGivesMinusOneAndKeepsTheOldFile) {
  ASSERT_EQ(vg_files::SaveStateAt(file_.c_str(), String("old")), 0);
  // Permission bits do not stop root, so a root test run drops to an unprivileged user in a
  // child; a read-only folder stops everyone else.
  int status = in_child([&] {
    if (geteuid() == 0) {
      if (setgid(65534) != 0 || setuid(65534) != 0) return 20;
    } else if (chmod(dir_.c_str(), 0555) != 0) {
      return 21;
    }
    return vg_files::SaveStateAt(file_.c_str(), String("new")) == -1 ? 0 : 22;
  });
  chmod(dir_.c_str(), 0755);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(bytes_of(file_), "old");
  EXPECT_EQ(strays(), 0);

  // A folder that is really a regular file cannot hold the state, root or not.
  std::string not_folder = dir_ + "/plain";
  std::ofstream(not_folder) << "x";
  EXPECT_EQ(vg_files::SaveStateAt((not_folder + "/.tarvikstate").c_str(), String("new")), -1);
}

TEST_F(StateFile, ShortWriteGivesMinusTwoKeepsTheOldFileAndRemovesTheTemporary) {
  ASSERT_EQ(vg_files::SaveStateAt(file_.c_str(), String("old record")), 0);
  // A file size limit makes the write of a long record stop short (EFBIG, not SIGXFSZ).
  int status = in_child([&] {
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit = {4, 4};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 30;
    return vg_files::SaveStateAt(file_.c_str(), String("a much longer record")) == -2 ? 0 : 31;
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(bytes_of(file_), "old record");
  EXPECT_EQ(strays(), 0);
}

TEST_F(StateFile, KilledSaverNeverLeavesATornRecord) {
  std::mt19937 rng(4242);
  int saves = 0, rounds = 0;
  // Rounds of a child saving records back to back until SIGKILL at a random moment; it
  // reports each finished save through a pipe.
  while (saves < 300 || rounds < 25) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    int first = rounds * 1000;
    pid_t pid = fork();
    if (pid == 0) {
      close(fds[0]);
      for (int n = first;; ++n) {
        if (vg_files::SaveStateAt(file_.c_str(), String(record(n).c_str())) != 0) _exit(40);
        char done = 1;
        if (write(fds[1], &done, 1) != 1) _exit(41);
      }
    }
    close(fds[1]);
    // Kill at a random moment after the first save, so every round makes progress however
    // slow the machine (or a sanitizer build) is.
    char first_done;
    ASSERT_EQ(read(fds[0], &first_done, 1), 1);
    saves += 1;
    std::this_thread::sleep_for(std::chrono::microseconds(rng() % 8000));
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "saver ended by itself with " << WEXITSTATUS(status);
    char buf[256];
    for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;) saves += static_cast<int>(n);
    close(fds[0]);
    ++rounds;
    if (exists(file_)) {
      std::string text = bytes_of(file_);
      ASSERT_TRUE(is_record(text)) << "round " << rounds << ": torn state of " << text.size()
                                   << " bytes";
    }
    // An interrupted save may leave its temporary behind, never in place of the state.
    std::system(("rm -f '" + dir_ + "'/.tarvikstate.*.tmp").c_str());
  }
  EXPECT_TRUE(exists(file_));
  EXPECT_GE(saves, 300);
}
