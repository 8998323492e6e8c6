// Runtime paths mapped to files, whole-file loading, the atomic state file, the local date
// and opening a web address. Forwarded to by the host class (VgGame/VgGlfwGame) and used
// by VgDataBuffer; POSIX file calls stay in this file, what the platforms do differently is
// asked of host/platform.h.
#include "host/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "host/platform.h"
#include "runtime/fatal.h"
#include "runtime/file_read.h"


String vg_data_FixDataPath(const String& path) {
  int colon = path.Find(String(":/"));
  if (colon != -1 && path.Find(String("/")) == colon + 1) return path;
  if (path.StartsWith(String("./")) || path.StartsWith(String("/"))) return path;
  return String("tarvik://data/") + path;
}

namespace vg_files {

String PathToFilePath(const String& path) {
  static const struct {
    const char* scheme;
    const char* folder;
  } kSchemes[] = {
      {"tarvik://data/", vg_platform::DataFolder()},
      {"tarvik://internal/", "./internal/"},
      {"tarvik://external/", "./external/"},
  };
  if (!path.StartsWith(String("tarvik:"))) return path;
  for (const auto& s : kSchemes) {
    String scheme(s.scheme);
    if (path.StartsWith(scheme)) return String(s.folder) + path.Slice(scheme.Length());
  }
  return String();
}

FILE* OpenFile(const String& path, const String& mode) {
  String file = PathToFilePath(path);
  if (file.IsEmpty()) return nullptr;
  return std::fopen(file.ToUtf8().c_str(), mode.ToNarrow().c_str());
}

String LoadString(const String& path) {
  FILE* f = OpenFile(path, String("rb"));
  if (!f) return String();
  String text = String::Load(f);
  std::fclose(f);
  return text;
}

unsigned char* LoadData(const String& path, int* length) {
  FILE* f = OpenFile(path, String("rb"));
  if (!f) return nullptr;
  std::vector<unsigned char> bytes;
  vgReadRest(f, bytes);
  std::fclose(f);
  // A length that does not fit the int the caller receives is a file it cannot load.
  if (bytes.size() > static_cast<size_t>(INT32_MAX)) return nullptr;
  // One byte more than needed so an empty file still gives a block the caller can free.
  unsigned char* data = static_cast<unsigned char*>(std::malloc(bytes.size() + 1));
  if (!data) dbg_error("Out of memory");
  if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
  *length = static_cast<int>(bytes.size());
  return data;
}

String LoadStateAt(const char* file_path) {
  FILE* f = std::fopen(file_path, "rb");
  if (!f) return String();
  String text = String::Load(f);
  std::fclose(f);
  return text;
}

String LoadState() { return LoadStateAt("./.tarvikstate"); }

namespace {
bool write_all(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// The folder's own entry must reach the disk too, or the rename can be lost in a crash.
void sync_folder(const std::string& folder) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}
}  // namespace

int SaveStateAt(const char* file_path, const String& state) {
  std::string target(file_path);
  size_t slash = target.rfind('/');
  std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
  // One temporary per process, so two running copies of the game never share one.
  std::string temp = target + "." + std::to_string(::getpid()) + ".tmp";

  std::string bytes;
  vgEncodeUtf8(state, bytes);

  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0666);
  if (fd < 0) return -1;
  bool written = write_all(fd, bytes) && ::fsync(fd) == 0;
  if (::close(fd) != 0) written = false;
  if (!written) {
    ::unlink(temp.c_str());
    return -2;
  }
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    ::unlink(temp.c_str());
    return -1;
  }
  sync_folder(folder);
  return 0;
}

int SaveState(const String& state) {
  int result = SaveStateAt("./.tarvikstate", state);
  if (result == 0) vg_platform::StateSaved();
  return result;
}

void GetDate(Array<int> date) {
  int n = date.Length();
  if (n <= 0) return;
  std::time_t now = std::time(nullptr);
  std::tm local;
  localtime_r(&now, &local);
  const int fields[] = {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                        local.tm_min,         local.tm_sec,     0};
  for (int i = 0; i < n && i < 7; ++i) date[i] = fields[i];
}

int OpenUrl(const String& url) { return vg_platform::OpenUrl(url.ToNarrow()); }

}  // namespace vg_files
