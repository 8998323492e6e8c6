// VgGlfwGame::PrefetchAudioData, TakeAudioData and FetchAudioData: one worker thread, started
// by the first prefetch, decodes the requested files in order. The main thread opens each
// file (through OpenFile, so asset paths resolve as for every load) and keys it by its path;
// the worker sees only the open file and plain bytes, never a String or a collected object.
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "host/glfw_game.h"
#include "host/media.h"

struct VgAudioPrefetch {
  struct Job {
    std::string key;
    FILE* file;
    bool ogg;
  };
  struct Result {
    unsigned char* data = nullptr;
    int length = 0, channels = 0, format = 0, hertz = 0;
  };

  std::mutex lock;
  std::condition_variable changed;
  std::deque<Job> queue;
  std::string working;  // the key being decoded, empty when idle
  std::map<std::string, Result> done;
  bool stop = false;
  std::thread worker;

  ~VgAudioPrefetch() {
    {
      std::lock_guard<std::mutex> hold(lock);
      stop = true;
      changed.notify_all();
    }
    if (worker.joinable()) worker.join();
    for (Job& job : queue) std::fclose(job.file);
    for (auto& entry : done) std::free(entry.second.data);
  }

  bool Known(const std::string& key) const {
    if (working == key || done.count(key)) return true;
    for (const Job& job : queue) {
      if (job.key == key) return true;
    }
    return false;
  }

  void Work() {
    // Below the main thread and the rest of the desktop: the decode has the loader's stages
    // and the title menu to finish in, and must not take the frame's time from them.
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 10);
    std::unique_lock<std::mutex> hold(lock);
    for (;;) {
      changed.wait(hold, [this] { return stop || !queue.empty(); });
      if (stop) return;
      Job job = queue.front();
      queue.pop_front();
      working = job.key;
      hold.unlock();
      Result r;
      r.data = job.ogg ? vgLoadOGG(job.file, &r.length, &r.channels, &r.format, &r.hertz)
                       : vgLoadWAV(job.file, &r.length, &r.channels, &r.format, &r.hertz);
      std::fclose(job.file);
      hold.lock();
      done[job.key] = r;
      working.clear();
      changed.notify_all();
    }
  }
};

void VgGlfwGame::PrefetchAudioData(String path) {
  if (!_prefetch) _prefetch = std::make_shared<VgAudioPrefetch>();
  VgAudioPrefetch& p = *_prefetch;
  std::string key = path.ToUtf8();
  {
    std::lock_guard<std::mutex> hold(p.lock);
    if (p.Known(key)) return;
  }
  String lower = path.ToLower();
  bool ogg = lower.EndsWith(String(".ogg"));
  if (!ogg && !lower.EndsWith(String(".wav"))) return;
  FILE* file = OpenFile(path, String("rb"));
  if (!file) return;
  if (!vgIsRegularFile(file)) return void(std::fclose(file));
  std::lock_guard<std::mutex> hold(p.lock);
  p.queue.push_back({key, file, ogg});
  if (!p.worker.joinable()) p.worker = std::thread([&p] { p.Work(); });
  p.changed.notify_all();
}

unsigned char* VgGlfwGame::TakeAudioData(String path, int* length, int* channels, int* format, int* hertz) {
  if (_prefetch) {
    VgAudioPrefetch& p = *_prefetch;
    std::string key = path.ToUtf8();
    std::unique_lock<std::mutex> hold(p.lock);
    if (p.Known(key)) {
      p.changed.wait(hold, [&] { return p.done.count(key) != 0; });
      VgAudioPrefetch::Result r = p.done[key];
      p.done.erase(key);
      *length = r.length, *channels = r.channels, *format = r.format, *hertz = r.hertz;
      return r.data;
    }
  }
  return LoadAudioData(path, length, channels, format, hertz);
}

unsigned char* VgGlfwGame::FetchAudioData(String path, int* length, int* channels, int* format,
                                         int* hertz, bool* waiting) {
  *waiting = false;
  if (!path.ToLower().EndsWith(String(".ogg"))) {
    return LoadAudioData(path, length, channels, format, hertz);
  }
  PrefetchAudioData(path);
  if (!_prefetch) return nullptr;
  VgAudioPrefetch& p = *_prefetch;
  std::string key = path.ToUtf8();
  std::lock_guard<std::mutex> hold(p.lock);
  auto done = p.done.find(key);
  if (done == p.done.end()) {
    *waiting = p.Known(key);  // not known: the file could not be opened
    return nullptr;
  }
  VgAudioPrefetch::Result r = done->second;
  p.done.erase(done);
  *length = r.length, *channels = r.channels, *format = r.format, *hertz = r.hertz;
  return r.data;
}
