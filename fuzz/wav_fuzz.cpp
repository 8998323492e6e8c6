// Fuzz target for the WAV reader behind LoadAudioData: any bytes must give null or a sound
// whose stated frames fit in the returned block, without reading past the input.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "host/media.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  int length = 0, channels = 0, format = 0, hertz = 0;
  unsigned char* pcm = vgParseWAV(data, size, &length, &channels, &format, &hertz);
  if (pcm) {
    size_t bytes = static_cast<size_t>(length) * channels * format;
    if (channels <= 0 || format <= 0 || hertz <= 0 || bytes > size) std::abort();
    // Touch every byte the device would hand to OpenAL.
    volatile unsigned sum = 0;
    for (size_t i = 0; i < bytes; ++i) sum = sum + pcm[i];
    std::free(pcm);
  }
  // The file path reads the same bytes through stdio.
  if (FILE* f = fmemopen(const_cast<uint8_t*>(data), size, "rb")) {
    unsigned char* again = vgLoadWAV(f, &length, &channels, &format, &hertz);
    if ((again != nullptr) != (pcm != nullptr)) std::abort();
    std::free(again);
    std::fclose(f);
  }
  return 0;
}
