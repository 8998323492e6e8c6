// Two runs of the generator write the same files byte for byte, and the build's own data
// folder is exactly what the generator writes now.
#include <dirent.h>
#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <map>

#include "tests/assets/assets_support.h"

using namespace assets;

namespace {

void list_files(const std::string& root, const std::string& rel, std::map<std::string, std::string>& out) {
  DIR* d = opendir((root + "/" + rel).c_str());
  if (!d) return;
  while (dirent* e = readdir(d)) {
    std::string n = e->d_name;
    if (n == "." || n == "..") continue;
    std::string r = rel.empty() ? n : rel + "/" + n;
    struct stat st;
    if (stat((root + "/" + r).c_str(), &st) != 0) continue;
    if (S_ISDIR(st.st_mode)) {
      list_files(root, r, out);
    } else {
      std::ifstream in(root + "/" + r, std::ios::binary);
      out[r].assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
  }
  closedir(d);
}

void expect_same_tree(const std::string& a, const std::string& b) {
  std::map<std::string, std::string> fa, fb;
  list_files(a, "", fa);
  list_files(b, "", fb);
  EXPECT_GT(fa.size(), 80u);
  EXPECT_EQ(fa.size(), fb.size());
  for (const auto& [name, bytes] : fa) {
    auto it = fb.find(name);
    if (it == fb.end()) {
      ADD_FAILURE() << name << " missing from " << b;
      continue;
    }
    EXPECT_TRUE(bytes == it->second) << name << " differs";
  }
}

}  // namespace

TEST(Determinism, TwoRunsWriteTheSameBytesAsTheBuild) {
  ASSERT_FALSE(data_dir().empty()) << "build the vantorell_data target first";
  std::string first = temp_dir("first"), second = temp_dir("second");
  ASSERT_FALSE(first.empty() || second.empty());
  ASSERT_TRUE(run_generator(first));
  ASSERT_TRUE(run_generator(second));
  expect_same_tree(first, second);
  expect_same_tree(first, data_dir());
  std::system(("rm -rf '" + first + "' '" + second + "'").c_str());
}
