// The simulated OpenAL table: sources and buffers live in the active recorder; deleting a
// buffer a source holds fails with AL_INVALID_OPERATION as in OpenAL.
#include "tests/support/al_recorder.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <algorithm>
#include <utility>

#include "devices/al_api.h"

namespace {
AlRecorder* active = nullptr;
int dummyDevice, dummyContext;

void Rec(const char* name) {
  if (active) active->calls.push_back(name);
}
}  // namespace

struct AlRecorderHooks {
  static void* OpenDevice(const char*) {
    Rec("OpenDevice");
    return active->failure == AlRecorder::kOpenDevice ? nullptr : &dummyDevice;
  }
  static bool CloseDevice(void*) { return Rec("CloseDevice"), true; }
  static void* CreateContext(void*, const int*) {
    Rec("CreateContext");
    return active->failure == AlRecorder::kCreateContext ? nullptr : &dummyContext;
  }
  static bool MakeContextCurrent(void*) {
    return Rec("MakeContextCurrent"), active->failure != AlRecorder::kMakeCurrent;
  }
  static void DestroyContext(void*) { Rec("DestroyContext"); }
  static void GetIntegerv(void*, int param, int, int* values) {
    Rec("GetIntegerv");
    if (param == ALC_CONNECTED) *values = active->connected;
  }
  static void DevicePause(void*) { Rec("DevicePause"); }
  static void DeviceResume(void*) { Rec("DeviceResume"); }
  static void Reload() { Rec("Reload"); }
  static void DistanceModel(int) { Rec("DistanceModel"); }
  static int GetError() { return Rec("GetError"), std::exchange(active->pendingError_, AL_NO_ERROR); }
  static void GenSources(int n, unsigned int* names) {
    Rec("GenSources");
    for (int i = 0; i < n; ++i) active->sources[names[i] = active->nextName_++] = AlRecorder::Source();
  }
  static void DeleteSources(int n, const unsigned int* names) {
    Rec("DeleteSources");
    for (int i = 0; i < n; ++i) active->sources.erase(names[i]);
  }
  static void GenBuffers(int n, unsigned int* names) {
    Rec("GenBuffers");
    for (int i = 0; i < n; ++i) active->buffers.push_back(names[i] = active->nextName_++);
  }
  static void DeleteBuffers(int n, const unsigned int* names) {
    Rec("DeleteBuffers");
    for (int i = 0; i < n; ++i) {
      for (auto& s : active->sources) {
        if (s.second.buffer == names[i]) return void(active->pendingError_ = AL_INVALID_OPERATION);
      }
    }
    auto& b = active->buffers;
    for (int i = 0; i < n; ++i) b.erase(std::remove(b.begin(), b.end(), names[i]), b.end());
  }
  static void BufferData(unsigned int buffer, int format, const void*, int size, int) {
    Rec("BufferData");
    active->bufferBytes[buffer] = size;
    active->bufferFormats[buffer] = format;
  }
  // The named source, or null with AL_INVALID_NAME pending, as OpenAL reports it.
  static AlRecorder::Source* Find(const char* call, unsigned int source) {
    Rec(call);
    auto it = active->sources.find(source);
    if (it != active->sources.end()) return &it->second;
    active->pendingError_ = AL_INVALID_NAME;
    return nullptr;
  }
  static void Sourcei(unsigned int source, int param, int value) {
    if (AlRecorder::Source* s = Find("Sourcei", source)) {
      if (param == AL_BUFFER) s->buffer = static_cast<unsigned int>(value);
      if (param == AL_LOOPING) s->looping = value != 0;
      if (param == AL_SAMPLE_OFFSET) s->offset = value;
    }
  }
  static void Sourcef(unsigned int source, int param, float value) {
    if (AlRecorder::Source* s = Find("Sourcef", source)) {
      if (param == AL_GAIN) s->gain = value;
      if (param == AL_PITCH) s->pitch = value;
    }
  }
  static void Source3f(unsigned int source, int param, float x, float y, float z) {
    AlRecorder::Source* s = Find("Source3f", source);
    if (s && param == AL_POSITION) s->position[0] = x, s->position[1] = y, s->position[2] = z;
  }
  static void GetSourcei(unsigned int source, int param, int* value) {
    AlRecorder::Source* s = Find("GetSourcei", source);
    if (s && param == AL_SOURCE_STATE) *value = s->state;
    if (s && param == AL_SAMPLE_OFFSET) *value = s->offset;
  }
  static void GetSource3f(unsigned int source, int param, float* x, float* y, float* z) {
    AlRecorder::Source* s = Find("GetSource3f", source);
    if (s && param == AL_POSITION) *x = s->position[0], *y = s->position[1], *z = s->position[2];
  }
  static void SourcePlay(unsigned int source) {
    if (AlRecorder::Source* s = Find("SourcePlay", source)) s->state = AL_PLAYING;
  }
  static void SourcePause(unsigned int source) {
    AlRecorder::Source* s = Find("SourcePause", source);
    if (s && s->state == AL_PLAYING) s->state = AL_PAUSED;
  }
  static void SourceStop(unsigned int source) {
    if (AlRecorder::Source* s = Find("SourceStop", source)) s->state = AL_STOPPED;
  }
};

AlRecorder::AlRecorder(Failure f) : failure(f) {
  active = this;
  using H = AlRecorderHooks;
  vgAl = VgAlApi{H::OpenDevice,  H::CloseDevice,   H::CreateContext, H::MakeContextCurrent,
                 H::DestroyContext, H::GetIntegerv, H::DevicePause, H::DeviceResume,
                 H::Reload,      H::DistanceModel, H::GetError,      H::GenSources,
                 H::DeleteSources, H::GenBuffers,  H::DeleteBuffers, H::BufferData,
                 H::Sourcei,     H::Sourcef,       H::Source3f,      H::GetSourcei,
                 H::GetSource3f, H::SourcePlay,    H::SourcePause,   H::SourceStop};
}

AlRecorder::~AlRecorder() {
  if (active == this) active = nullptr;
  vgAlBindSystem();
}

void AlRecorder::Finish(unsigned int source) {
  auto it = sources.find(source);
  if (it != sources.end() && it->second.state == AL_PLAYING) it->second.state = AL_STOPPED;
}

int AlRecorder::Count(const std::string& name) const {
  return static_cast<int>(std::count(calls.begin(), calls.end(), name));
}

bool AlRecorder::BufferLive(unsigned int name) const {
  return std::find(buffers.begin(), buffers.end(), name) != buffers.end();
}
