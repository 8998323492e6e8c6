// vgPrint's UTF-8 console lines, and vgError, which hands a message to the fatal-error path
// (runtime/fatal.cpp) or ends the program for an empty one.
#include "runtime/console.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "runtime/fatal.h"

namespace {
std::string& line_buffer() {
  static std::string buffer;
  return buffer;
}
}  // namespace

// fputs stops at the first NUL, so a character 0 ends the written text, as it always has.
void vgPrint(const String& s) {
  std::string& buf = line_buffer();
  buf.clear();
  vgEncodeUtf8(s, buf);
  buf += '\n';
  std::fputs(buf.c_str(), stdout);
  std::fflush(stdout);
}

void vgDebugLog(const String& s) { vgPrint(s); }

void vgError(const String& message) {
  if (message.IsEmpty()) std::exit(0);
  dbg_error(message.ToNarrow().c_str());
}

void vgDebugStop() { dbg_stop(); }
