// The host's decoders as the devices use them: WAV layouts that load and every malformed one
// that must give null, Ogg Vorbis whole-file decoding and damaged Ogg files, PNG depths and
// damaged PNGs, and the path rules of LoadAudioData (extension case, directories, misses).
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "host/glfw_game.h"
#include "host/media.h"
#include "tests/devices/device_env.h"

using device_env::Wav;

namespace {

struct Sound {
  std::unique_ptr<unsigned char, decltype(&std::free)> data{nullptr, &std::free};
  int length = -1, channels = -1, format = -1, hertz = -1;
  explicit operator bool() const { return data != nullptr; }
};

Sound ParseWav(const std::vector<uint8_t>& bytes) {
  Sound s;
  s.data.reset(vgParseWAV(bytes.data(), bytes.size(), &s.length, &s.channels, &s.format, &s.hertz));
  return s;
}

Sound LoadAudio(const std::string& path) {
  Sound s;
  s.data.reset(device_env::Host()->LoadAudioData(String(path.c_str()), &s.length, &s.channels,
                                                 &s.format, &s.hertz));
  return s;
}

struct Image {
  std::unique_ptr<unsigned char, decltype(&std::free)> data{nullptr, &std::free};
  int width = -1, height = -1, depth = -1;
};

Image LoadImage(const std::string& path) {
  Image im;
  im.data.reset(device_env::Host()->LoadImageData(String(path.c_str()), &im.width, &im.height,
                                                  &im.depth));
  return im;
}

std::vector<uint8_t> Cut(std::vector<uint8_t> b, size_t n) {
  b.resize(n);
  return b;
}

TEST(WavLoader, PcmLayoutsLoadWithTheirFrameCounts) {
  Sound mono16 = ParseWav(device_env::PcmWav(1, 16, 22050, 100));
  ASSERT_TRUE(mono16);
  EXPECT_EQ(mono16.length, 100);
  EXPECT_EQ(mono16.channels, 1);
  EXPECT_EQ(mono16.format, 2);
  EXPECT_EQ(mono16.hertz, 22050);
  EXPECT_EQ(mono16.data.get()[5], 5) << "the payload itself";

  Sound stereo8 = ParseWav(device_env::PcmWav(2, 8, 11025, 30));
  ASSERT_TRUE(stereo8);
  EXPECT_EQ(stereo8.length, 30);
  EXPECT_EQ(stereo8.channels, 2);
  EXPECT_EQ(stereo8.format, 1);

  Sound empty = ParseWav(device_env::PcmWav(1, 8, 8000, 0));
  ASSERT_TRUE(empty) << "an empty data chunk is an empty sound";
  EXPECT_EQ(empty.length, 0);
}

TEST(WavLoader, ExtraFormatBytesAndOtherChunksAreSkipped) {
  std::vector<uint8_t> payload = device_env::Counting(8);
  Sound fmt18 = ParseWav(Wav::Header(1, 1, 8000, 16, 18).Chunk("data", payload).bytes);
  ASSERT_TRUE(fmt18) << "18-byte fmt chunk";
  EXPECT_EQ(fmt18.length, 4);
  EXPECT_EQ(fmt18.data.get()[7], 7);

  Sound list = ParseWav(
      Wav::Header(1, 2, 8000, 16).Chunk("LIST", {'I', 'N', 'F', 'O', 1, 2}).Chunk("data", payload).bytes);
  ASSERT_TRUE(list) << "LIST before data";
  EXPECT_EQ(list.length, 2);
  EXPECT_EQ(list.data.get()[0], 0);

  Wav odd = Wav::Header(1, 1, 8000, 8);
  odd.Chunk("note", {'x', 'y', 'z'}).Raw({0}).Chunk("data", payload);
  Sound padded = ParseWav(odd.bytes);
  ASSERT_TRUE(padded) << "an odd chunk is followed by its pad byte";
  EXPECT_EQ(padded.length, 8);
}

TEST(WavLoader, MalformedFilesGiveNull) {
  std::vector<uint8_t> good = device_env::PcmWav(2, 16, 8000, 10);
  ASSERT_TRUE(ParseWav(good));

  EXPECT_FALSE(ParseWav({})) << "zero bytes";
  EXPECT_FALSE(ParseWav(Cut(good, 3))) << "ends inside RIFF";
  EXPECT_FALSE(ParseWav(Cut(good, 30))) << "ends inside fmt";
  EXPECT_FALSE(ParseWav(Cut(good, 38))) << "ends inside the data chunk header";
  EXPECT_FALSE(ParseWav(Cut(good, 40))) << "data shorter than its stated size";

  std::vector<uint8_t> notRiff = good;
  notRiff[0] = 'X';
  EXPECT_FALSE(ParseWav(notRiff));
  std::vector<uint8_t> notWave = good;
  notWave[8] = 'X';
  EXPECT_FALSE(ParseWav(notWave));

  EXPECT_FALSE(ParseWav(Wav::Header(3, 1, 8000, 32).Chunk("data", device_env::Counting(8)).bytes))
      << "format 3 (float)";
  EXPECT_FALSE(ParseWav(Wav::Header(1, 0, 8000, 16).Chunk("data", device_env::Counting(8)).bytes))
      << "zero channels";
  EXPECT_FALSE(ParseWav(Wav::Header(1, 1, 8000, 0).Chunk("data", device_env::Counting(8)).bytes))
      << "zero bits per sample";
  EXPECT_FALSE(ParseWav(Wav::Header(1, 1, 8000, 4).Chunk("data", device_env::Counting(8)).bytes))
      << "under a byte per sample";
  EXPECT_FALSE(ParseWav(Wav::Header(1, 1, 0, 16).Chunk("data", device_env::Counting(8)).bytes))
      << "zero sample rate";
  EXPECT_FALSE(ParseWav(Wav::Header(1, 2, 8000, 16).Chunk("data", device_env::Counting(6)).bytes))
      << "data not a whole number of frames";

  Wav shortFmt;
  shortFmt.Tag("RIFF").U32(0).Tag("WAVE").Tag("fmt ").U32(14).U16(1).U16(1).U32(8000).U32(8000).U16(1);
  shortFmt.Chunk("data", device_env::Counting(4));
  EXPECT_FALSE(ParseWav(shortFmt.bytes)) << "fmt chunk without bits per sample";

  Wav huge = Wav::Header(1, 1, 8000, 8);
  huge.Tag("data").U32(0xFFFFFFF0u).Raw(device_env::Counting(16));
  EXPECT_FALSE(ParseWav(huge.bytes)) << "a chunk size past the end is never allocated";
  Wav hugeList = Wav::Header(1, 1, 8000, 8);
  hugeList.Tag("LIST").U32(0x7FFFFFFFu).Chunk("data", device_env::Counting(4));
  EXPECT_FALSE(ParseWav(hugeList.bytes));
  Wav hugeFmt;
  hugeFmt.Tag("RIFF").U32(0).Tag("WAVE").Tag("fmt ").U32(0xFFFFFFFFu);
  hugeFmt.U16(1).U16(1).U32(8000).U32(8000).U16(1).U16(8);
  EXPECT_FALSE(ParseWav(hugeFmt.bytes));

  Wav noData = Wav::Header(1, 1, 8000, 8);
  noData.Chunk("LIST", {1, 2});
  EXPECT_FALSE(ParseWav(noData.bytes)) << "no data chunk at all";
}

TEST(AudioFiles, ExtensionPicksTheDecoderWhateverItsCase) {
  std::vector<uint8_t> wav = device_env::PcmWav(1, 16, 8000, 12);
  Sound upper = LoadAudio(device_env::WriteFile("BEEP.WAV", wav));
  ASSERT_TRUE(upper);
  EXPECT_EQ(upper.length, 12);
  EXPECT_TRUE(LoadAudio(device_env::WriteFile("beep.wav", wav)));
  EXPECT_FALSE(LoadAudio(device_env::WriteFile("beep.raw", wav))) << "unknown extension";
  EXPECT_FALSE(LoadAudio(device_env::WriteFile("beep.ogg", wav))) << "a WAV named .ogg";
  EXPECT_FALSE(LoadAudio(device_env::ScratchDir() + "/missing.wav"));
  EXPECT_FALSE(LoadAudio(device_env::WriteFile("empty.wav", {})));

  std::string dir = device_env::ScratchDir() + "/folder.wav";
  ASSERT_EQ(std::system(("mkdir -p '" + dir + "'").c_str()), 0);
  EXPECT_FALSE(LoadAudio(dir)) << "a directory";
}

TEST(OggLoader, DecodesTheWholeFileToSixteenBitFrames) {
  std::vector<uint8_t> ogg = device_env::OggTone(2, 22050, 1.5);
  Sound s = LoadAudio(device_env::WriteFile("tone.OGG", ogg));
  ASSERT_TRUE(s);
  EXPECT_EQ(s.channels, 2);
  EXPECT_EQ(s.format, 2);
  EXPECT_EQ(s.hertz, 22050);
  EXPECT_NEAR(s.length, 22050 * 1.5, 2048) << "all frames, across many buffer doublings";
  const short* pcm = reinterpret_cast<const short*>(s.data.get());
  int peak = 0;
  for (int i = 0; i < s.length * 2; ++i) peak = std::max(peak, std::abs(int(pcm[i])));
  EXPECT_GT(peak, 10000) << "a half-scale tone, not silence";
  EXPECT_LT(peak, 24000);

  Sound mono = LoadAudio(device_env::WriteFile("mono.ogg", device_env::OggTone(1, 44100, 0.2)));
  ASSERT_TRUE(mono);
  EXPECT_EQ(mono.channels, 1);
  EXPECT_EQ(mono.hertz, 44100);
}

TEST(OggLoader, DamagedOrForeignFilesGiveNull) {
  std::vector<uint8_t> ogg = device_env::OggTone(1, 8000, 1.0);
  ASSERT_TRUE(vgOggPagesComplete(ogg.data(), ogg.size()));

  EXPECT_FALSE(LoadAudio(device_env::WriteFile("half.ogg", Cut(ogg, ogg.size() / 2))));
  EXPECT_FALSE(LoadAudio(device_env::WriteFile("headonly.ogg", Cut(ogg, 40))));
  EXPECT_FALSE(LoadAudio(device_env::WriteFile("empty.ogg", {})));
  EXPECT_FALSE(LoadAudio(device_env::WriteFile("riff.ogg", device_env::PcmWav(1, 8, 8000, 10))));

  // Well-formed Ogg pages whose packets are not Vorbis.
  std::vector<uint8_t> foreign = ogg;
  size_t body = 27 + foreign[26];
  std::memcpy(&foreign[body + 1], "notvrb", 6);
  EXPECT_TRUE(vgOggPagesComplete(foreign.data(), foreign.size()));
  EXPECT_FALSE(LoadAudio(device_env::WriteFile("foreign.ogg", foreign)));

  std::vector<uint8_t> noEnd = ogg;
  // Clear the end-of-stream flag of the last page: the file was cut at a page boundary.
  size_t last = 0;
  for (size_t i = 0; i + 4 <= noEnd.size(); ++i) {
    if (std::memcmp(&noEnd[i], "OggS", 4) == 0) last = i;
  }
  noEnd[last + 5] &= ~4;
  EXPECT_FALSE(vgOggPagesComplete(noEnd.data(), noEnd.size()));
}

TEST(OggLoader, ForgedHeadersAreRefusedBeforeDecoding) {
  // Four bytes of the comment and setup headers changed as a fuzzer once did: stb_vorbis
  // alone writes far out of bounds on this file (it ignores the now wrong page checksums).
  std::vector<uint8_t> ogg = device_env::OggTone(2, 11025, 0.05);
  ASSERT_GT(ogg.size(), 1100u);
  ASSERT_EQ(ogg[104], 52) << "the encoder's vendor string length";
  ASSERT_EQ(ogg[1087], 0);
  ASSERT_EQ(ogg[1093], 0);
  ASSERT_EQ(ogg[1094], 0);
  ogg[104] = 50;
  ogg[1087] = 1;
  ogg[1093] = 8;
  ogg[1094] = 0xAC;
  EXPECT_TRUE(vgOggPagesComplete(ogg.data(), ogg.size()));
  EXPECT_FALSE(vgVorbisHeadersValid(ogg.data(), ogg.size()));
  EXPECT_FALSE(LoadAudio(device_env::WriteFile("forged.ogg", ogg)));

  device_env::FixOggChecksums(ogg);
  EXPECT_FALSE(vgVorbisHeadersValid(ogg.data(), ogg.size())) << "refused on its contents too";
  EXPECT_FALSE(LoadAudio(device_env::WriteFile("forged2.ogg", ogg)));
}

TEST(ImageFiles, DecodeWithTheFilesOwnChannelCount) {
  std::vector<uint8_t> rgba = {255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 0, 9, 9, 9, 9,
                               1, 2, 3, 4, 5, 6, 7, 8};
  Image a = LoadImage(device_env::WriteFile("rgba.png", device_env::Png(3, 2, 4, rgba)));
  ASSERT_NE(a.data, nullptr);
  EXPECT_EQ(a.width, 3);
  EXPECT_EQ(a.height, 2);
  EXPECT_EQ(a.depth, 4);
  EXPECT_EQ(std::vector<uint8_t>(a.data.get(), a.data.get() + 24), rgba);

  Image rgb = LoadImage(device_env::WriteFile("rgb.png", device_env::Png(2, 1, 3, {1, 2, 3, 4, 5, 6})));
  EXPECT_EQ(rgb.depth, 3);
  Image gray = LoadImage(device_env::WriteFile("gray.png", device_env::Png(2, 2, 1, {0, 50, 100, 150})));
  EXPECT_EQ(gray.depth, 1);
  Image ga = LoadImage(device_env::WriteFile("ga.png", device_env::Png(1, 1, 2, {7, 8})));
  EXPECT_EQ(ga.depth, 2);
}

TEST(ImageFiles, DamagedOrForeignFilesGiveNull) {
  std::vector<uint8_t> png = device_env::Png(16, 16, 4, std::vector<uint8_t>(16 * 16 * 4, 77));
  EXPECT_EQ(LoadImage(device_env::WriteFile("cut.png", Cut(png, png.size() / 2))).data, nullptr);
  EXPECT_EQ(LoadImage(device_env::WriteFile("sig.png", Cut(png, 8))).data, nullptr);
  EXPECT_EQ(LoadImage(device_env::WriteFile("text.png", {'h', 'e', 'l', 'l', 'o'})).data, nullptr);
  EXPECT_EQ(LoadImage(device_env::WriteFile("zero.png", {})).data, nullptr);
  EXPECT_EQ(LoadImage(device_env::ScratchDir() + "/nothing.png").data, nullptr);
  std::string dir = device_env::ScratchDir() + "/folder.png";
  ASSERT_EQ(std::system(("mkdir -p '" + dir + "'").c_str()), 0);
  EXPECT_EQ(LoadImage(dir).data, nullptr);

  // A header claiming 100000 x 100000 pixels is refused before anything is allocated.
  std::vector<uint8_t> giant = png;
  const uint8_t side[4] = {0x00, 0x01, 0x86, 0xA0};
  std::memcpy(&giant[16], side, 4);
  std::memcpy(&giant[20], side, 4);
  EXPECT_EQ(LoadImage(device_env::WriteFile("giant.png", giant)).data, nullptr);
}

}  // namespace
