// VgDataBuffer: a raw byte buffer for game code, with little-endian peeks and pokes at any
// byte offset and whole-file loading through the host's file services. Sockets send and
// receive through it.
#pragma once
#include "runtime/object.h"
#include "runtime/string.h"

class VgThread;

class VgDataBuffer : public Object {
 public:
  VgDataBuffer() {}
  ~VgDataBuffer() override;

  // False when the buffer already holds data. Otherwise adopts data (a block from
  // std::malloc, which the buffer then frees), or allocates length zeroed bytes when data
  // is null. A negative length is refused.
  bool _New(int length, void* data = nullptr);
  // False when the buffer already holds data; otherwise the whole file, true when it opened.
  bool _Load(String path);
  // As _Load (the file is read at once); on success the thread's result is this buffer.
  bool _LoadAsync(String path, VgThread* thread);
  void Discard();
  int Length() const { return _length; }

  const void* ReadPointer(int address = 0) const { return _data + address; }
  void* WritePointer(int address = 0) { return _data + address; }

  // Unchecked, for speed: the caller keeps address + width within Length().
  int PeekByte(int address) const;
  int PeekShort(int address) const;
  int PeekInt(int address) const;
  float PeekFloat(int address) const;
  void PokeByte(int address, int value);
  void PokeShort(int address, int value);
  void PokeInt(int address, int value);
  void PokeFloat(int address, float value);

  // True when [offset, offset + count) lies inside the buffer (counts from outside the
  // program, such as network sizes, are checked with this).
  bool Contains(int offset, int count) const;

 private:
  unsigned char* _data = nullptr;
  int _length = 0;
};
