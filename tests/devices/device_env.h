// Shared set-up of the device tests (and the device benchmarks): the one host object the
// devices decode files through, a scratch folder, and builders for WAV, Ogg and PNG files.
// Header-only so each test binary or benchmark that includes it needs nothing else built.
#pragma once
#include <stb/stb_image_write.h>
#include <unistd.h>
#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "host/glfw_game.h"

namespace device_env {

// The process's host object, made on first use; the devices reach it as _glfwGame.
inline VgGlfwGame* Host() {
  if (!VgGlfwGame::_glfwGame) new VgGlfwGame();
  return VgGlfwGame::_glfwGame;
}

inline const std::string& ScratchDir() {
  static std::string dir = [] {
    const char* base = std::getenv("VG_BUILD_DIR");
    std::string d = std::string(base ? base : "/tmp") + "/devices-scratch-" +
                    std::to_string(static_cast<long>(getpid()));
    std::string cmd = "mkdir -p '" + d + "'";
    if (std::system(cmd.c_str()) != 0) std::abort();
    // The command outlives the string statics, which are gone when atexit handlers run.
    static const std::string* remove = new std::string("rm -rf '" + d + "'");
    std::atexit([] {
      if (std::system(remove->c_str()) != 0) std::fprintf(stderr, "%s failed\n", remove->c_str());
    });
    return d;
  }();
  return dir;
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
  Wav& Tag(const char* four) {
    bytes.insert(bytes.end(), four, four + 4);
    return *this;
  }
  Wav& U16(unsigned v) {
    bytes.push_back(v & 255);
    bytes.push_back((v >> 8) & 255);
    return *this;
  }
  Wav& U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes.push_back((v >> (8 * i)) & 255);
    return *this;
  }
  Wav& Raw(const std::vector<uint8_t>& b) {
    bytes.insert(bytes.end(), b.begin(), b.end());
    return *this;
  }
  // "RIFF", size, "WAVE", then a "fmt " chunk of fmtSize bytes (bytes past 16 are zero).
  static Wav Header(unsigned audioFormat, unsigned channels, uint32_t rate, unsigned bits,
                    uint32_t fmtSize = 16) {
    Wav w;
    w.Tag("RIFF").U32(0).Tag("WAVE").Tag("fmt ").U32(fmtSize);
    w.U16(audioFormat).U16(channels).U32(rate).U32(rate * channels * bits / 8);
    w.U16(channels * bits / 8).U16(bits);
    for (uint32_t i = 16; i < fmtSize; ++i) w.bytes.push_back(0);
    return w;
  }
  Wav& Chunk(const char* id, const std::vector<uint8_t>& payload) {
    Tag(id).U32(static_cast<uint32_t>(payload.size()));
    return Raw(payload);
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

// An Ogg Vorbis file of a sine tone, encoded with libvorbisenc; noise (0 to 1) adds a hiss
// so the encoder has more to spend its bits on, as in real music.
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

  auto put = [&out](const ogg_page& og) {
    out.insert(out.end(), og.header, og.header + og.header_len);
    out.insert(out.end(), og.body, og.body + og.body_len);
  };
  ogg_packet header, comments, codebooks;
  vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
  ogg_stream_packetin(&os, &header);
  ogg_stream_packetin(&os, &comments);
  ogg_stream_packetin(&os, &codebooks);
  ogg_page og;
  while (ogg_stream_flush(&os, &og)) put(og);

  uint32_t seed = 12345;
  long total = static_cast<long>(seconds * rate);
  long done = 0;
  const long step = 1024;
  bool eos = false;
  while (!eos) {
    long n = total - done < step ? total - done : step;
    if (n > 0) {
      float** buf = vorbis_analysis_buffer(&vd, static_cast<int>(n));
      for (long i = 0; i < n; ++i) {
        float s = static_cast<float>(0.5 * std::sin(2 * M_PI * hz * (done + i) / rate));
        for (int c = 0; c < channels; ++c) {
          seed = seed * 1664525u + 1013904223u;
          buf[c][i] = s + static_cast<float>(noise * ((seed >> 8) / 16777216.0 - 0.5));
        }
      }
      done += n;
    }
    vorbis_analysis_wrote(&vd, static_cast<int>(n));
    while (vorbis_analysis_blockout(&vd, &vb) == 1) {
      vorbis_analysis(&vb, nullptr);
      vorbis_bitrate_addblock(&vb);
      ogg_packet op;
      while (vorbis_bitrate_flushpacket(&vd, &op)) {
        ogg_stream_packetin(&os, &op);
        while (ogg_stream_pageout(&os, &og)) {
          put(og);
          if (ogg_page_eos(&og)) eos = true;
        }
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

// Recomputes every page checksum after a test has edited an Ogg file's bytes.
inline void FixOggChecksums(std::vector<uint8_t>& b) {
  size_t pos = 0;
  while (pos + 27 <= b.size() && std::memcmp(&b[pos], "OggS", 4) == 0) {
    size_t header = 27 + b[pos + 26];
    if (pos + header > b.size()) return;
    size_t body = 0;
    for (size_t i = 27; i < header; ++i) body += b[pos + i];
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

// A PNG of w x h pixels of comp bytes each, written with stb_image_write.
inline std::vector<uint8_t> Png(int w, int h, int comp, const std::vector<uint8_t>& pixels) {
  std::vector<uint8_t> out;
  stbi_write_png_to_func(
      [](void* ctx, void* data, int size) {
        auto* o = static_cast<std::vector<uint8_t>*>(ctx);
        o->insert(o->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
      },
      &out, w, h, comp, pixels.data(), w * comp);
  return out;
}

}  // namespace device_env
