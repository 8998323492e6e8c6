// Writes the seed corpora of the decoder fuzz targets: small valid and nearly valid WAV,
// Ogg and PNG files made by the same builders the device tests use. Run by scripts/fuzz as
// fuzz_seeds <corpus dir>; creates <dir>/wav_fuzz, <dir>/ogg_fuzz and <dir>/png_fuzz.
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/devices/device_env.h"

using device_env::Wav;

namespace {

void Put(const std::string& dir, const std::string& name, const std::vector<uint8_t>& bytes) {
  mkdir(dir.c_str(), 0755);
  if (FILE* f = std::fopen((dir + "/" + name).c_str(), "wb")) {
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
}

std::vector<uint8_t> Cut(std::vector<uint8_t> b, size_t n) { return b.resize(n), b; }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return std::fprintf(stderr, "usage: fuzz_seeds <corpus dir>\n"), 2;
  std::string root = argv[1];
  mkdir(root.c_str(), 0755);

  std::string wav = root + "/wav_fuzz";
  Put(wav, "mono16", device_env::PcmWav(1, 16, 8000, 16));
  Put(wav, "stereo8", device_env::PcmWav(2, 8, 11025, 8));
  Put(wav, "fmt18", Wav::Header(1, 1, 8000, 16, 18).Chunk("data", device_env::Counting(8)).bytes);
  Put(wav, "list", Wav::Header(1, 2, 8000, 16).Chunk("LIST", {'I', 'N', 'F', 'O', 1}).Raw({0}).Chunk("data", device_env::Counting(8)).bytes);
  Put(wav, "float", Wav::Header(3, 1, 8000, 32).Chunk("data", device_env::Counting(8)).bytes);
  Put(wav, "cut", Cut(device_env::PcmWav(1, 16, 8000, 16), 40));

  std::string ogg = root + "/ogg_fuzz";
  std::vector<uint8_t> tone = device_env::OggTone(1, 8000, 0.1);
  Put(ogg, "mono", tone);
  Put(ogg, "stereo", device_env::OggTone(2, 11025, 0.05));
  Put(ogg, "half", Cut(tone, tone.size() / 2));

  std::string png = root + "/png_fuzz";
  for (int d = 1; d <= 4; ++d) Put(png, "depth" + std::to_string(d), device_env::Png(3, 2, d, device_env::Counting(6 * d)));
  std::vector<uint8_t> big = device_env::Png(16, 16, 4, device_env::Counting(16 * 16 * 4));
  Put(png, "cut", Cut(big, big.size() / 2));
  // Found by the fuzzer: chunk lengths that run past the file's end once made the decoder
  // ask for 2 GiB for a 3 x 2 image.
  static const char kLyingChunks[] =
      "\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x03\0\0\0\x02\x08\0\0\0\0\xb8\x1f\x39\xc6"
      "\0\0\0\x10IDAT\x02\x08\0\0\0\0\xb8\x1f\x39\xc6\0\0\0\x10IDATx^cd`dIDATxdEND\xae"
      "B`\x82";
  Put(png, "lying-chunks", std::vector<uint8_t>(kLyingChunks, kLyingChunks + sizeof kLyingChunks - 1));
  return 0;
}
