// Decoding of whole text files and UTF-8 byte runs into 16-bit strings: UTF-16 in either
// byte order by its mark, otherwise UTF-8 with an optional mark. Called by the host's
// LoadString/LoadState and by anyone turning UTF-8 bytes into a String.
#include <cstdlib>
#include <vector>

#include "runtime/file_read.h"
#include "runtime/string.h"

namespace {
// Process-wide, as callers of Load expect; cleared at the start of every load.
String last_load_error;

// One 16-bit unit per sequence of one to three bytes; false on a byte that starts no
// sequence, a missing continuation byte or a sequence cut by the end.
bool decode_utf8(const unsigned char* p, size_t n, std::vector<Char>& out) {
  out.reserve(n);
  for (size_t i = 0; i < n;) {
    unsigned c = p[i];
    if (c < 0x80) {
      out.push_back(static_cast<Char>(c));
      i += 1;
    } else if ((c & 0xe0) == 0xc0) {
      if (i + 1 >= n || (p[i + 1] & 0xc0) != 0x80) return false;
      out.push_back(static_cast<Char>((c & 0x1f) << 6 | (p[i + 1] & 0x3f)));
      i += 2;
    } else if ((c & 0xf0) == 0xe0) {
      if (i + 2 >= n || (p[i + 1] & 0xc0) != 0x80 || (p[i + 2] & 0xc0) != 0x80) return false;
      out.push_back(static_cast<Char>((c & 0x0f) << 12 | (p[i + 1] & 0x3f) << 6 | (p[i + 2] & 0x3f)));
      i += 3;
    } else {
      return false;
    }
  }
  return true;
}

String from_units(const std::vector<Char>& units) {
  return String(units.data(), static_cast<int>(units.size()));
}

// Invalid UTF-8 is kept as it was read: one character 0..255 per byte.
String from_bytes(const unsigned char* p, size_t n) {
  std::vector<Char> units(p, p + n);
  return from_units(units);
}

String decode_text(const unsigned char* p, size_t n) {
  if (n >= 2 && ((p[0] == 0xfe && p[1] == 0xff) || (p[0] == 0xff && p[1] == 0xfe))) {
    bool big = p[0] == 0xfe;
    std::vector<Char> units;
    units.reserve(n / 2);
    // A trailing odd byte is not half of anything and is dropped.
    for (size_t i = 2; i + 1 < n; i += 2) {
      unsigned hi = big ? p[i] : p[i + 1];
      unsigned lo = big ? p[i + 1] : p[i];
      units.push_back(static_cast<Char>(hi << 8 | lo));
    }
    return from_units(units);
  }
  if (n > 2 && p[0] == 0xef && p[1] == 0xbb && p[2] == 0xbf) {
    p += 3;
    n -= 3;
  }
  std::vector<Char> units;
  if (decode_utf8(p, n, units)) return from_units(units);
  last_load_error = String("Invalid UTF-8");
  return from_bytes(p, n);
}
}  // namespace

String String::Load(FILE* file) {
  last_load_error = String();
  std::vector<unsigned char> bytes;
  vgReadRest(file, bytes);  // a read error keeps what came before it, as a short file would
  if (bytes.empty()) return String();
  return decode_text(bytes.data(), bytes.size());
}

String String::LastLoadError() { return last_load_error; }

// Same decoding as a UTF-8 file without a mark, but leaves the load error alone.
String String::FromUtf8(const char* bytes, int length) {
  if (!bytes || length <= 0) return String();
  const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes);
  std::vector<Char> units;
  if (decode_utf8(p, static_cast<size_t>(length), units)) return from_units(units);
  return from_bytes(p, static_cast<size_t>(length));
}
