// Where the asset generator's files go: the data folder (every image in its three sizes,
// sounds, tunes) and, when asked, a contact sheet of 1x/4x pictures and one WAV of every
// sound in a row for review. Called by each family's writer from main.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/assetgen/canvas.h"

class Output {
 public:
  // `contact` empty: no contact sheet.
  Output(std::string root, std::string contact);

  // name.png, name-hd.png (2x) and name-hd2.png (4x). Frames of fw x fh are upscaled one by
  // one so that no pixel of a neighbouring frame bleeds in.
  void image(const std::string& name, const Canvas& c, int fw, int fh);
  // name.png only (images the game loads without a resolution suffix).
  void image_raw(const std::string& name, const Canvas& c);
  // 16-bit PCM mono RIFF WAVE. Samples are clamped to just under full scale.
  void wav(const std::string& name, const std::vector<float>& samples, int rate);
  void bytes(const std::string& name, const std::vector<uint8_t>& data);
  // Writes the contact sheet's sound reel; call once at the end.
  void finish();

  bool ok() const { return ok_; }
  const std::string& root() const { return root_; }

 private:
  std::string prepare(const std::string& name);  // full path, folders created
  void contact_png(const std::string& name, const Canvas& c);
  std::string root_, contact_;
  bool ok_ = true;
  std::vector<float> reel_;  // every sound at 22050 Hz with a gap after each
  std::vector<std::string> reel_names_;
};

Canvas crop(const Canvas& c, int x, int y, int w, int h);
// Converts to 16-bit PCM WAV bytes (shared with the tests' expectations of the format).
std::vector<uint8_t> wav_bytes(const std::vector<float>& samples, int rate);
