// The generator is deterministic: a fresh run writes, byte for byte, the files of the build's
// data folder, which an earlier run of the same generator wrote.
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/assets/assets_support.h"

namespace fs = std::filesystem;

namespace {
std::map<std::string, std::string> files(const fs::path& root) {
  std::map<std::string, std::string> out;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    if (!e.is_regular_file()) continue;
    std::ifstream in(e.path(), std::ios::binary);
    out[fs::relative(e.path(), root).string()].assign(std::istreambuf_iterator<char>(in), {});
  }
  return out;
}
}  // namespace

TEST(Determinism, AFreshRunWritesTheSameBytesAsTheBuild) {
  ASSERT_TRUE(fs::exists(assets::kData + "/gfx.png")) << "build the vantorell_data target first";
  char pattern[] = "/tmp/vg_assets_XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  std::string dir = std::string(pattern) + "/data";
  ASSERT_EQ(std::system(("'" VG_ASSETGEN "' '" + dir + "' > /dev/null").c_str()), 0);
  auto fresh = files(dir), built = files(assets::kData);
  EXPECT_GT(fresh.size(), 80u);
  for (const auto& [name, bytes] : built) EXPECT_TRUE(fresh.count(name) && fresh[name] == bytes) << name;
  for (const auto& [name, bytes] : fresh) EXPECT_TRUE(built.count(name)) << name << " is new";
  fs::remove_all(pattern);
}
