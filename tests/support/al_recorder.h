// A stand-in for OpenAL behind the audio device's call table: a small simulation of sources
// (state, buffer, looping, gain, pitch, position) and buffers, with the one error OpenAL
// raises when a buffer still attached to a source is deleted. Tests decide when a sound
// ends (Finish), whether the device or context can be had and whether the device stays
// connected. One recorder at a time.
#pragma once
#include <map>
#include <string>
#include <vector>

class AlRecorder {
 public:
  enum Failure { kNone, kOpenDevice, kCreateContext, kMakeCurrent };

  struct Source {
    int state = 0x1011;  // AL_INITIAL
    unsigned int buffer = 0;
    bool looping = false;
    float gain = 1, pitch = 1;
    float position[3] = {0, 0, 0};
    int offset = 0;  // AL_SAMPLE_OFFSET as last set
  };

  explicit AlRecorder(Failure failure = kNone);
  ~AlRecorder();
  AlRecorder(const AlRecorder&) = delete;
  AlRecorder& operator=(const AlRecorder&) = delete;

  Failure failure;
  bool connected = true;  // ALC_CONNECTED; false as when the output has gone
  std::vector<std::string> calls;  // entry point names, e.g. "SourcePlay"
  std::map<unsigned int, Source> sources;
  std::vector<unsigned int> buffers;  // generated and not deleted
  std::map<unsigned int, int> bufferBytes, bufferFormats;  // as BufferData last gave them

  // The sound on that source has played to its end.
  void Finish(unsigned int source);
  int Count(const std::string& name) const;
  bool BufferLive(unsigned int name) const;

 private:
  friend struct AlRecorderHooks;
  unsigned int nextName_ = 1;
  int pendingError_ = 0;
};
