// Runtime paths, whole-file loading and text decoding, the date and opening web addresses on
// real files in a scratch folder; and the same services as the framework reaches them
// through the desktop host.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "host/files.h"
#include "host/glfw_game.h"
#include "tests/runtime/string_print.h"

namespace {
class ScratchFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/vg_files_XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    dir_ = name;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string write(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_ + "/" + name, std::ios::binary) << bytes;
    return dir_ + "/" + name;
  }
  std::string dir_;
};
String units(std::initializer_list<Char> list) {
  return String(list.begin(), static_cast<int>(list.size()));
}
}  // namespace

TEST(RuntimePaths, SchemesMapBesideTheWorkingFolderAndBareAssetNamesBecomeDataPaths) {
  const std::pair<const char*, const char*> files[] = {
      {"tarvik://data/x.png", "./data/x.png"}, {"tarvik://internal/a/b", "./internal/a/b"},
      {"tarvik://external/c", "./external/c"}, {"tarvik://other/x", ""}, {"tarvik:x", ""},
      {"c:/x.png", "c:/x.png"}, {"gfx/a.png", "gfx/a.png"}};
  for (const auto& [path, file] : files) EXPECT_EQ(vg_files::PathToFilePath(String(path)), String(file));
  const std::pair<const char*, const char*> assets[] = {
      {"gfx/a.png", "tarvik://data/gfx/a.png"}, {"tarvik://data/a.png", "tarvik://data/a.png"},
      {"c:/x.wav", "c:/x.wav"}, {"./x.png", "./x.png"}, {"/x.png", "/x.png"},
      {"a/b:/c", "tarvik://data/a/b:/c"}};  // no scheme: the first slash is not after the colon
  for (const auto& [name, path] : assets) EXPECT_EQ(vg_data_FixDataPath(String(name)), String(path));

  VgGame neutral;  // only the desktop host maps runtime paths
  EXPECT_EQ(neutral.PathToFilePath("tarvik://data/x.png"), String("tarvik://data/x.png"));
  VgGlfwGame desktop;
  EXPECT_EQ(static_cast<VgGame&>(desktop).PathToFilePath("tarvik://data/x.png"), String("./data/x.png"));
}

TEST_F(ScratchFolder, TextFilesDecodeByTheirByteOrderMarkAndKeepInvalidUtf8Bytes) {
  const struct {
    std::string bytes;
    String text;
    bool invalid;
  } cases[] = {
      {"plain", String("plain"), false},
      {"\xef\xbb\xbf" "A\xc3\xa9", units({'A', 0xe9}), false},
      {std::string("\xff\xfe" "A\0B\0C", 7), String("AB"), false},  // odd byte dropped
      {std::string("\xfe\xff\0A\x20\xac\x20", 7), units({'A', 0x20ac}), false},
      {"\xe2\x82\xac", units({0x20ac}), false},
      {"A\xc3", units({'A', 0xc3}), true},  // a cut sequence
      {"\xef\xbb\xbf" "x\x80y", units({'x', 0x80, 'y'}), true},
      {"\xc3\x41", units({0xc3, 0x41}), true},  // a missing continuation byte
      {"\xf0\x9f\x98\x80", units({0xf0, 0x9f, 0x98, 0x80}), true},  // no surrogate pairs
  };
  for (const auto& c : cases) {
    FILE* f = std::fopen(write("text", c.bytes).c_str(), "rb");
    EXPECT_EQ(String::Load(f), c.text) << c.bytes;
    std::fclose(f);
    EXPECT_EQ(String::LastLoadError(), String(c.invalid ? "Invalid UTF-8" : "")) << c.bytes;
  }
}

TEST_F(ScratchFolder, WholeFilesLoadAndMissingOnesGiveEmptyResults) {
  for (int size : {0, 4096, 4097, 50000}) {  // around the 4096-byte read blocks
    std::string bytes(static_cast<size_t>(size), 'x');
    for (int i = 0; i < size; i += 97) bytes[i] = static_cast<char>('a' + i % 26);
    std::string path = write("caf\xc3\xa9.bin", bytes);  // a UTF-8 name
    int length = -1;
    unsigned char* data = vg_files::LoadData(String::FromUtf8(path.data(), static_cast<int>(path.size())), &length);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data), static_cast<size_t>(length)), bytes);
    std::free(data);
  }
  int length = 1234;
  EXPECT_EQ(vg_files::LoadData(String((dir_ + "/missing").c_str()), &length), nullptr);
  EXPECT_EQ(length, 1234) << "length untouched on failure";
  EXPECT_EQ(vg_files::LoadString(String((dir_ + "/missing").c_str())), String());
  EXPECT_EQ(vg_files::OpenFile(String("tarvik://other/x"), String("rb")), nullptr);
}

TEST_F(ScratchFolder, TheDesktopHostServesFilesAndStateFromTheWorkingFolder) {
  char old[4096];
  ASSERT_NE(getcwd(old, sizeof old), nullptr);
  ASSERT_EQ(chdir(dir_.c_str()), 0);
  VgGlfwGame desktop;
  VgGame* host = &desktop;
  EXPECT_EQ(host->LoadState(), String());
  EXPECT_EQ(host->SaveState(String("abc")), 0);
  EXPECT_EQ(host->LoadState(), String("abc"));
  mkdir("data", 0755);
  write("data/t.txt", "\xc3\xa9t");
  EXPECT_EQ(host->LoadString("tarvik://data/t.txt"), units({0xe9, 't'}));
  int length = -1;
  unsigned char* bytes = host->LoadData("tarvik://data/t.txt", &length);
  EXPECT_EQ(length, 3);
  std::free(bytes);
  EXPECT_EQ(chdir(old), 0);
}

TEST(LocalDate, FillsOnlyTheElementsTheArrayHas) {
  std::time_t now = std::time(nullptr);
  std::tm local;
  localtime_r(&now, &local);
  Array<int> full(8), three(3);
  full[7] = 77;
  vg_files::GetDate(full);
  VgGlfwGame().GetDate(three);
  EXPECT_EQ(full[0], local.tm_year + 1900);
  EXPECT_EQ(full[1], local.tm_mon + 1);
  EXPECT_EQ(full[6], 0) << "no milliseconds";
  EXPECT_EQ(full[7], 77) << "nothing beyond them";
  EXPECT_EQ(three[0], local.tm_year + 1900);
  EXPECT_GE(three[2], 1);
  vg_files::GetDate(Array<int>());  // an empty array is left alone
}

TEST_F(ScratchFolder, WebAddressGoesToXdgOpenAsOneArgumentAndIsReaped) {
  // A stand-in xdg-open first on PATH records its arguments, one per line.
  std::string fake = write("xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.args\"\n");
  chmod(fake.c_str(), 0755);
  std::string saved = std::getenv("PATH") ? std::getenv("PATH") : "";
  setenv("PATH", (dir_ + ":" + saved).c_str(), 1);
  const char* url = "https://example.invalid/a b;touch pwned $(id) `id`&x=1";
  int pid = vg_files::OpenUrl(String(url));
  setenv("PATH", saved.c_str(), 1);
  ASSERT_GT(pid, 0);
  // Nobody waits for the child, yet it is reaped: its /proc entry goes away.
  std::string proc = "/proc/" + std::to_string(pid);
  for (int i = 0; i < 500 && access(proc.c_str(), F_OK) == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_NE(access(proc.c_str(), F_OK), 0) << "xdg-open left as a zombie";
  std::ifstream args(fake + ".args");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(args), {}), std::string(url) + "\n");
  EXPECT_NE(access((dir_ + "/pwned").c_str(), F_OK), 0) << "no shell ran the address";
}
