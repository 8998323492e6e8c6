// The host's decoders as the devices use them: WAV layouts that load and every malformed one
// that must give null, whole-file Ogg Vorbis decoding and damaged Ogg files, PNG depths and
// damaged PNGs, and the path rules (extension case, directories, empty files).
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "host/media.h"
#include "tests/devices/device_env.h"

namespace {

using device_env::Counting;
using device_env::Wav;
using Bytes = std::vector<uint8_t>;

struct Decoded {
  std::unique_ptr<unsigned char, decltype(&std::free)> data{nullptr, &std::free};
  int length = -1, channels = -1, format = -1, hertz = -1;  // width, height, depth for images
};

Decoded ParseWav(const Bytes& b) {
  Decoded d;
  d.data.reset(vgParseWAV(b.data(), b.size(), &d.length, &d.channels, &d.format, &d.hertz));
  return d;
}

Decoded Load(const std::string& name, const Bytes& b, bool image = false) {
  String path(name[0] == '/' ? name.c_str() : device_env::WriteFile(name, b).c_str());
  Decoded d;
  VgGlfwGame* host = device_env::Host();
  d.data.reset(image ? host->LoadImageData(path, &d.length, &d.channels, &d.format)
                     : host->LoadAudioData(path, &d.length, &d.channels, &d.format, &d.hertz));
  return d;
}

Bytes Cut(Bytes b, size_t n) { return b.resize(n), b; }

TEST(WavLoader, PcmLayoutsLoadAndOtherChunksAreSkipped) {
  Wav odd = Wav::Header(1, 1, 8000, 8);
  odd.Chunk("note", {'x', 'y', 'z'}).Raw({0}).Chunk("data", Counting(8));  // padded to even
  const struct { const char* what; Bytes bytes; int frames, channels, format; } cases[] = {
      {"mono 16", device_env::PcmWav(1, 16, 22050, 100), 100, 1, 2},
      {"stereo 8", device_env::PcmWav(2, 8, 11025, 30), 30, 2, 1},
      {"empty data", device_env::PcmWav(1, 8, 8000, 0), 0, 1, 1},
      {"18-byte fmt", Wav::Header(1, 1, 8000, 16, 18).Chunk("data", Counting(8)).bytes, 4, 1, 2},
      {"LIST first", Wav::Header(1, 2, 8000, 16).Chunk("LIST", {'I', 'N', 'F', 'O', 1, 2})
                         .Chunk("data", Counting(8)).bytes, 2, 2, 2},
      {"odd chunk", odd.bytes, 8, 1, 1}};
  for (const auto& c : cases) {
    Decoded d = ParseWav(c.bytes);
    ASSERT_NE(d.data, nullptr) << c.what;
    EXPECT_EQ(std::vector<int>({d.length, d.channels, d.format}),
              std::vector<int>({c.frames, c.channels, c.format})) << c.what;
    if (c.frames) {
      EXPECT_EQ(d.data.get()[3], 3) << c.what << ": the payload itself";
    }
  }
  Decoded upper = Load("BEEP.WAV", device_env::PcmWav(1, 16, 8000, 12));
  EXPECT_EQ(upper.length, 12) << "the extension's case does not matter";
  EXPECT_EQ(upper.hertz, 8000);
}

TEST(WavLoader, MalformedFilesGiveNull) {
  Bytes good = device_env::PcmWav(2, 16, 8000, 10), notRiff = good, notWave = good;
  notRiff[0] = notWave[8] = 'X';
  auto with = [](unsigned format, unsigned channels, uint32_t rate, unsigned bits, size_t data) {
    return Wav::Header(format, channels, rate, bits).Chunk("data", Counting(data)).bytes;
  };
  Wav shortFmt, hugeFmt, huge = Wav::Header(1, 1, 8000, 8), hugeList = huge, noData = huge;
  shortFmt.Tag("RIFF").U32(0).Tag("WAVE").Tag("fmt ").U32(14).U16(1).U16(1).U32(8000).U32(8000);
  shortFmt.U16(1).Chunk("data", Counting(4));
  hugeFmt.Tag("RIFF").U32(0).Tag("WAVE").Tag("fmt ").U32(0xFFFFFFFFu).U16(1).U16(1).U32(8000);
  hugeFmt.U32(8000).U16(1).U16(8);
  huge.Tag("data").U32(0xFFFFFFF0u).Raw(Counting(16));
  hugeList.Tag("LIST").U32(0x7FFFFFFFu).Chunk("data", Counting(4));
  noData.Chunk("LIST", {1, 2});
  const struct { const char* what; Bytes bytes; } cases[] = {
      {"zero bytes", {}}, {"ends inside RIFF", Cut(good, 3)}, {"ends inside fmt", Cut(good, 30)},
      {"ends inside the data header", Cut(good, 38)}, {"data cut short", Cut(good, 50)},
      {"not RIFF", notRiff}, {"not WAVE", notWave}, {"format 3 (float)", with(3, 1, 8000, 32, 8)},
      {"zero channels", with(1, 0, 8000, 16, 8)}, {"zero bits", with(1, 1, 8000, 0, 8)},
      {"under a byte a sample", with(1, 1, 8000, 4, 8)}, {"zero rate", with(1, 1, 0, 16, 8)},
      {"part of a frame", with(1, 2, 8000, 16, 6)}, {"fmt without bits", shortFmt.bytes},
      {"data size past the end", huge.bytes}, {"LIST size past the end", hugeList.bytes},
      {"fmt size past the end", hugeFmt.bytes}, {"no data chunk", noData.bytes}};
  for (const auto& c : cases) EXPECT_EQ(ParseWav(c.bytes).data, nullptr) << c.what;
}

TEST(MediaFiles, OggDecodesWholeToSixteenBitFramesAndPngKeepsItsChannelCount) {
  Decoded d = Load("tone.OGG", device_env::OggTone(2, 22050, 1.5));
  ASSERT_NE(d.data, nullptr);
  EXPECT_EQ(std::vector<int>({d.channels, d.format, d.hertz}), std::vector<int>({2, 2, 22050}));
  EXPECT_NEAR(d.length, 22050 * 1.5, 2048) << "all frames, across many buffer doublings";
  const short* pcm = reinterpret_cast<const short*>(d.data.get());
  int peak = 0;
  for (int i = 0; i < d.length * 2; ++i) peak = std::max(peak, std::abs(int(pcm[i])));
  EXPECT_TRUE(peak > 10000 && peak < 24000) << "a half-scale tone, not silence: " << peak;
  Bytes rgba = Counting(3 * 2 * 4);
  Decoded a = Load("rgba.png", device_env::Png(3, 2, 4, rgba), true);
  ASSERT_NE(a.data, nullptr);
  EXPECT_EQ(std::vector<int>({a.length, a.channels, a.format}), std::vector<int>({3, 2, 4}));
  EXPECT_EQ(Bytes(a.data.get(), a.data.get() + 24), rgba);
  for (int depth : {1, 2, 3}) {
    EXPECT_EQ(Load("d.png", device_env::Png(2, 1, depth, Counting(2 * depth)), true).format, depth);
  }
}

TEST(MediaFiles, DamagedForgedForeignOrMisnamedFilesGiveNull) {
  Bytes ogg = device_env::OggTone(1, 8000, 1.0), foreign = ogg, noEnd = ogg;
  std::memcpy(&foreign[27 + foreign[26] + 1], "notvrb", 6);  // whole pages, not Vorbis
  EXPECT_TRUE(vgOggPagesComplete(foreign.data(), foreign.size()));
  size_t last = 0;  // the last page without its end-of-stream flag: cut at a page boundary
  for (size_t i = 0; i + 4 <= noEnd.size(); ++i) last = std::memcmp(&noEnd[i], "OggS", 4) ? last : i;
  noEnd[last + 5] &= ~4;
  EXPECT_FALSE(vgOggPagesComplete(noEnd.data(), noEnd.size()));
  Bytes png = device_env::Png(16, 16, 4, Bytes(16 * 16 * 4, 77)), giant = png;
  const uint8_t side[4] = {0x00, 0x01, 0x86, 0xA0};  // 100000 x 100000: refused unallocated
  std::memcpy(&giant[16], side, 4);
  std::memcpy(&giant[20], side, 4);
  // Four bytes of the comment and setup headers changed as a fuzzer once did, checksums made
  // right: stb_vorbis alone writes far out of bounds on this file.
  Bytes forged = device_env::OggTone(2, 11025, 0.05);
  ASSERT_EQ(std::vector<int>({forged[104], forged[1087], forged[1093], forged[1094]}), std::vector<int>({52, 0, 0, 0}));
  forged[104] = 50, forged[1087] = 1, forged[1093] = 8, forged[1094] = 0xAC;
  device_env::FixOggChecksums(forged);
  EXPECT_FALSE(vgVorbisHeadersValid(forged.data(), forged.size()));
  Bytes wav = device_env::PcmWav(1, 16, 8000, 12);
  const struct { const char* name; Bytes bytes; bool image; } cases[] = {
      {"half.ogg", Cut(ogg, ogg.size() / 2), false}, {"head.ogg", Cut(ogg, 40), false},
      {"foreign.ogg", foreign, false}, {"forged.ogg", forged, false}, {"riff.ogg", wav, false}, {"empty.ogg", {}, false},
      {"beep.raw", wav, false}, {"empty.wav", {}, false}, {"cut.png", Cut(png, png.size() / 2), true},
      {"sig.png", Cut(png, 8), true}, {"text.png", {'h', 'i'}, true}, {"zero.png", {}, true},
      {"giant.png", giant, true}};
  for (const auto& c : cases) EXPECT_EQ(Load(c.name, c.bytes, c.image).data, nullptr) << c.name;
  for (bool image : {false, true}) {
    std::string dir = device_env::ScratchDir() + (image ? "/dir.png" : "/dir.wav");
    std::filesystem::create_directories(dir);
    EXPECT_EQ(Load(dir, {}, image).data, nullptr) << "a directory";
    EXPECT_EQ(Load(device_env::ScratchDir() + (image ? "/no.png" : "/no.wav"), {}, image).data, nullptr);
  }
}

}  // namespace
