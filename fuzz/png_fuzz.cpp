// Fuzz target for the image path behind LoadImageData (stb_image with the size limits):
// any bytes must give null or width x height pixels of one to four bytes each.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "host/media.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FILE* f = fmemopen(const_cast<uint8_t*>(data), size, "rb");
  if (!f) return 0;
  int w = 0, h = 0, depth = 0;
  unsigned char* pixels = vgLoadImageFile(f, &w, &h, &depth);
  std::fclose(f);
  if (pixels) {
    if (w <= 0 || h <= 0 || depth < 1 || depth > 4 || w > kVgMaxImageSide || h > kVgMaxImageSide) std::abort();
    size_t bytes = static_cast<size_t>(w) * h * depth;
    volatile unsigned sum = pixels[bytes - 1];  // the block really is that long
    for (size_t i = 0; i < bytes; i += 61) sum = sum + pixels[i];
    std::free(pixels);
  }
  return 0;
}
