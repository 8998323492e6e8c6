// The host's file, state and date services as the framework reaches them through VgGame:
// the desktop host maps runtime paths where the neutral base does not, and state saved
// through the host comes back through it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "host/glfw_game.h"

namespace {

// Runs each test in a fresh folder, since the state file lives in the working directory.
class HostServices : public ::testing::Test {
 protected:
  void SetUp() override {
    char dir[] = "/tmp/vg_host_servicesXXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    folder = dir;
    ASSERT_NE(getcwd(old, sizeof old), nullptr);
    ASSERT_EQ(chdir(dir), 0);
  }
  void TearDown() override {
    ASSERT_EQ(chdir(old), 0);
    std::system(("rm -rf " + folder).c_str());
  }
  std::string folder;
  char old[4096];
};

TEST_F(HostServices, OnlyTheDesktopHostMapsRuntimePaths) {
  VgGame neutral;
  EXPECT_EQ(neutral.PathToFilePath("tarvik://data/x.png"), String("tarvik://data/x.png"));
  VgGlfwGame desktop;
  VgGame* host = &desktop;
  EXPECT_EQ(host->PathToFilePath("tarvik://data/x.png"), String("./data/x.png"));
  EXPECT_EQ(host->PathToFilePath("tarvik://other/x"), String(""));
  EXPECT_EQ(host->PathToFilePath("c:/x.png"), String("c:/x.png"));
}

TEST_F(HostServices, StateSavedThroughTheHostLoadsBackAndFilesOpenThroughIt) {
  VgGlfwGame desktop;
  VgGame* host = &desktop;
  EXPECT_EQ(host->LoadState(), String(""));
  EXPECT_EQ(host->SaveState(String("abc\xc3\xa9")), 0);
  EXPECT_EQ(host->LoadState(), String("abc\xc3\xa9"));

  ASSERT_EQ(mkdir("data", 0755), 0);
  FILE* f = std::fopen("data/t.txt", "wb");
  ASSERT_NE(f, nullptr);
  std::fputs("hi", f);
  std::fclose(f);
  EXPECT_EQ(host->LoadString("tarvik://data/t.txt"), String("hi"));
  int length = -1;
  unsigned char* bytes = host->LoadData("tarvik://data/t.txt", &length);
  ASSERT_NE(bytes, nullptr);
  EXPECT_EQ(length, 2);
  EXPECT_EQ(bytes[1], 'i');
  std::free(bytes);
  FILE* opened = host->OpenFile("tarvik://data/t.txt", "rb");
  ASSERT_NE(opened, nullptr);
  std::fclose(opened);
  EXPECT_EQ(host->OpenFile("tarvik://data/missing.txt", "rb"), nullptr);
}

TEST_F(HostServices, GetDateFillsOnlyWhatTheArrayHolds) {
  VgGlfwGame desktop;
  Array<int> date(3);
  desktop.GetDate(date);
  EXPECT_GE(date[0], 2024);
  EXPECT_GE(date[1], 1);
  EXPECT_LE(date[1], 12);
  EXPECT_GE(date[2], 1);
  EXPECT_LE(date[2], 31);
}

}  // namespace
