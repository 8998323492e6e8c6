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
#include "tests/game/record_text.h"

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
  if (!menutest::IsValidRecord(host->saved)) Fail("the saved record is not 56 fields whose checksums hold");
  return 0;
}
