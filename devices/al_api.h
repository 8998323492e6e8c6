// The one seam between the audio device and OpenAL 1.1 with its context API: a table of the
// AL and ALC entry points the device uses. The program binds it to OpenAL Soft, loaded when
// the first device is opened (vgAlBindSystem); tests may bind a recorder. Devices and
// contexts are opaque pointers here.
#pragma once

struct VgAlApi {
  // ALC
  void* (*OpenDevice)(const char* name);
  bool (*CloseDevice)(void* device);
  void* (*CreateContext)(void* device, const int* attributes);
  bool (*MakeContextCurrent)(void* context);
  void (*DestroyContext)(void* context);
  void (*GetIntegerv)(void* device, int param, int size, int* values);
  // Stop and restart the device's mixing altogether (ALC_SOFT_pause_device); nothing where
  // the library lacks them.
  void (*DevicePause)(void* device);
  void (*DeviceResume)(void* device);
  // Unloads the library and loads it again, so it looks for its outputs afresh (one that
  // found no sound server at its start never looks again). Only while nothing of it is open.
  void (*Reload)();
  // AL
  void (*DistanceModel)(int model);
  int (*GetError)();
  void (*GenSources)(int n, unsigned int* sources);
  void (*DeleteSources)(int n, const unsigned int* sources);
  void (*GenBuffers)(int n, unsigned int* buffers);
  void (*DeleteBuffers)(int n, const unsigned int* buffers);
  void (*BufferData)(unsigned int buffer, int format, const void* data, int size, int freq);
  void (*Sourcei)(unsigned int source, int param, int value);
  void (*Sourcef)(unsigned int source, int param, float value);
  void (*Source3f)(unsigned int source, int param, float x, float y, float z);
  void (*GetSourcei)(unsigned int source, int param, int* value);
  void (*GetSource3f)(unsigned int source, int param, float* x, float* y, float* z);
  void (*SourcePlay)(unsigned int source);
  void (*SourcePause)(unsigned int source);
  void (*SourceStop)(unsigned int source);
};

// The table every device call goes through. Starts bound to OpenAL Soft: until a device is
// opened the AL entry points do nothing, and without the library no device opens.
extern VgAlApi vgAl;

void vgAlBindSystem();
