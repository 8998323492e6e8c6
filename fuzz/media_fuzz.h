// Shared by the decoder fuzz targets: the input bytes as an open read-only file, since the
// decoders read through stdio exactly as they do on a real asset file.
#pragma once
#include <cstdint>
#include <cstdio>

inline FILE* vgFuzzFile(const uint8_t* data, size_t size) {
  FILE* f = std::tmpfile();
  if (!f) return nullptr;
  if (size && std::fwrite(data, 1, size, f) != size) {
    std::fclose(f);
    return nullptr;
  }
  std::rewind(f);
  return f;
}
