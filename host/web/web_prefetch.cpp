// A page's stand-in for host/audio_prefetch.cpp. A page has no thread to decode on, so the
// requested tunes decode on the main thread in slices, one slice after each frame's work
// (PageDecodeSlice of host/web/web_loop.h, from the page's loop), then are copied into the
// browser's sound buffer the same way, so a tune that starts costs its frame neither the
// decode nor the copy. Called by the audio device like the desktop's.
#include <emscripten.h>

#include <algorithm>
#include <cstdlib>
#include <list>
#include <string>
#include <vector>

#include "host/glfw_game.h"
#include "host/media.h"
#include "host/web/web_loop.h"

// host/web/web_audio.js: a decoded tune's samples copied into the browser's own sound buffer
// a piece at a time (the total so far, or -1 where the browser cannot), then offered to the
// sound device's next upload of those samples, which would otherwise copy them all at once.
extern "C" int vgPrepareTune(int id, const short* samples, int channels, int hertz, int frames,
                             int from, int count);
extern "C" void vgOfferTune(int id, const short* samples);

namespace {
// Sample frames copied per call while a frame has time left: well under a millisecond.
constexpr int kPrepareFrames = 16384;
}  // namespace

struct VgAudioPrefetch {
  struct Job {
    std::string key;
    int id = 0;
    std::vector<unsigned char> bytes;  // the file, until the decoder opens it
    VgOggDecode decode;
    // The decoded tune, once the decode has finished, and how much of it the browser's
    // buffer has (-1: none will be made).
    unsigned char* data = nullptr;
    int length = 0, channels = 0, format = 0, hertz = 0;
    int prepared = 0;
    bool opened = false, decoded = false;

    ~Job() { std::free(data); }
    bool Ready() const { return decoded && (!data || prepared < 0 || prepared == length); }
    // Opening checks the whole file and sets the decoder up: several milliseconds, kept out
    // of the frame that asks for the tune (which is often the one that starts another). A
    // file that does not open leaves nothing to decode, and the tune plays as missing.
    void Open() {
      opened = true;
      decode.Open(std::move(bytes));
    }
    void Finish() {
      if (!opened) Open();
      decoded = true;
      data = decode.Take(&length, &channels, &format, &hertz);
    }
    void Prepare(int count) {
      prepared = vgPrepareTune(id, reinterpret_cast<const short*>(data), channels, hertz, length,
                               prepared, count);
    }
    // One piece of work: the opening, one Vorbis frame, or one copied piece.
    void Advance() {
      if (!opened) {
        Open();
      } else if (!decoded) {
        if (decode.Step()) Finish();
      } else {
        Prepare(kPrepareFrames);
      }
    }
  };
  // In request order; only the first unready one is being worked on.
  std::list<Job> jobs;
  int lastId = 0;

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
  p.jobs.back().id = ++p.lastId;
  p.jobs.back().bytes = std::move(bytes);
}

void VgGlfwGame::PlatformLoop::PageDecodeSlice(VgGlfwGame& game, double until) {
  if (!game._prefetch) return;
  // At least one step per call, so a busy page still gets its tunes in the end.
  for (VgAudioPrefetch::Job& job : game._prefetch->jobs) {
    while (!job.Ready()) {
      job.Advance();
      if (emscripten_get_now() >= until) return;
    }
  }
}

unsigned char* VgGlfwGame::TakeAudioData(String path, int* length, int* channels, int* format,
                                         int* hertz) {
  if (_prefetch) {
    auto job = _prefetch->Find(path.ToUtf8());
    if (job != _prefetch->jobs.end()) {
      // Whatever is not done yet is done now, as the desktop waits for its worker.
      if (!job->decoded) job->Finish();
      if (job->data && job->prepared >= 0) {
        job->Prepare(job->length);
        vgOfferTune(job->id, reinterpret_cast<const short*>(job->data));
      }
      unsigned char* data = job->data;
      *length = job->length;
      *channels = job->channels;
      *format = job->format;
      *hertz = job->hertz;
      job->data = nullptr;
      _prefetch->jobs.erase(job);
      return data;
    }
  }
  return LoadAudioData(path, length, channels, format, hertz);
}

unsigned char* VgGlfwGame::FetchAudioData(String path, int* length, int* channels, int* format,
                                         int* hertz, bool* waiting) {
  *waiting = false;
  PrefetchAudioData(path);  // tunes only
  if (_prefetch) {
    auto job = _prefetch->Find(path.ToUtf8());
    if (job != _prefetch->jobs.end() && !job->Ready()) {
      *waiting = true;
      return nullptr;
    }
  }
  return TakeAudioData(path, length, channels, format, hertz);
}
