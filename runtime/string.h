// String: immutable UTF-16 text shared through a reference-counted representation on the
// general heap. Every layer passes text as String; the empty string never allocates.
#pragma once
#include <cstddef>
#include <cstdio>
#include <string>

typedef char16_t Char;

template <class T>
class Array;

class String {
 public:
  struct Rep {
    int refs;
    int length;
    Char data[1];

    // The shared empty representation is never counted, so it can never reach zero.
    void retain() {
      if (length) ++refs;
    }
    void release() {
      if (length && --refs == 0) destroy();
    }
    void destroy();
    static Rep* alloc(int length);
  };
  static Rep nullRep;

  // A temporary narrow copy for calls into the C library; lives as long as its holders.
  template <class C>
  class CString {
   public:
    explicit CString(const String& s);
    CString(const CString& o) : block_(o.block_) { ++block_->count; }
    CString& operator=(const CString& o);
    ~CString();
    operator const C*() const { return block_->text; }
    const C* c_str() const { return block_->text; }

   private:
    struct Block {
      int count;
      C text[1];
    };
    Block* block_;
  };

  constexpr String() : rep_(&nullRep) {}
  String(const String& s) : rep_(s.rep_) { rep_->retain(); }
  String(String&& s) noexcept : rep_(s.rep_) { s.rep_ = &nullRep; }
  String(const Char* data, int length);
  String(const char* text);
  String(const char* text, int length);
  // A single character as a one-character string.
  String(Char ch, int repeat);
  explicit String(int n);
  explicit String(float f);
  explicit String(double d) : String(static_cast<float>(d)) {}
  explicit String(Rep* rep) : rep_(rep) {}
  ~String() { rep_->release(); }

  String& operator=(const String& s);
  String& operator=(String&& s) noexcept;

  int Length() const { return rep_->length; }
  bool IsEmpty() const { return rep_->length == 0; }
  const Char* Data() const { return rep_->data; }
  int operator[](int i) const { return rep_->data[i]; }
  Rep* GetRep() const { return rep_; }

  String operator+(const String& s) const;
  String& operator+=(const String& s) { return *this = *this + s; }
  bool operator==(const String& s) const;
  bool operator!=(const String& s) const { return !(*this == s); }
  // Ordering by 16-bit units, then by length.
  int Compare(const String& s) const;
  bool operator<(const String& s) const { return Compare(s) < 0; }

  // Position of the first match at or after start, or -1 (matches never overlap).
  int Find(const String& find, int start = 0) const;
  int FindLast(const String& find) const;
  int FindLast(const String& find, int start) const;
  bool Contains(const String& s) const { return Find(s) != -1; }
  bool StartsWith(const String& s) const;
  bool EndsWith(const String& s) const;

  // Characters from..to-1; negative indices count from the end; out-of-range clamps.
  String Slice(int from) const;
  String Slice(int from, int to) const;
  String ToUpper() const;
  String ToLower() const;
  String Trim() const;
  Array<String> Split(const String& separator) const;
  String Replace(const String& find, const String& replacement) const;
  String Join(const Array<String>& pieces) const;

  int ToInt() const;
  float ToFloat() const;
  std::string ToUtf8() const;
  std::string ToNarrow() const;

  static String FromChar(int ch);
  static String FromUtf8(const char* bytes, int length);
  // Reads and decodes a whole text file (UTF-16 by byte-order mark, else UTF-8).
  static String Load(FILE* file);
  // "Invalid UTF-8" after a load that fell back to bytes; empty after a clean one.
  static String LastLoadError();

 private:
  // CString's blocks: the general heap, with the fatal "Out of memory" path on failure.
  static void* AllocBlock(size_t bytes);
  static void FreeBlock(void* block);

  Rep* rep_;
};

inline String operator+(const char* a, const String& b) { return String(a) + b; }

// Appends s to out as UTF-8, one to three bytes per 16-bit unit (no surrogate pairing).
void vgEncodeUtf8(const String& s, std::string& out);

template <class C>
String::CString<C>::CString(const String& s) {
  int n = s.Length();
  block_ = static_cast<Block*>(AllocBlock(sizeof(Block) + static_cast<size_t>(n) * sizeof(C)));
  block_->count = 1;
  for (int i = 0; i < n; ++i) block_->text[i] = static_cast<C>(s[i]);
  block_->text[n] = 0;
}

template <class C>
typename String::CString<C>& String::CString<C>::operator=(const CString& o) {
  ++o.block_->count;
  if (--block_->count == 0) FreeBlock(block_);
  block_ = o.block_;
  return *this;
}

template <class C>
String::CString<C>::~CString() {
  if (--block_->count == 0) FreeBlock(block_);
}
