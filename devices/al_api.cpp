// Binds the AL call table to OpenAL Soft, loaded at run time so it can be unloaded and loaded
// again (see Reload in al_api.h). The ALC entry points take and return the library's own
// device and context types, so they go through small adapters to the table's opaque ones.
#include "devices/al_api.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <cstdlib>
#include <type_traits>

#include "host/library.h"

static_assert(std::is_same_v<ALenum, int> && std::is_same_v<ALint, int> &&
                  std::is_same_v<ALsizei, int> && std::is_same_v<ALuint, unsigned int> &&
                  std::is_same_v<ALfloat, float>,
              "AL typedefs differ from the call table's types");

namespace {

void* library = nullptr;
struct {
  ALCdevice* (*openDevice)(const ALCchar*);
  ALCboolean (*closeDevice)(ALCdevice*);
  ALCcontext* (*createContext)(ALCdevice*, const ALCint*);
  ALCboolean (*makeContextCurrent)(ALCcontext*);
  void (*destroyContext)(ALCcontext*);
  void (*getIntegerv)(ALCdevice*, ALCenum, ALCsizei, ALCint*);
  void* (*getProcAddress)(ALCdevice*, const ALCchar*);
  void (*devicePause)(ALCdevice*);
  void (*deviceResume)(ALCdevice*);
} alc;
VgAlApi loaded{};  // the AL entry points of the loaded library

// The program ends through exit() from wherever it stands, so the library's own device and
// context are closed at exit; otherwise OpenAL reports every run as ending with a device
// left open. Only what these adapters opened is closed, whatever table is bound by then.
ALCdevice* openDevice = nullptr;
ALCcontext* openContext = nullptr;

void CloseAtExit() {
  if (openContext) {
    alc.makeContextCurrent(nullptr);
    alc.destroyContext(openContext);
  }
  if (openDevice) alc.closeDevice(openDevice);
  openContext = nullptr;
  openDevice = nullptr;
}

VgAlApi Bound();

template <typename T>
bool Bind(T& slot, const char* name) {
  slot = reinterpret_cast<T>(vgLibrarySymbol(library, name));
  return slot != nullptr;
}

#ifdef __EMSCRIPTEN__
// A page's OpenAL (over the browser's Web Audio) is part of the program itself: its entry
// points are taken as linked, and the library only counts as loaded.
#define VG_AL_BIND(slot, name) (slot = reinterpret_cast<decltype(slot)>(&name), true)
#else
#define VG_AL_BIND(slot, name) Bind(slot, #name)
#endif

// Loads the library and fills `alc` and `loaded`; false (and nothing loaded) when the library
// or one of the entry points the device needs is missing.
bool Load() {
  if (library) return true;
  library = vgLibraryOpen("libopenal.so.1");
  bool ok = library &&
            VG_AL_BIND(alc.openDevice, alcOpenDevice) &&
            VG_AL_BIND(alc.closeDevice, alcCloseDevice) &&
            VG_AL_BIND(alc.createContext, alcCreateContext) &&
            VG_AL_BIND(alc.makeContextCurrent, alcMakeContextCurrent) &&
            VG_AL_BIND(alc.destroyContext, alcDestroyContext) &&
            VG_AL_BIND(alc.getIntegerv, alcGetIntegerv) &&
            VG_AL_BIND(alc.getProcAddress, alcGetProcAddress) &&
            VG_AL_BIND(loaded.DistanceModel, alDistanceModel) &&
            VG_AL_BIND(loaded.GetError, alGetError) &&
            VG_AL_BIND(loaded.GenSources, alGenSources) &&
            VG_AL_BIND(loaded.DeleteSources, alDeleteSources) &&
            VG_AL_BIND(loaded.GenBuffers, alGenBuffers) &&
            VG_AL_BIND(loaded.DeleteBuffers, alDeleteBuffers) &&
            VG_AL_BIND(loaded.BufferData, alBufferData) &&
            VG_AL_BIND(loaded.Sourcei, alSourcei) && VG_AL_BIND(loaded.Sourcef, alSourcef) &&
            VG_AL_BIND(loaded.Source3f, alSource3f) &&
            VG_AL_BIND(loaded.GetSourcei, alGetSourcei) &&
            VG_AL_BIND(loaded.GetSource3f, alGetSource3f) &&
            VG_AL_BIND(loaded.SourcePlay, alSourcePlay) &&
            VG_AL_BIND(loaded.SourcePause, alSourcePause) &&
            VG_AL_BIND(loaded.SourceStop, alSourceStop);
  if (!ok) {
    vgLibraryClose(library);
    library = nullptr;
    return false;
  }
  // Extension entry points are known to the library without a device; null where it lacks them.
  alc.devicePause = reinterpret_cast<void (*)(ALCdevice*)>(alc.getProcAddress(nullptr, "alcDevicePauseSOFT"));
  alc.deviceResume = reinterpret_cast<void (*)(ALCdevice*)>(alc.getProcAddress(nullptr, "alcDeviceResumeSOFT"));
  return true;
}

void* OpenDevice(const char* name) {
  static bool registered = std::atexit(CloseAtExit) == 0;
  (void)registered;
  if (!library && Load()) vgAl = Bound();
  if (!library) return nullptr;
  ALCdevice* device = alc.openDevice(name);
  if (device) openDevice = device;
  return device;
}
bool CloseDevice(void* device) {
  if (device == openDevice) openDevice = nullptr;
  return library && alc.closeDevice(static_cast<ALCdevice*>(device)) != 0;
}
void* CreateContext(void* device, const int* attributes) {
  ALCcontext* context = library ? alc.createContext(static_cast<ALCdevice*>(device), attributes) : nullptr;
  if (context) openContext = context;
  return context;
}
bool MakeContextCurrent(void* context) {
  return library && alc.makeContextCurrent(static_cast<ALCcontext*>(context)) != 0;
}
void DestroyContext(void* context) {
  if (context == openContext) openContext = nullptr;
  if (library) alc.destroyContext(static_cast<ALCcontext*>(context));
}
void GetIntegerv(void* device, int param, int size, int* values) {
  if (library) alc.getIntegerv(static_cast<ALCdevice*>(device), param, size, values);
}
void DevicePause(void* device) {
  if (library && alc.devicePause) alc.devicePause(static_cast<ALCdevice*>(device));
}
void DeviceResume(void* device) {
  if (library && alc.deviceResume) alc.deviceResume(static_cast<ALCdevice*>(device));
}
void Reload() {
  if (!library || openDevice || openContext) return;
  vgLibraryClose(library);
  library = nullptr;
  Load();
  vgAl = Bound();
}

// Without the library the AL entry points do nothing (the device makes no AL call without a
// device anyway).
constexpr VgAlApi SilentAl() {
  VgAlApi api{};
  api.OpenDevice = OpenDevice;
  api.CloseDevice = CloseDevice;
  api.CreateContext = CreateContext;
  api.MakeContextCurrent = MakeContextCurrent;
  api.DestroyContext = DestroyContext;
  api.GetIntegerv = GetIntegerv;
  api.DevicePause = DevicePause;
  api.DeviceResume = DeviceResume;
  api.Reload = Reload;
  api.DistanceModel = [](int) {};
  api.GetError = []() { return static_cast<int>(AL_NO_ERROR); };
  api.GenSources = [](int n, unsigned int* names) { for (int i = 0; i < n; ++i) names[i] = 0; };
  api.DeleteSources = [](int, const unsigned int*) {};
  api.GenBuffers = [](int n, unsigned int* names) { for (int i = 0; i < n; ++i) names[i] = 0; };
  api.DeleteBuffers = [](int, const unsigned int*) {};
  api.BufferData = [](unsigned int, int, const void*, int, int) {};
  api.Sourcei = [](unsigned int, int, int) {};
  api.Sourcef = [](unsigned int, int, float) {};
  api.Source3f = [](unsigned int, int, float, float, float) {};
  api.GetSourcei = [](unsigned int, int, int*) {};
  api.GetSource3f = [](unsigned int, int, float*, float*, float*) {};
  api.SourcePlay = [](unsigned int) {};
  api.SourcePause = [](unsigned int) {};
  api.SourceStop = [](unsigned int) {};
  return api;
}

// The system table: the adapters above and, once the library is loaded, its AL entry points.
VgAlApi Bound() {
  VgAlApi api = SilentAl();
  if (!library) return api;
  api.DistanceModel = loaded.DistanceModel;
  api.GetError = loaded.GetError;
  api.GenSources = loaded.GenSources;
  api.DeleteSources = loaded.DeleteSources;
  api.GenBuffers = loaded.GenBuffers;
  api.DeleteBuffers = loaded.DeleteBuffers;
  api.BufferData = loaded.BufferData;
  api.Sourcei = loaded.Sourcei;
  api.Sourcef = loaded.Sourcef;
  api.Source3f = loaded.Source3f;
  api.GetSourcei = loaded.GetSourcei;
  api.GetSource3f = loaded.GetSource3f;
  api.SourcePlay = loaded.SourcePlay;
  api.SourcePause = loaded.SourcePause;
  api.SourceStop = loaded.SourceStop;
  return api;
}

}  // namespace

// Loaded at start-up, so the table holds the library's own entry points from the first call
// on (a test may wrap one of them) unless the library is loaded afresh.
VgAlApi vgAl = (Load(), Bound());

void vgAlBindSystem() { vgAl = Bound(); }
