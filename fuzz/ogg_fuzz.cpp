// Fuzz target for the Ogg Vorbis path behind LoadAudioData (page check, header check, then
// stb_vorbis): any bytes must give null or interleaved 16-bit frames of one to sixteen
// channels. Page checksums are recomputed first, so mutations reach the Vorbis packets
// instead of stopping at libogg's checksum test.
#include <ogg/ogg.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz/media_fuzz.h"
#include "host/media.h"

namespace {

void FixChecksums(std::vector<uint8_t>& b) {
  size_t pos = 0;
  while (pos + 27 <= b.size() && std::memcmp(&b[pos], "OggS", 4) == 0) {
    size_t segments = b[pos + 26];
    if (pos + 27 + segments > b.size()) return;
    size_t body = 0;
    for (size_t i = 0; i < segments; ++i) body += b[pos + 27 + i];
    size_t header = 27 + segments;
    if (pos + header + body > b.size()) return;
    ogg_page page;
    page.header = &b[pos];
    page.header_len = static_cast<long>(header);
    page.body = &b[pos + header];
    page.body_len = static_cast<long>(body);
    ogg_page_checksum_set(&page);
    pos += header + body;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  FixChecksums(bytes);
  FILE* f = vgFuzzFile(bytes.data(), bytes.size());
  if (!f) return 0;
  int length = 0, channels = 0, format = 0, hertz = 0;
  unsigned char* pcm = vgLoadOGG(f, &length, &channels, &format, &hertz);
  std::fclose(f);
  if (pcm) {
    if (channels < 1 || channels > 16 || format != 2 || hertz <= 0 || length < 0) std::abort();
    size_t samples = static_cast<size_t>(length) * channels;
    const short* s = reinterpret_cast<const short*>(pcm);
    volatile int sum = 0;
    for (size_t i = 0; i < samples; ++i) sum = sum + s[i];
    std::free(pcm);
  }
  return 0;
}
