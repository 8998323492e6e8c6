// Image and sound decoders behind VgGlfwGame::LoadImageData and LoadAudioData (media.cpp).
// Free functions on an open file so tests and fuzz targets can call them without a window.
// Every result is a block the caller frees with std::free(), or null when the input is bad.
#pragma once
#include <cstddef>
#include <cstdio>
#include <vector>

#include "runtime/file_read.h"  // vgReadRest, which the decoders read files with

// Largest image side and pixel count accepted, so a forged header cannot ask for gigabytes.
constexpr int kVgMaxImageSide = 16384;
constexpr long long kVgMaxImagePixels = 1LL << 26;
// Most samples (frames times channels) an Ogg may decode to: about 25 minutes of stereo.
constexpr long long kVgMaxOggSamples = 1LL << 27;
// Most memory the Vorbis decoder may take for its tables and working space.
constexpr size_t kVgMaxOggArena = 32u << 20;

// False for a directory, a pipe or a device: what the decoders must not read.
bool vgIsRegularFile(FILE* file);

// Decodes a PNG (or another format stb_image reads) with the file's own channel count.
unsigned char* vgLoadImageFile(FILE* file, int* width, int* height, int* depth);

// RIFF WAVE with PCM data. length in sample frames, format in bytes per sample.
unsigned char* vgLoadWAV(FILE* file, int* length, int* channels, int* format, int* hertz);
// The same parse over bytes already in memory.
unsigned char* vgParseWAV(const unsigned char* bytes, size_t size, int* length, int* channels,
                          int* format, int* hertz);

// Ogg Vorbis decoded whole into interleaved 16-bit samples; format is always 2.
unsigned char* vgLoadOGG(FILE* file, int* length, int* channels, int* format, int* hertz);

struct stb_vorbis;
// The same decode in pieces, for a caller that spreads it over time (a page, which has no
// thread to decode on): Open checks the whole file and reads its headers, each Step decodes
// one Vorbis frame and says whether the end (or a failure) is reached, and Take finishes
// what is left and hands the result over as vgLoadOGG does.
class VgOggDecode {
 public:
  VgOggDecode() = default;
  VgOggDecode(const VgOggDecode&) = delete;
  VgOggDecode& operator=(const VgOggDecode&) = delete;
  ~VgOggDecode();

  bool Open(std::vector<unsigned char> bytes);
  bool Step();
  unsigned char* Take(int* length, int* channels, int* format, int* hertz);

 private:
  bool Fail();

  std::vector<unsigned char> bytes_;
  std::vector<char> arena_;
  stb_vorbis* v_ = nullptr;
  short* out_ = nullptr;
  long long total_ = 0, capacity_ = 0;
  int channels_ = 0;
  unsigned long hertz_ = 0;
};
// True when bytes are a whole run of Ogg pages ending in an end-of-stream page.
bool vgOggPagesComplete(const unsigned char* bytes, size_t size);
// True when the first logical stream's three Vorbis headers pass libvorbis's checks.
bool vgVorbisHeadersValid(const unsigned char* bytes, size_t size);
