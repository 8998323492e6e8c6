// Byte buffer storage, file loading and the little-endian accessors of VgDataBuffer.
// Values are assembled byte by byte, so no address needs any alignment.
#include "host/databuffer.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "host/files.h"
#include "host/thread.h"
#include "runtime/fatal.h"

VgDataBuffer::~VgDataBuffer() { Discard(); }

bool VgDataBuffer::_New(int length, void* data) {
  if (_data || length < 0) return false;
  if (!data) {
    // One spare byte so an empty buffer still counts as holding data.
    data = std::calloc(static_cast<size_t>(length) + 1, 1);
    if (!data) dbg_error("Out of memory");
  }
  _data = static_cast<unsigned char*>(data);
  _length = length;
  return true;
}

bool VgDataBuffer::_Load(String path) {
  if (_data) return false;
  _data = vg_files::LoadData(path, &_length);
  return _data != nullptr;
}

bool VgDataBuffer::_LoadAsync(String path, VgThread* thread) {
  if (!_Load(path)) return false;
  if (thread) thread->SetResult(this);
  return true;
}

void VgDataBuffer::Discard() {
  std::free(_data);
  _data = nullptr;
  _length = 0;
}

bool VgDataBuffer::Contains(int offset, int count) const {
  return _data && offset >= 0 && count >= 0 &&
         static_cast<int64_t>(offset) + count <= static_cast<int64_t>(_length);
}

namespace {
uint32_t load_le(const unsigned char* p, int width) {
  uint32_t v = 0;
  for (int i = width - 1; i >= 0; --i) v = v << 8 | p[i];
  return v;
}
void store_le(unsigned char* p, int width, uint32_t v) {
  for (int i = 0; i < width; ++i, v >>= 8) p[i] = static_cast<unsigned char>(v);
}
}  // namespace

int VgDataBuffer::PeekByte(int address) const {
  return static_cast<int8_t>(_data[address]);
}
int VgDataBuffer::PeekShort(int address) const {
  return static_cast<int16_t>(load_le(_data + address, 2));
}
int VgDataBuffer::PeekInt(int address) const {
  return static_cast<int32_t>(load_le(_data + address, 4));
}
float VgDataBuffer::PeekFloat(int address) const {
  uint32_t bits = load_le(_data + address, 4);
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}
void VgDataBuffer::PokeByte(int address, int value) {
  store_le(_data + address, 1, static_cast<uint32_t>(value));
}
void VgDataBuffer::PokeShort(int address, int value) {
  store_le(_data + address, 2, static_cast<uint32_t>(value));
}
void VgDataBuffer::PokeInt(int address, int value) {
  store_le(_data + address, 4, static_cast<uint32_t>(value));
}
void VgDataBuffer::PokeFloat(int address, float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  store_le(_data + address, 4, bits);
}
