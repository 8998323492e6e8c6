// Binds the AL call table to OpenAL Soft. The ALC entry points take and return the library's
// own device and context types, so they go through small adapters to the table's opaque ones.
#include "devices/al_api.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <type_traits>

static_assert(std::is_same_v<ALenum, int> && std::is_same_v<ALint, int> &&
                  std::is_same_v<ALsizei, int> && std::is_same_v<ALuint, unsigned int> &&
                  std::is_same_v<ALfloat, float>,
              "AL typedefs differ from the call table's types");

namespace {

void* OpenDevice(const char* name) { return alcOpenDevice(name); }
bool CloseDevice(void* device) { return alcCloseDevice(static_cast<ALCdevice*>(device)) != 0; }
void* CreateContext(void* device, const int* attributes) {
  return alcCreateContext(static_cast<ALCdevice*>(device), attributes);
}
bool MakeContextCurrent(void* context) {
  return alcMakeContextCurrent(static_cast<ALCcontext*>(context)) != 0;
}
void DestroyContext(void* context) { alcDestroyContext(static_cast<ALCcontext*>(context)); }

// constexpr so the table is filled at compile time, before any constructor could play.
constexpr VgAlApi SystemAl() {
  VgAlApi api{};
  api.OpenDevice = OpenDevice;
  api.CloseDevice = CloseDevice;
  api.CreateContext = CreateContext;
  api.MakeContextCurrent = MakeContextCurrent;
  api.DestroyContext = DestroyContext;
  api.DistanceModel = alDistanceModel;
  api.GetError = alGetError;
  api.GenSources = alGenSources;
  api.DeleteSources = alDeleteSources;
  api.GenBuffers = alGenBuffers;
  api.DeleteBuffers = alDeleteBuffers;
  api.BufferData = alBufferData;
  api.Sourcei = alSourcei;
  api.Sourcef = alSourcef;
  api.Source3f = alSource3f;
  api.GetSourcei = alGetSourcei;
  api.GetSource3f = alGetSource3f;
  api.SourcePlay = alSourcePlay;
  api.SourcePause = alSourcePause;
  api.SourceStop = alSourceStop;
  return api;
}

}  // namespace

VgAlApi vgAl = SystemAl();

void vgAlBindSystem() { vgAl = SystemAl(); }
