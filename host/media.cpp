// Image and sound decoding for the devices: VgGlfwGame::LoadImageData (stb_image) and
// LoadAudioData (the WAV reader here, Ogg Vorbis through stb_vorbis). Every size a file
// states is checked against the bytes it really has, so bad files give null, never a crash.
#include "host/media.h"

#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "host/glfw_game.h"

// The decoders' code is in Debian's libstb; these are declarations only. stb_vorbis.h keeps
// its one-letter macros to its implementation half, which HEADER_ONLY leaves out.
#include <stb/stb_image.h>
#define STB_VORBIS_HEADER_ONLY
#include <stb/stb_vorbis.h>

namespace {

// A little-endian reader over a byte range that fails, rather than reads past the end.
class Reader {
 public:
  Reader(const unsigned char* bytes, size_t size) : p_(bytes), left_(size) {}

  size_t Left() const { return left_; }
  bool Tag(const char* tag) {
    if (left_ < 4 || std::memcmp(p_, tag, 4) != 0) return false;
    return Skip(4);
  }
  bool Bytes(unsigned char* out, size_t n) {
    if (left_ < n) return false;
    std::memcpy(out, p_, n);
    return Skip(n);
  }
  bool U16(unsigned int* v) {
    unsigned char b[2];
    if (!Bytes(b, 2)) return false;
    *v = b[0] | b[1] << 8;
    return true;
  }
  bool U32(unsigned long* v) {
    unsigned char b[4];
    if (!Bytes(b, 4)) return false;
    *v = b[0] | b[1] << 8 | b[2] << 16 | static_cast<unsigned long>(b[3]) << 24;
    return true;
  }
  bool Skip(size_t n) {
    if (left_ < n) return false;
    p_ += n;
    left_ -= n;
    return true;
  }
  const unsigned char* Here() const { return p_; }

 private:
  const unsigned char* p_;
  size_t left_;
};

bool EndsWithLower(const String& path, const char* ext) {
  return path.ToLower().EndsWith(String(ext));
}

}  // namespace

bool vgIsRegularFile(FILE* file) {
  struct stat st;
  return fstat(fileno(file), &st) == 0 && S_ISREG(st.st_mode);
}

namespace {

// stb_image trusts a PNG chunk's stated length and grows its buffer to hold it, so a damaged
// file of a hundred bytes can make it ask for gigabytes. A chunk that says it is longer than
// what is left of the file is damage: false, and the image is refused before stb reads it.
// Anything that is not a PNG is left to stb's other readers.
bool PngChunksFit(FILE* file, long start) {
  unsigned char at8[8];
  if (std::fseek(file, start, SEEK_SET) != 0 || std::fread(at8, 1, 8, file) != 8 ||
      std::memcmp(at8, "\x89PNG\r\n\x1a\n", 8) != 0 || std::fseek(file, 0, SEEK_END) != 0) {
    return true;
  }
  long long end = std::ftell(file), at = start + 8;
  while (at + 8 <= end && std::fseek(file, static_cast<long>(at), SEEK_SET) == 0 &&
         std::fread(at8, 1, 8, file) == 8) {
    long long length = static_cast<long long>(at8[0]) << 24 | at8[1] << 16 | at8[2] << 8 | at8[3];
    if (length > end - at - 12) return false;  // data and CRC must both be there
    if (std::memcmp(at8 + 4, "IEND", 4) == 0) break;
    at += 12 + length;
  }
  return true;
}

}  // namespace

unsigned char* vgLoadImageFile(FILE* file, int* width, int* height, int* depth) {
  long start = std::ftell(file);
  int w = 0, h = 0, d = 0;
  if (!stbi_info_from_file(file, &w, &h, &d)) return nullptr;
  if (w <= 0 || h <= 0 || w > kVgMaxImageSide || h > kVgMaxImageSide ||
      static_cast<long long>(w) * h > kVgMaxImagePixels) {
    return nullptr;
  }
  if (start >= 0 && !PngChunksFit(file, start)) return nullptr;
  if (start >= 0) std::fseek(file, start, SEEK_SET);
  unsigned char* data = stbi_load_from_file(file, width, height, depth, 0);
  return data;
}

unsigned char* vgParseWAV(const unsigned char* bytes, size_t size, int* length, int* channels,
                          int* format, int* hertz) {
  Reader in(bytes, size);
  unsigned long riffSize, fmtSize, rate, ignored32;
  unsigned int audioFormat, chans, bits, ignored16;
  if (!in.Tag("RIFF") || !in.U32(&riffSize) || !in.Tag("WAVE")) return nullptr;
  if (!in.Tag("fmt ") || !in.U32(&fmtSize) || fmtSize < 16) return nullptr;
  if (!in.U16(&audioFormat) || audioFormat != 1) return nullptr;
  if (!in.U16(&chans) || !in.U32(&rate) || !in.U32(&ignored32) || !in.U16(&ignored16) ||
      !in.U16(&bits)) {
    return nullptr;
  }
  // The extension of a longer format chunk (and its pad byte, for odd sizes) is skipped.
  if (!in.Skip(fmtSize - 16 + (fmtSize & 1))) return nullptr;
  unsigned int bytesPerSample = bits / 8;
  unsigned long frameSize = static_cast<unsigned long>(chans) * bytesPerSample;
  if (frameSize == 0 || rate == 0 || rate > INT_MAX) return nullptr;

  for (;;) {
    unsigned char id[4];
    unsigned long chunkSize;
    if (!in.Bytes(id, 4) || !in.U32(&chunkSize)) return nullptr;
    if (chunkSize > in.Left() || chunkSize > INT_MAX) return nullptr;
    if (std::memcmp(id, "data", 4) == 0) {
      if (chunkSize % frameSize != 0) return nullptr;
      // One spare byte so an empty data chunk still gives a block to own.
      unsigned char* data = static_cast<unsigned char*>(std::malloc(chunkSize + 1));
      if (!data) return nullptr;
      std::memcpy(data, in.Here(), chunkSize);
      *length = static_cast<int>(chunkSize / frameSize);
      *channels = static_cast<int>(chans);
      *format = static_cast<int>(bytesPerSample);
      *hertz = static_cast<int>(rate);
      return data;
    }
    // Chunks are padded to an even size; a pad byte missing at the very end is tolerated.
    in.Skip(chunkSize);
    if (chunkSize & 1) in.Skip(1);
  }
}

unsigned char* vgLoadWAV(FILE* file, int* length, int* channels, int* format, int* hertz) {
  std::vector<unsigned char> bytes;
  if (!vgReadRest(file, bytes)) return nullptr;
  return vgParseWAV(bytes.data(), bytes.size(), length, channels, format, hertz);
}

bool vgOggPagesComplete(const unsigned char* bytes, size_t size) {
  size_t pos = 0;
  bool endOfStream = false;
  while (pos < size) {
    size_t left = size - pos;
    const unsigned char* page = bytes + pos;
    if (left < 27 || std::memcmp(page, "OggS", 4) != 0 || page[4] != 0) return false;
    size_t segments = page[26];
    if (left - 27 < segments) return false;
    size_t body = 0;
    for (size_t i = 0; i < segments; ++i) body += page[27 + i];
    size_t total = 27 + segments + body;
    if (left < total) return false;
    endOfStream = (page[5] & 4) != 0;
    pos += total;
  }
  return endOfStream;
}

VgOggDecode::~VgOggDecode() {
  if (v_) stb_vorbis_close(v_);
  std::free(out_);
}

bool VgOggDecode::Open(std::vector<unsigned char> bytes) {
  // stb_vorbis plays whatever pages a cut file still has; a file without its final page is
  // refused instead, so a damaged tune reads as missing rather than stopping short. And
  // stb_vorbis trusts the setup header more than it should (forged codebook sizes make it
  // write out of bounds), so the headers must first satisfy libvorbis's stricter checks.
  if (v_ || !vgOggPagesComplete(bytes.data(), bytes.size()) ||
      !vgVorbisHeadersValid(bytes.data(), bytes.size()) || bytes.size() > INT_MAX) {
    return false;
  }
  bytes_ = std::move(bytes);
  // The decoder works inside one arena of ours: its own allocations can leak when a damaged
  // header stops it halfway, and the arena also caps what a forged header can claim.
  for (size_t size = 256 * 1024; size <= kVgMaxOggArena && !v_; size *= 2) {
    arena_.assign(size, 0);
    stb_vorbis_alloc alloc{arena_.data(), static_cast<int>(arena_.size())};
    int error = 0;
    v_ = stb_vorbis_open_memory(bytes_.data(), static_cast<int>(bytes_.size()), &error, &alloc);
    if (!v_ && error != VORBIS_outofmem) return false;
  }
  if (!v_) return false;
  stb_vorbis_info info = stb_vorbis_get_info(v_);
  channels_ = info.channels;
  hertz_ = info.sample_rate;
  if (channels_ < 1 || info.sample_rate == 0 || info.sample_rate > INT_MAX) return Fail();
  // Room for the length the last page states, so a long tune is not copied as it grows (and
  // a page's heap not grown again mid-decode); a file that states more than a tune its size
  // could hold starts small and grows as it decodes.
  long long stated = stb_vorbis_stream_length_in_samples(v_);
  long long plausible = static_cast<long long>(bytes_.size()) * 32;
  capacity_ = stated > 0 && stated <= plausible ? stated + 4096 : 4096;
  if (capacity_ * channels_ > kVgMaxOggSamples) capacity_ = 4096;
  out_ = static_cast<short*>(std::malloc(sizeof(short) * channels_ * capacity_));
  return out_ || Fail();
}

bool VgOggDecode::Fail() {
  if (v_) stb_vorbis_close(v_);
  v_ = nullptr;
  std::free(out_);
  out_ = nullptr;
  return false;
}

bool VgOggDecode::Step() {
  if (!v_) return true;
  short* free_part = out_ + total_ * channels_;
  int room = static_cast<int>((capacity_ - total_) * channels_);
  int frames = stb_vorbis_get_frame_short_interleaved(v_, channels_, free_part, room);
  if (frames == 0) {
    stb_vorbis_close(v_);
    v_ = nullptr;
    return true;
  }
  total_ += frames;
  if (capacity_ - total_ < 4096) {
    capacity_ *= 2;
    short* grown = nullptr;
    if (capacity_ * channels_ <= kVgMaxOggSamples) {
      grown = static_cast<short*>(std::realloc(out_, sizeof(short) * channels_ * capacity_));
    }
    if (!grown) {
      // Too long, or no memory: finished, with nothing for Take to hand over.
      Fail();
      return true;
    }
    out_ = grown;
  }
  return false;
}

unsigned char* VgOggDecode::Take(int* length, int* channels, int* format, int* hertz) {
  while (!Step()) {
  }
  if (!out_) return nullptr;
  *length = static_cast<int>(total_);
  *channels = channels_;
  *format = 2;
  *hertz = static_cast<int>(hertz_);
  unsigned char* data = reinterpret_cast<unsigned char*>(out_);
  out_ = nullptr;
  return data;
}

unsigned char* vgLoadOGG(FILE* file, int* length, int* channels, int* format, int* hertz) {
  std::vector<unsigned char> bytes;
  VgOggDecode decode;
  if (!vgReadRest(file, bytes) || !decode.Open(std::move(bytes))) return nullptr;
  return decode.Take(length, channels, format, hertz);
}

unsigned char* VgGlfwGame::LoadImageData(String path, int* width, int* height, int* depth) {
  FILE* file = OpenFile(path, String("rb"));
  if (!file) return nullptr;
  unsigned char* data = vgIsRegularFile(file) ? vgLoadImageFile(file, width, height, depth) : nullptr;
  std::fclose(file);
  return data;
}

unsigned char* VgGlfwGame::LoadAudioData(String path, int* length, int* channels, int* format,
                                         int* hertz) {
  FILE* file = OpenFile(path, String("rb"));
  if (!file) return nullptr;
  unsigned char* data = nullptr;
  if (vgIsRegularFile(file)) {
    if (EndsWithLower(path, ".wav")) {
      data = vgLoadWAV(file, length, channels, format, hertz);
    } else if (EndsWithLower(path, ".ogg")) {
      data = vgLoadOGG(file, length, channels, format, hertz);
    }
  }
  std::fclose(file);
  return data;
}
