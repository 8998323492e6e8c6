// Runtime paths, whole-file loading and text decoding, the date and opening web addresses,
// checked on real files in a scratch folder.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <thread>

#include "host/files.h"
#include "tests/runtime/string_print.h"

namespace {
class ScratchFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/vg_files_XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    dir_ = name;
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

  std::string write(const std::string& name, const std::string& bytes) {
    std::string path = dir_ + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  // String::Load of a file holding exactly these bytes.
  String load(const std::string& bytes) {
    FILE* f = std::fopen(write("text", bytes).c_str(), "rb");
    String s = String::Load(f);
    std::fclose(f);
    return s;
  }
  static String units(std::initializer_list<Char> list) {
    return String(list.begin(), static_cast<int>(list.size()));
  }

  std::string dir_;
};
}  // namespace

TEST(RuntimePaths, SchemesMapToFoldersBesideTheWorkingDirectory) {
  using vg_files::PathToFilePath;
  EXPECT_EQ(PathToFilePath(String("tarvik://data/x.png")), String("./data/x.png"));
  EXPECT_EQ(PathToFilePath(String("tarvik://internal/a/b")), String("./internal/a/b"));
  EXPECT_EQ(PathToFilePath(String("tarvik://external/c")), String("./external/c"));
  EXPECT_EQ(PathToFilePath(String("tarvik://other/x")), String());
  EXPECT_EQ(PathToFilePath(String("tarvik:x")), String());
  EXPECT_EQ(PathToFilePath(String("c:/x.png")), String("c:/x.png"));
  EXPECT_EQ(PathToFilePath(String("gfx/a.png")), String("gfx/a.png"));
  EXPECT_EQ(vg_files::OpenFile(String("tarvik://other/x"), String("rb")), nullptr);
}

TEST(RuntimePaths, BareAssetNamesBecomeDataPaths) {
  EXPECT_EQ(vg_data_FixDataPath(String("gfx/a.png")), String("tarvik://data/gfx/a.png"));
  EXPECT_EQ(vg_data_FixDataPath(String("snd/a.wav")), String("tarvik://data/snd/a.wav"));
  EXPECT_EQ(vg_data_FixDataPath(String("tarvik://data/gfx/a.png")),
            String("tarvik://data/gfx/a.png"));
  EXPECT_EQ(vg_data_FixDataPath(String("c:/x.wav")), String("c:/x.wav"));
  EXPECT_EQ(vg_data_FixDataPath(String("./x.png")), String("./x.png"));
  EXPECT_EQ(vg_data_FixDataPath(String("/x.png")), String("/x.png"));
  // The first slash is not right after the colon: not a scheme.
  EXPECT_EQ(vg_data_FixDataPath(String("a/b:/c")), String("tarvik://data/a/b:/c"));
}

TEST_F(ScratchFolder, TextFilesDecodeByTheirByteOrderMark) {
  EXPECT_EQ(load(""), String());
  EXPECT_EQ(load("plain"), String("plain"));
  EXPECT_EQ(load("\xef\xbb\xbf" "A\xc3\xa9"), units({'A', 0xe9}));
  EXPECT_EQ(load("\xef\xbb\xbf"), String());
  EXPECT_EQ(load(std::string("\xff\xfe" "A\0B\0", 6)), String("AB"));
  EXPECT_EQ(load(std::string("\xff\xfe" "A\0B\0C", 7)), String("AB")) << "odd byte dropped";
  EXPECT_EQ(load(std::string("\xfe\xff\0A\x20\xac", 6)), units({'A', 0x20ac}));
  EXPECT_EQ(load(std::string("\xfe\xff\0A\x20", 5)), String("A")) << "odd byte dropped";
  EXPECT_EQ(load("\xfe\xff"), String());
  // No surrogate pairs are formed: a four-byte sequence is invalid, not two units.
  EXPECT_EQ(load("\xe2\x82\xac"), units({0x20ac}));
  EXPECT_TRUE(String::LastLoadError().IsEmpty());
}

TEST_F(ScratchFolder, InvalidUtf8KeepsTheBytesAndSetsTheLoadError) {
  EXPECT_EQ(load("A\xc3"), units({0x41, 0xc3}));
  EXPECT_EQ(String::LastLoadError(), String("Invalid UTF-8"));
  EXPECT_EQ(load("ok"), String("ok"));
  EXPECT_TRUE(String::LastLoadError().IsEmpty()) << "cleared by the next load";
  EXPECT_EQ(load("\xef\xbb\xbf" "x\x80y"), units({'x', 0x80, 'y'})) << "mark stays skipped";
  EXPECT_EQ(load("\xe2\x82"), units({0xe2, 0x82}));
  EXPECT_EQ(load("\xf0\x9f\x98\x80"), units({0xf0, 0x9f, 0x98, 0x80}));
  EXPECT_EQ(load("\xc3\x41"), units({0xc3, 0x41})) << "missing continuation byte";
  EXPECT_EQ(String::LastLoadError(), String("Invalid UTF-8"));
}

TEST_F(ScratchFolder, LongFilesAreReadWhole) {
  // Sizes around the 4096-byte read blocks.
  for (int size : {4095, 4096, 4097, 3 * 4096, 50000}) {
    std::string bytes(static_cast<size_t>(size), 'x');
    for (int i = 0; i < size; i += 97) bytes[static_cast<size_t>(i)] = static_cast<char>('a' + i % 26);
    EXPECT_EQ(load(bytes).ToUtf8(), bytes) << size;
    std::string path = write("data.bin", bytes);
    int length = -1;
    unsigned char* data = vg_files::LoadData(String(path.c_str()), &length);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(length, size);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data), static_cast<size_t>(length)), bytes);
    std::free(data);
  }
}

TEST_F(ScratchFolder, MissingFilesGiveEmptyResults) {
  String missing((dir_ + "/missing").c_str());
  int length = 1234;
  EXPECT_EQ(vg_files::LoadData(missing, &length), nullptr);
  EXPECT_EQ(length, 1234) << "length untouched on failure";
  EXPECT_EQ(vg_files::LoadString(missing), String());
  EXPECT_EQ(vg_files::LoadString(String("tarvik://nowhere/x")), String());

  std::string empty = write("empty", "");
  unsigned char* data = vg_files::LoadData(String(empty.c_str()), &length);
  EXPECT_NE(data, nullptr);
  EXPECT_EQ(length, 0);
  std::free(data);
  std::string text = write("t.txt", "\xc3\xa9t\xc3\xa9");
  EXPECT_EQ(vg_files::LoadString(String(text.c_str())), units({0xe9, 't', 0xe9}));
}

TEST_F(ScratchFolder, Utf8PathsOpenTheirFiles) {
  std::string path = write("caf\xc3\xa9.txt", "ok");
  String name = String::FromUtf8(path.data(), static_cast<int>(path.size()));
  ASSERT_EQ(name[name.Length() - 5], 0xe9);
  EXPECT_EQ(vg_files::LoadString(name), String("ok"));
}

TEST(LocalDate, FillsOnlyTheElementsTheArrayHas) {
  std::time_t before = std::time(nullptr);
  Array<int> full(8);
  full[7] = 77;
  vg_files::GetDate(full);
  std::tm local;
  localtime_r(&before, &local);
  EXPECT_EQ(full[0], local.tm_year + 1900);
  EXPECT_EQ(full[1], local.tm_mon + 1);
  EXPECT_GE(full[1], 1);
  EXPECT_LE(full[1], 12);
  EXPECT_EQ(full[6], 0);
  EXPECT_EQ(full[7], 77) << "nothing beyond the milliseconds";

  Array<int> three(3);
  vg_files::GetDate(three);
  EXPECT_EQ(three[0], local.tm_year + 1900);
  EXPECT_GE(three[2], 1);
  vg_files::GetDate(Array<int>());  // an empty array is left alone
}

TEST_F(ScratchFolder, WebAddressGoesToXdgOpenAsOneArgumentAndIsReaped) {
  // A stand-in xdg-open first on PATH records its arguments, one per line.
  std::string fake = write("xdg-open", "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$0.args\"\n");
  chmod(fake.c_str(), 0755);
  const char* old = std::getenv("PATH");
  std::string saved = old ? old : "";
  setenv("PATH", (dir_ + ":" + saved).c_str(), 1);
  const char* url = "https://example.invalid/a b;touch pwned $(id) `id`&x=1";
  int pid = vg_files::OpenUrl(String(url));
  setenv("PATH", saved.c_str(), 1);
  ASSERT_GT(pid, 0);

  // The child is reaped without anyone waiting for it: its /proc entry goes away.
  std::string proc = "/proc/" + std::to_string(pid);
  struct stat st;
  for (int i = 0; i < 500 && stat(proc.c_str(), &st) == 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_NE(stat(proc.c_str(), &st), 0) << "xdg-open left as a zombie";
  std::ifstream args(fake + ".args");
  std::string all((std::istreambuf_iterator<char>(args)), std::istreambuf_iterator<char>());
  EXPECT_EQ(all, std::string(url) + "\n");
  EXPECT_NE(stat((dir_ + "/pwned").c_str(), &st), 0) << "no shell ran the address";
}
