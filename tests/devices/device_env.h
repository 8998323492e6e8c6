// Shared set-up of the device tests, benchmarks and fuzz seeds: the host object the devices
// decode files through, a scratch folder, and builders for WAV, Ogg and PNG files.
// Header-only so each binary that includes it needs nothing else built.
#pragma once
#include <stb/stb_image_write.h>
#include <unistd.h>
#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "host/glfw_game.h"

namespace device_env {

// The process's host object, made on first use; the devices reach it as VgGame::_game.
inline VgGlfwGame* Host() {
  if (!VgGlfwGame::_glfwGame) new VgGlfwGame();
  return VgGlfwGame::_glfwGame;
}

inline const std::string& ScratchDir() {
  // Leaked on purpose: the atexit handler runs after the string statics are gone.
  static const std::string* dir = [] {
    const char* base = std::getenv("VG_BUILD_DIR");
    auto* d = new std::string(std::string(base ? base : "/tmp") + "/devices-scratch-" + std::to_string(getpid()));
    std::filesystem::create_directories(*d);
    std::atexit([] { std::error_code ec; std::filesystem::remove_all(ScratchDir(), ec); });
    return d;
  }();
  return *dir;
}

inline std::string WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
  std::string path = ScratchDir() + "/" + name;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  return path;
}

// RIFF WAVE builder: pieces are appended as written, so tests can forge any layout.
struct Wav {
  std::vector<uint8_t> bytes;
  Wav& Tag(const char* four) { return Raw({four, four + 4}); }
  Wav& U16(unsigned v) { return Raw({uint8_t(v), uint8_t(v >> 8)}); }
  Wav& U32(uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
  Wav& Raw(const std::vector<uint8_t>& b) {
    bytes.insert(bytes.end(), b.begin(), b.end());
    return *this;
  }
  // "RIFF", size, "WAVE", then a "fmt " chunk of fmtSize bytes (bytes past 16 are zero).
  static Wav Header(unsigned format, unsigned channels, uint32_t rate, unsigned bits,
                    uint32_t fmtSize = 16) {
    Wav w;
    w.Tag("RIFF").U32(0).Tag("WAVE").Tag("fmt ").U32(fmtSize).U16(format).U16(channels);
    w.U32(rate).U32(rate * channels * bits / 8).U16(channels * bits / 8).U16(bits);
    return w.Raw(std::vector<uint8_t>(fmtSize > 16 ? fmtSize - 16 : 0, 0));
  }
  Wav& Chunk(const char* id, const std::vector<uint8_t>& payload) {
    return Tag(id).U32(static_cast<uint32_t>(payload.size())).Raw(payload);
  }
};

inline std::vector<uint8_t> Counting(size_t n) {
  std::vector<uint8_t> b(n);
  for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(i);
  return b;
}

// A PCM WAV of the given number of frames, bytes counting up from 0.
inline std::vector<uint8_t> PcmWav(unsigned channels, unsigned bits, uint32_t rate, int frames) {
  return Wav::Header(1, channels, rate, bits)
      .Chunk("data", Counting(static_cast<size_t>(frames) * channels * bits / 8))
      .bytes;
}

// An Ogg Vorbis file of a half-scale sine tone; noise (0 to 1) adds a hiss so the encoder
// spends its bits as on real music.
inline std::vector<uint8_t> OggTone(int channels, int rate, double seconds, double hz = 440,
                                    double noise = 0) {
  std::vector<uint8_t> out;
  vorbis_info vi;
  vorbis_info_init(&vi);
  if (vorbis_encode_init_vbr(&vi, channels, rate, 0.3f) != 0) std::abort();
  vorbis_comment vc;
  vorbis_comment_init(&vc);
  vorbis_dsp_state vd;
  vorbis_analysis_init(&vd, &vi);
  vorbis_block vb;
  vorbis_block_init(&vd, &vb);
  ogg_stream_state os;
  ogg_stream_init(&os, 1);
  ogg_page og;
  auto put = [&out, &og] {
    out.insert(out.end(), og.header, og.header + og.header_len);
    out.insert(out.end(), og.body, og.body + og.body_len);
  };
  ogg_packet head[3];
  vorbis_analysis_headerout(&vd, &vc, &head[0], &head[1], &head[2]);
  for (ogg_packet& p : head) ogg_stream_packetin(&os, &p);
  while (ogg_stream_flush(&os, &og)) put();

  uint32_t seed = 12345;
  const long total = static_cast<long>(seconds * rate);
  for (long done = 0, eos = 0; !eos;) {
    long n = std::min(total - done, 1024L);
    if (n > 0) {
      float** buf = vorbis_analysis_buffer(&vd, static_cast<int>(n));
      for (long i = 0; i < n; ++i, ++done) {
        float s = static_cast<float>(0.5 * std::sin(2 * M_PI * hz * done / rate));
        for (int c = 0; c < channels; ++c) {
          seed = seed * 1664525u + 1013904223u;
          buf[c][i] = s + static_cast<float>(noise * ((seed >> 8) / 16777216.0 - 0.5));
        }
      }
    }
    vorbis_analysis_wrote(&vd, static_cast<int>(n));
    while (vorbis_analysis_blockout(&vd, &vb) == 1) {
      vorbis_analysis(&vb, nullptr);
      vorbis_bitrate_addblock(&vb);
      ogg_packet op;
      while (vorbis_bitrate_flushpacket(&vd, &op)) {
        ogg_stream_packetin(&os, &op);
        while (ogg_stream_pageout(&os, &og)) put(), eos |= ogg_page_eos(&og);
      }
    }
  }
  ogg_stream_clear(&os);
  vorbis_block_clear(&vb);
  vorbis_dsp_clear(&vd);
  vorbis_comment_clear(&vc);
  vorbis_info_clear(&vi);
  return out;
}

// Recomputes every page checksum after the Ogg file's bytes were edited.
inline void FixOggChecksums(std::vector<uint8_t>& b) {
  for (size_t pos = 0; pos + 27 <= b.size() && std::memcmp(&b[pos], "OggS", 4) == 0;) {
    size_t header = 27 + b[pos + 26], body = 0;
    if (pos + header > b.size()) return;
    for (size_t i = 27; i < header; ++i) body += b[pos + i];
    if (pos + header + body > b.size()) return;
    ogg_page page{&b[pos], static_cast<long>(header), &b[pos + header], static_cast<long>(body)};
    ogg_page_checksum_set(&page);
    pos += header + body;
  }
}

// A PNG of w x h pixels of comp bytes each.
inline std::vector<uint8_t> Png(int w, int h, int comp, const std::vector<uint8_t>& pixels) {
  std::vector<uint8_t> out;
  stbi_write_png_to_func(
      [](void* o, void* data, int size) {
        auto* v = static_cast<std::vector<uint8_t>*>(o);
        v->insert(v->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
      },
      &out, w, h, comp, pixels.data(), w * comp);
  return out;
}

}  // namespace device_env
