// A page's stand-in for host/audio_prefetch.cpp. A page has no thread to decode on, so the
// requested tunes decode on the main thread in slices, one slice after each frame's work
// (PageDecodeSlice, from the page's loop), and a tune that starts takes decoded samples
// instead of stopping a frame for the whole decode. Called by the audio device like the
// desktop's.
#include <emscripten.h>

#include <algorithm>
#include <list>
#include <string>

#include "host/glfw_game.h"
#include "host/media.h"

struct VgAudioPrefetch {
  struct Job {
    std::string key;
    VgOggDecode decode;
    bool done = false;
  };
  // In request order; only the first unfinished one is being decoded.
  std::list<Job> jobs;

  std::list<Job>::iterator Find(const std::string& key) {
    return std::find_if(jobs.begin(), jobs.end(), [&](const Job& job) { return job.key == key; });
  }
};

void VgGlfwGame::PrefetchAudioData(String path) {
  if (!_prefetch) _prefetch = std::make_shared<VgAudioPrefetch>();
  VgAudioPrefetch& p = *_prefetch;
  std::string key = path.ToUtf8();
  // Short sounds load whole when played; only tunes are worth decoding ahead.
  if (p.Find(key) != p.jobs.end() || !path.ToLower().EndsWith(String(".ogg"))) return;
  FILE* file = OpenFile(path, String("rb"));
  if (!file) return;
  std::vector<unsigned char> bytes;
  bool read = vgIsRegularFile(file) && vgReadRest(file, bytes);
  std::fclose(file);
  if (!read) return;
  p.jobs.emplace_back();
  p.jobs.back().key = key;
  // A file that does not open as a tune is left to fail again, quietly, when it is played.
  if (!p.jobs.back().decode.Open(std::move(bytes))) p.jobs.pop_back();
}

void VgGlfwGame::PageDecodeSlice(double until) {
  if (!_prefetch) return;
  // At least one Vorbis frame per call, so a busy page still gets its tunes in the end.
  for (VgAudioPrefetch::Job& job : _prefetch->jobs) {
    if (job.done) continue;
    do {
      job.done = job.decode.Step();
    } while (!job.done && emscripten_get_now() < until);
    if (emscripten_get_now() >= until) return;
  }
}

unsigned char* VgGlfwGame::TakeAudioData(String path, int* length, int* channels, int* format,
                                         int* hertz) {
  if (_prefetch) {
    auto job = _prefetch->Find(path.ToUtf8());
    if (job != _prefetch->jobs.end()) {
      // Whatever is not decoded yet is decoded now, as the desktop waits for its worker.
      unsigned char* data = job->decode.Take(length, channels, format, hertz);
      _prefetch->jobs.erase(job);
      return data;
    }
  }
  return LoadAudioData(path, length, channels, format, hertz);
}
