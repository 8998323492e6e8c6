// String construction, concatenation, searching, Split, Replace and conversions.
// Everything that builds text (game, framework, host) ends up in these routines.
#include "runtime/string.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "runtime/array.h"
#include "runtime/fatal.h"

String::Rep String::nullRep = {0, 0, {0}};

// Lengths come from sums and products of other lengths; one that overflowed arrives here
// negative and must not turn into a short block.
String::Rep* String::Rep::alloc(int length) {
  if (length < 0) dbg_error("Out of memory");
  Rep* rep = static_cast<Rep*>(
      std::malloc(sizeof(int) * 2 + sizeof(Char) * (static_cast<size_t>(length) + 1)));
  // The fatal path allocates nothing, so it still works when the heap is exhausted.
  if (!rep) dbg_error("Out of memory");
  rep->refs = 1;
  rep->length = length;
  return rep;
}

// release() never gets here for the empty representation; saying so keeps the optimizer
// from warning about a free of the static on a path it cannot rule out.
void String::Rep::destroy() {
  if (this != &nullRep) std::free(this);
}

String::String(const Char* data, int length) : rep_(&nullRep) {
  if (length <= 0) return;
  rep_ = Rep::alloc(length);
  std::memcpy(rep_->data, data, length * sizeof(Char));
}

String::String(const char* text) : String(text, text ? static_cast<int>(std::strlen(text)) : 0) {}

// Bytes widen as signed values: 0x80..0xFF become 0xFF80..0xFFFF, as the runtime always did.
String::String(const char* text, int length) : rep_(&nullRep) {
  if (length <= 0) return;
  rep_ = Rep::alloc(length);
  for (int i = 0; i < length; ++i) {
    rep_->data[i] = static_cast<Char>(static_cast<short>(static_cast<signed char>(text[i])));
  }
}

String::String(Char ch, int repeat) : rep_(&nullRep) {
  if (repeat <= 0) return;
  rep_ = Rep::alloc(repeat);
  for (int i = 0; i < repeat; ++i) rep_->data[i] = ch;
}

String::String(int n) : rep_(&nullRep) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%i", n);
  *this = String(buf);
}

String::String(float f) : rep_(&nullRep) {
  char buf[64];
  std::snprintf(buf, sizeof buf - 2, "%.17lg", static_cast<double>(f));
  if (!std::strchr(buf, '.') && !std::strchr(buf, 'e')) std::strcat(buf, ".0");
  *this = String(buf);
}

String& String::operator=(const String& s) {
  s.rep_->retain();
  rep_->release();
  rep_ = s.rep_;
  return *this;
}

String& String::operator=(String&& s) noexcept {
  if (this != &s) {
    rep_->release();
    rep_ = s.rep_;
    s.rep_ = &nullRep;
  }
  return *this;
}

String String::operator+(const String& s) const {
  if (!rep_->length) return s;
  if (!s.rep_->length) return *this;
  int64_t total = static_cast<int64_t>(rep_->length) + s.rep_->length;
  Rep* rep = Rep::alloc(total > INT32_MAX ? -1 : static_cast<int>(total));
  std::memcpy(rep->data, rep_->data, rep_->length * sizeof(Char));
  std::memcpy(rep->data + rep_->length, s.rep_->data, s.rep_->length * sizeof(Char));
  return String(rep);
}

bool String::operator==(const String& s) const {
  if (rep_ == s.rep_) return true;
  if (rep_->length != s.rep_->length) return false;
  return std::memcmp(rep_->data, s.rep_->data, rep_->length * sizeof(Char)) == 0;
}

int String::Compare(const String& s) const {
  int n = rep_->length < s.rep_->length ? rep_->length : s.rep_->length;
  for (int i = 0; i < n; ++i) {
    int d = static_cast<int>(rep_->data[i]) - static_cast<int>(s.rep_->data[i]);
    if (d) return d;
  }
  return rep_->length - s.rep_->length;
}

int String::Find(const String& find, int start) const {
  int m = find.Length();
  if (start < 0) start = 0;
  const Char* p = rep_->data;
  for (int i = start; i + m <= rep_->length; ++i) {
    if (std::memcmp(p + i, find.rep_->data, m * sizeof(Char)) == 0) return i;
  }
  return -1;
}

int String::FindLast(const String& find) const { return FindLast(find, rep_->length - find.Length()); }

int String::FindLast(const String& find, int start) const {
  int m = find.Length();
  if (start > rep_->length - m) start = rep_->length - m;
  for (int i = start; i >= 0; --i) {
    if (std::memcmp(rep_->data + i, find.rep_->data, m * sizeof(Char)) == 0) return i;
  }
  return -1;
}

bool String::StartsWith(const String& s) const {
  return s.Length() <= Length() && std::memcmp(Data(), s.Data(), s.Length() * sizeof(Char)) == 0;
}

bool String::EndsWith(const String& s) const {
  int n = Length() - s.Length();
  return n >= 0 && std::memcmp(Data() + n, s.Data(), s.Length() * sizeof(Char)) == 0;
}

String String::Slice(int from) const { return Slice(from, rep_->length); }

String String::Slice(int from, int to) const {
  int len = rep_->length;
  if (from < 0) {
    from += len;
    if (from < 0) from = 0;
  } else if (from > len) {
    from = len;
  }
  if (to < 0) {
    to += len;
  } else if (to > len) {
    to = len;
  }
  if (from == 0 && to == len) return *this;
  if (from >= to) return String();
  return String(rep_->data + from, to - from);
}

String String::ToUpper() const {
  Rep* rep = nullptr;
  for (int i = 0; i < rep_->length; ++i) {
    Char c = rep_->data[i];
    if (c >= 'a' && c <= 'z') {
      if (!rep) {
        rep = Rep::alloc(rep_->length);
        std::memcpy(rep->data, rep_->data, rep_->length * sizeof(Char));
      }
      rep->data[i] = c - 32;
    }
  }
  return rep ? String(rep) : *this;
}

String String::ToLower() const {
  Rep* rep = nullptr;
  for (int i = 0; i < rep_->length; ++i) {
    Char c = rep_->data[i];
    if (c >= 'A' && c <= 'Z') {
      if (!rep) {
        rep = Rep::alloc(rep_->length);
        std::memcpy(rep->data, rep_->data, rep_->length * sizeof(Char));
      }
      rep->data[i] = c + 32;
    }
  }
  return rep ? String(rep) : *this;
}

String String::Trim() const {
  int i = 0, j = rep_->length;
  while (i < j && rep_->data[i] <= ' ') ++i;
  while (j > i && rep_->data[j - 1] <= ' ') --j;
  return Slice(i, j);
}

Array<String> String::Split(const String& sep) const {
  int len = rep_->length;
  if (!sep.Length()) {
    Array<String> out(len);
    for (int i = 0; i < len; ++i) out[i] = String(rep_->data + i, 1);
    return out;
  }
  int k = 0;
  for (int q = Find(sep); q != -1; q = Find(sep, q + sep.Length())) ++k;
  Array<String> out(k + 1);
  if (!k) {
    out[0] = *this;
    return out;
  }
  int start = 0, i = 0;
  for (int q = Find(sep); q != -1; q = Find(sep, q + sep.Length())) {
    out[i++] = Slice(start, q);
    start = q + sep.Length();
  }
  out[i] = Slice(start);
  return out;
}

// An empty search text would match everywhere without advancing; there is nothing to replace.
String String::Replace(const String& find, const String& repl) const {
  int m = find.Length();
  if (!m) return *this;
  int k = 0;
  for (int q = Find(find); q != -1; q = Find(find, q + m)) ++k;
  if (!k) return *this;
  int64_t total = rep_->length - static_cast<int64_t>(k) * m +
                  static_cast<int64_t>(k) * repl.Length();
  if (total <= 0) return String();
  Rep* rep = Rep::alloc(total > INT32_MAX ? -1 : static_cast<int>(total));
  Char* dst = rep->data;
  int start = 0;
  for (int q = Find(find); q != -1; q = Find(find, q + m)) {
    std::memcpy(dst, rep_->data + start, (q - start) * sizeof(Char));
    dst += q - start;
    std::memcpy(dst, repl.Data(), repl.Length() * sizeof(Char));
    dst += repl.Length();
    start = q + m;
  }
  std::memcpy(dst, rep_->data + start, (rep_->length - start) * sizeof(Char));
  return String(rep);
}

String String::Join(const Array<String>& pieces) const {
  String out;
  for (int i = 0; i < pieces.Length(); ++i) {
    if (i) out += *this;
    out += pieces[i];
  }
  return out;
}

int String::ToInt() const {
  char buf[64];
  int n = rep_->length < 63 ? rep_->length : 63;
  for (int i = 0; i < n; ++i) buf[i] = static_cast<char>(rep_->data[i] & 0xff);
  buf[n] = 0;
  return std::atoi(buf);
}

float String::ToFloat() const {
  char buf[64];
  int n = rep_->length < 63 ? rep_->length : 63;
  for (int i = 0; i < n; ++i) buf[i] = static_cast<char>(rep_->data[i] & 0xff);
  buf[n] = 0;
  return static_cast<float>(std::atof(buf));
}

void vgEncodeUtf8(const String& s, std::string& out) {
  const Char* p = s.Data();
  for (int i = 0, n = s.Length(); i < n; ++i) {
    unsigned c = p[i];
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xc0 | c >> 6);
      out += static_cast<char>(0x80 | (c & 0x3f));
    } else {
      out += static_cast<char>(0xe0 | c >> 12);
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3f));
      out += static_cast<char>(0x80 | (c & 0x3f));
    }
  }
}

std::string String::ToUtf8() const {
  std::string out;
  vgEncodeUtf8(*this, out);
  return out;
}

std::string String::ToNarrow() const {
  std::string out(rep_->length, '\0');
  for (int i = 0; i < rep_->length; ++i) out[i] = static_cast<char>(rep_->data[i] & 0xff);
  return out;
}

void* String::AllocBlock(size_t bytes) {
  void* block = std::malloc(bytes);
  if (!block) dbg_error("Out of memory");
  return block;
}

void String::FreeBlock(void* block) { std::free(block); }

String String::FromChar(int ch) {
  Char c = static_cast<Char>(ch);
  return String(&c, 1);
}
