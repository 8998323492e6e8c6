// Fuzz target for the Ogg Vorbis path behind LoadAudioData (page check, header check, then
// stb_vorbis): any bytes must give null or interleaved 16-bit frames of one to sixteen
// channels. Page checksums are recomputed first, so mutations reach the Vorbis packets
// instead of stopping at libogg's checksum test.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "host/media.h"
#include "tests/devices/device_env.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  device_env::FixOggChecksums(bytes);
  FILE* f = fmemopen(bytes.data(), bytes.size(), "rb");
  if (!f) return 0;
  int length = 0, channels = 0, format = 0, hertz = 0;
  unsigned char* pcm = vgLoadOGG(f, &length, &channels, &format, &hertz);
  std::fclose(f);
  if (pcm) {
    if (channels < 1 || channels > 16 || format != 2 || hertz <= 0 || length < 0) std::abort();
    volatile int sum = 0;
    for (size_t i = 0; i < static_cast<size_t>(length) * channels; ++i) sum = sum + reinterpret_cast<short*>(pcm)[i];
    std::free(pcm);
  }
  return 0;
}
