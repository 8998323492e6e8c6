// Array<T>: a value holding one pointer to a collected representation (length, elements).
// New elements are zero (or empty strings); arrays of references mark their elements at once.
// Used for every fixed pool and table in the framework and the game.
#pragma once
#include <cstdint>
#include <cstring>
#include <new>
#include <type_traits>

#include "runtime/fatal.h"
#include "runtime/gc.h"
#include "runtime/string.h"

// Element routines of string arrays: n empty strings, n shared copies, n releases.
inline void t_create(int n, String* p) {
  for (int i = 0; i < n; ++i) new (p + i) String();
}
inline void t_create(int n, String* p, const String* source) {
  for (int i = 0; i < n; ++i) new (p + i) String(source[i]);
}
inline void t_destroy(int n, String* p) {
  for (int i = 0; i < n; ++i) p[i].~String();
}

template <class T>
class Array {
 public:
  class Rep : public gc_object {
   public:
    int length;

    constexpr Rep() : gc_object(static_tag{}), length(0) {}
    explicit Rep(int n) : length(n) {
      if constexpr (std::is_same_v<T, String>) {
        t_create(n, data());
      } else {
        std::memset(static_cast<void*>(data()), 0, sizeof(T) * n);
      }
    }
    ~Rep() override {
      if constexpr (std::is_same_v<T, String>) t_destroy(length, data());
    }
    void mark() override {
      if constexpr (std::is_pointer_v<T>) {
        for (int i = 0; i < length; ++i) gc_mark_now(gc_as_object(data()[i]));
      }
    }
    T* data() { return reinterpret_cast<T*>(reinterpret_cast<char*>(this) + header_size()); }

    static constexpr int header_size() {
      return static_cast<int>((sizeof(Rep) + alignof(T) - 1) / alignof(T) * alignof(T));
    }
    // A length whose block would not fit the collector's 32-bit sizes is out of memory,
    // not a short block.
    static Rep* create(int n) {
      if (n > (INT32_MAX - 8 - header_size()) / static_cast<int>(sizeof(T))) {
        dbg_error("Out of memory");
      }
      void* block = gc_object_alloc(header_size() + static_cast<int>(sizeof(T)) * n);
      return new (block) Rep(n);
    }
  };

  static Rep nullRep;

  Array() : rep_(&nullRep) {}
  explicit Array(int length) : rep_(length > 0 ? Rep::create(length) : &nullRep) {}
  Array(const T* src, int length) : Array(length) {
    for (int i = 0; i < length; ++i) rep_->data()[i] = src[i];
  }
  explicit Array(Rep* rep) : rep_(rep) {}

  int Length() const { return rep_->length; }
  T& operator[](int i) const { return rep_->data()[i]; }
  T* Data() const { return rep_->data(); }
  Rep* GetRep() const { return rep_; }
  Rep*& RepSlot() { return rep_; }

  // A new array holding elements from..to-1; negative indices count from the end.
  Array Slice(int from, int to) const {
    int len = Length();
    if (from < 0) from = from + len < 0 ? 0 : from + len;
    if (from > len) from = len;
    if (to < 0) to += len;
    if (to > len) to = len;
    if (from >= to) return Array();
    return Array(Data() + from, to - from);
  }
  Array Slice(int from) const { return Slice(from, Length()); }
  // A new array of n elements: the old ones first, the rest new.
  Array Resize(int n) const {
    Array out(n);
    int k = n < Length() ? n : Length();
    for (int i = 0; i < k; ++i) out[i] = (*this)[i];
    return out;
  }

 private:
  Rep* rep_;
};

template <class T>
typename Array<T>::Rep Array<T>::nullRep;

// Storing an array into a field or global of a collected owner goes through the barrier.
template <class T>
inline void gc_assign(Array<T>& field, const Array<T>& value) {
  gc_queue(value.GetRep());
  field.RepSlot() = value.GetRep();
}

template <class T>
inline void gc_mark_q(const Array<T>& a) {
  gc_queue(a.GetRep());
}

// A module global array as a root slot (its representation pointer).
template <class T>
void gc_root(const Array<T>& global) {
  gc_root(const_cast<Array<T>&>(global).RepSlot());
}
