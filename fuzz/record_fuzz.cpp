// Fuzz target for the saved record: any bytes in the state file go through the host's text
// decoding and c_MyApp::p_Load, which must neither crash nor hang, must keep every setting
// within its limits, and must leave a game whose next save is a whole, valid record.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "framework/app.h"
#include "game/myapp.h"
#include "host/game.h"
#include "runtime/gc.h"

namespace {

// A host whose state file is the fuzz input: the bytes are decoded exactly as the real state
// file would be, through String::Load on an in-memory stream.
class RecordHost : public VgGame {
 public:
  std::string input, saved;

  String LoadState() override {
    FILE* f = fmemopen(const_cast<char*>(input.data()), input.size(), "rb");
    if (!f) return String();
    String text = String::Load(f);
    std::fclose(f);
    return text;
  }
  int SaveState(String state) override { return saved = state.ToUtf8(), 0; }
};

RecordHost* host;
c_MyApp* app;
[[noreturn]] void Fail(const char* what) { std::fprintf(stderr, "record_fuzz: %s\n", what), std::abort(); }

// Splits a saved record and checks its shape and its three checksums.
void CheckRecord(const std::string& record) {
  int32_t f[56];
  size_t at = 0;
  for (int i = 0; i < 56; ++i) {
    size_t bar = record.find('|', at);
    if (bar == std::string::npos) Fail("saved record has fewer than 56 fields");
    f[i] = static_cast<int32_t>(std::strtol(record.c_str() + at, nullptr, 10));
    at = bar + 1;
  }
  if (at != record.size()) Fail("saved record has trailing text");
  uint32_t c1 = 0, c2 = 0, c3 = 0;
  for (int i = 0; i < 25; ++i) c1 += uint32_t(i) * uint32_t(f[i]);
  for (int w = 0; w < 8; ++w) c2 += uint32_t(f[26 + w]);
  for (int i = 0; i < 10; ++i) c3 += uint32_t(i + 4) * uint32_t(f[35 + 2 * i]) + uint32_t(i + 3) * uint32_t(f[36 + 2 * i]);
  if (int32_t(c1) != f[25] || int32_t(c2) != f[34] || int32_t(c3) != f[55]) Fail("saved record has a bad checksum");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  gc_init();
  host = new RecordHost();
  vg_app__game = host;
  app = new c_MyApp();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  host->input.assign(reinterpret_cast<const char*>(data), size);
  // The defaults p_OnCreate gives before it loads.
  for (int i = 0; i < 256; ++i) {
    if (i < 25) app->m_Settings[i] = i == 5;
    if (i < 50) app->m_HighScores[i] = 0;
    app->m_BadgeFlags[i] = false;
  }

  app->p_Load();
  if (app->m_Settings[kPadCentreX] < 64 || app->m_Settings[kPadFromBottom] < 64) Fail("pad position below limit");
  if (app->m_Settings[kPadTenths] < 8) Fail("pad size below limit");
  if (app->m_Settings[kOverscanSetting] != 1 || vg_Vantorell_overscan != 0) Fail("overscan not reset");

  app->p_Save();
  CheckRecord(host->saved);
  return 0;
}
