// The one seam between the audio device and OpenAL 1.1 with its context API: a table of the
// AL and ALC entry points the device uses. The program binds it to OpenAL Soft
// (vgAlBindSystem); tests may bind a recorder. Devices and contexts are opaque pointers here.
#pragma once

struct VgAlApi {
  // ALC
  void* (*OpenDevice)(const char* name);
  bool (*CloseDevice)(void* device);
  void* (*CreateContext)(void* device, const int* attributes);
  bool (*MakeContextCurrent)(void* context);
  void (*DestroyContext)(void* context);
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

// The table every device call goes through. Starts bound to OpenAL Soft.
extern VgAlApi vgAl;

void vgAlBindSystem();
