// Binds the AL call table to OpenAL Soft. The ALC entry points take and return the library's
// own device and context types, so they go through small adapters to the table's opaque ones.
#include "devices/al_api.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <cstdlib>
#include <type_traits>

static_assert(std::is_same_v<ALenum, int> && std::is_same_v<ALint, int> &&
                  std::is_same_v<ALsizei, int> && std::is_same_v<ALuint, unsigned int> &&
                  std::is_same_v<ALfloat, float>,
              "AL typedefs differ from the call table's types");

namespace {

// The program ends through exit() from wherever it stands, so the library's own device and
// context are closed at exit; otherwise OpenAL reports every run as ending with a device
// left open. Only what these adapters opened is closed, whatever table is bound by then.
ALCdevice* openDevice = nullptr;
ALCcontext* openContext = nullptr;

void CloseAtExit() {
  if (openContext) {
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(openContext);
  }
  if (openDevice) alcCloseDevice(openDevice);
  openContext = nullptr;
  openDevice = nullptr;
}

void* OpenDevice(const char* name) {
  static bool registered = std::atexit(CloseAtExit) == 0;
  (void)registered;
  ALCdevice* device = alcOpenDevice(name);
  if (device) openDevice = device;
  return device;
}
bool CloseDevice(void* device) {
  if (device == openDevice) openDevice = nullptr;
  return alcCloseDevice(static_cast<ALCdevice*>(device)) != 0;
}
void* CreateContext(void* device, const int* attributes) {
  ALCcontext* context = alcCreateContext(static_cast<ALCdevice*>(device), attributes);
  if (context) openContext = context;
  return context;
}
bool MakeContextCurrent(void* context) {
  return alcMakeContextCurrent(static_cast<ALCcontext*>(context)) != 0;
}
void DestroyContext(void* context) {
  if (context == openContext) openContext = nullptr;
  alcDestroyContext(static_cast<ALCcontext*>(context));
}

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
