// The whole-file read loop declared in runtime/file_read.h.
#include "runtime/file_read.h"

bool vgReadRest(FILE* file, std::vector<unsigned char>& out) {
  unsigned char block[65536];
  size_t n;
  while ((n = std::fread(block, 1, sizeof(block), file)) > 0) out.insert(out.end(), block, block + n);
  return !std::ferror(file);
}
