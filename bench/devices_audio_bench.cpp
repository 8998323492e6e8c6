// Audio decoding cost: a 100-second stereo 44.1 kHz Ogg Vorbis tune (a tone with hiss, so
// the encoder spends bits as on music), encoded here with libvorbisenc, decoded whole as PlayMusic does at load (page and header checks included);
// and a 1-second 16-bit stereo WAV for comparison.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "host/media.h"
#include "tests/devices/device_env.h"

namespace {

FILE* MemoryFile(const std::vector<uint8_t>& bytes) {
  FILE* f = std::tmpfile();
  if (!f) std::abort();
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  return f;
}

void BM_DecodeOgg100s(benchmark::State& state) {
  static const std::vector<uint8_t> tune = device_env::OggTone(2, 44100, 100.0, 330, 0.3);
  FILE* f = MemoryFile(tune);
  int frames = 0;
  for (auto _ : state) {
    std::rewind(f);
    int length = 0, channels = 0, format = 0, hertz = 0;
    unsigned char* pcm = vgLoadOGG(f, &length, &channels, &format, &hertz);
    if (!pcm) state.SkipWithError("decode failed");
    frames = length;
    std::free(pcm);
  }
  std::fclose(f);
  state.counters["file_kb"] = tune.size() / 1024.0;
  state.counters["frames"] = frames;
  state.counters["audio_s_per_cpu_s"] =
      benchmark::Counter(frames / 44100.0 * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DecodeOgg100s)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_LoadWav1s(benchmark::State& state) {
  static const std::vector<uint8_t> wav = device_env::PcmWav(2, 16, 44100, 44100);
  FILE* f = MemoryFile(wav);
  for (auto _ : state) {
    std::rewind(f);
    int length = 0, channels = 0, format = 0, hertz = 0;
    std::free(vgLoadWAV(f, &length, &channels, &format, &hertz));
  }
  std::fclose(f);
}
BENCHMARK(BM_LoadWav1s)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
