// File output of the asset generator (see output.h): PNG in three sizes, WAV, raw bytes and
// the review contact sheet.
#include "tools/assetgen/output.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;

Output::Output(std::string root, std::string contact)
    : root_(std::move(root)), contact_(std::move(contact)) {
  if (!contact_.empty()) fs::create_directories(contact_);
}

std::string Output::prepare(const std::string& name) {
  fs::path p = fs::path(root_) / name;
  std::error_code ec;
  fs::create_directories(p.parent_path(), ec);
  return p.string();
}

Canvas crop(const Canvas& c, int x, int y, int w, int h) {
  Canvas out(w, h);
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) out.set(i, j, c.get(x + i, y + j));
  return out;
}

static Canvas upscale_frames(const Canvas& c, int fw, int fh, int factor) {
  Canvas out(c.w() * factor, c.h() * factor);
  for (int y = 0; y + fh <= c.h(); y += fh)
    for (int x = 0; x + fw <= c.w(); x += fw) {
      Canvas big = upscale(crop(c, x, y, fw, fh), factor);
      for (int j = 0; j < big.h(); ++j)
        for (int i = 0; i < big.w(); ++i) out.set(x * factor + i, y * factor + j, big.get(i, j));
    }
  return out;
}

void Output::contact_png(const std::string& name, const Canvas& c) {
  std::string flat = name;
  for (char& ch : flat)
    if (ch == '/') ch = '_';
  write_png(c, (fs::path(contact_) / flat).string() + ".png");
}

void Output::image(const std::string& name, const Canvas& c, int fw, int fh) {
  Canvas hd = upscale_frames(c, fw, fh, 2), hd2 = upscale_frames(c, fw, fh, 4);
  ok_ &= write_png(c, prepare(name + ".png"));
  ok_ &= write_png(hd, prepare(name + "-hd.png"));
  ok_ &= write_png(hd2, prepare(name + "-hd2.png"));
  if (!contact_.empty()) {
    contact_png(name + "_1x", c);
    // Large sheets are shown by their first 512 x 512 pixels at 4x, enough to judge detail.
    contact_png(name + "_4x", hd2.w() > 2048 ? crop(hd2, 0, 0, 2048, 2048) : hd2);
  }
}

void Output::image_raw(const std::string& name, const Canvas& c) {
  ok_ &= write_png(c, prepare(name + ".png"));
  if (!contact_.empty()) {
    contact_png(name + "_1x", c);
    Canvas part = crop(c, 0, 0, std::min(c.w(), 256), std::min(c.h(), 256));
    Canvas big(part.w() * 4, part.h() * 4);
    for (int y = 0; y < big.h(); ++y)
      for (int x = 0; x < big.w(); ++x) big.set(x, y, part.get(x / 4, y / 4));
    contact_png(name + "_4x", big);
  }
}

std::vector<uint8_t> wav_bytes(const std::vector<float>& s, int rate) {
  std::vector<uint8_t> out;
  auto u32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i))); };
  auto u16 = [&](uint32_t v) { for (int i = 0; i < 2; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i))); };
  uint32_t data = static_cast<uint32_t>(s.size() * 2);
  out.insert(out.end(), {'R', 'I', 'F', 'F'});
  u32(36 + data);
  out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  u32(16); u16(1); u16(1); u32(static_cast<uint32_t>(rate)); u32(static_cast<uint32_t>(rate) * 2); u16(2); u16(16);
  out.insert(out.end(), {'d', 'a', 't', 'a'});
  u32(data);
  for (float v : s) {
    float c = std::fmax(-0.999f, std::fmin(0.999f, v));
    u16(static_cast<uint16_t>(static_cast<int16_t>(std::lround(c * 32767.0f))));
  }
  return out;
}

void Output::bytes(const std::string& name, const std::vector<uint8_t>& data) {
  FILE* f = std::fopen(prepare(name).c_str(), "wb");
  if (!f) { ok_ = false; return; }
  ok_ &= std::fwrite(data.data(), 1, data.size(), f) == data.size();
  ok_ &= std::fclose(f) == 0;
}

void Output::wav(const std::string& name, const std::vector<float>& samples, int rate) {
  bytes(name, wav_bytes(samples, rate));
  if (contact_.empty()) return;
  // The reel plays everything at 22050 Hz: nearest-sample resampling is plenty for review.
  size_t n = samples.size() * 22050 / static_cast<size_t>(rate);
  for (size_t i = 0; i < n; ++i) reel_.push_back(samples[i * static_cast<size_t>(rate) / 22050]);
  reel_.insert(reel_.end(), 22050 / 3, 0.0f);
  reel_names_.push_back(name);
}

void Output::finish() {
  if (contact_.empty()) return;
  std::vector<uint8_t> w = wav_bytes(reel_, 22050);
  FILE* f = std::fopen((fs::path(contact_) / "sounds.wav").string().c_str(), "wb");
  if (f) { std::fwrite(w.data(), 1, w.size(), f); std::fclose(f); }
  f = std::fopen((fs::path(contact_) / "sounds.txt").string().c_str(), "w");
  if (f) {
    for (const std::string& n : reel_names_) std::fprintf(f, "%s\n", n.c_str());
    std::fclose(f);
  }
}
