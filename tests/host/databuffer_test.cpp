// VgDataBuffer as game code uses it: little-endian peeks and pokes at any offset, owning
// and adopting blocks, loading whole files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "host/databuffer.h"
#include "host/thread.h"

namespace {
const unsigned char* bytes(const VgDataBuffer* b) {
  return static_cast<const unsigned char*>(b->ReadPointer());
}
}  // namespace

TEST(DataBuffer, PokesStoreLowBitsLittleEndian) {
  VgDataBuffer* b = new VgDataBuffer();
  ASSERT_TRUE(b->_New(16));
  EXPECT_EQ(b->Length(), 16);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(bytes(b)[i], 0);
  b->PokeShort(0, 0x12345);
  EXPECT_EQ(bytes(b)[0], 0x45);
  EXPECT_EQ(bytes(b)[1], 0x23);
  EXPECT_EQ(bytes(b)[2], 0x00) << "only 16 bits stored";
  b->PokeByte(3, 0x1ff);
  EXPECT_EQ(bytes(b)[3], 0xff);
  EXPECT_EQ(bytes(b)[4], 0x00);
  b->PokeInt(5, 0x01020304);  // odd, unaligned address
  EXPECT_EQ(std::memcmp(bytes(b) + 5, "\x04\x03\x02\x01", 4), 0);
}

TEST(DataBuffer, PeeksSignExtendAndRoundTripUnaligned) {
  VgDataBuffer* b = new VgDataBuffer();
  ASSERT_TRUE(b->_New(32));
  b->PokeShort(1, 0xffff);
  EXPECT_EQ(b->PeekShort(1), -1);
  b->PokeByte(0, 0x80);
  EXPECT_EQ(b->PeekByte(0), -128);
  b->PokeByte(0, 0x7f);
  EXPECT_EQ(b->PeekByte(0), 127);
  for (int address : {3, 7, 9}) {
    b->PokeInt(address, -123456789);
    EXPECT_EQ(b->PeekInt(address), -123456789) << address;
    b->PokeFloat(address + 4, -1.5e-3f);
    EXPECT_EQ(b->PeekFloat(address + 4), -1.5e-3f) << address;
  }
  b->PokeFloat(0, 1.0f);
  EXPECT_EQ(std::memcmp(bytes(b), "\x00\x00\x80\x3f", 4), 0) << "IEEE single, low byte first";
  b->PokeInt(20, static_cast<int>(0x80000000u));
  EXPECT_EQ(b->PeekInt(20), -2147483647 - 1);
}

TEST(DataBuffer, NewRefusesABufferThatHoldsData) {
  VgDataBuffer* b = new VgDataBuffer();
  ASSERT_TRUE(b->_New(4));
  b->PokeInt(0, 42);
  EXPECT_FALSE(b->_New(8));
  EXPECT_EQ(b->Length(), 4);
  EXPECT_EQ(b->PeekInt(0), 42);
  void* foreign = std::malloc(3);
  EXPECT_FALSE(b->_New(3, foreign));
  std::free(foreign);
  EXPECT_FALSE(b->_Load(String("/etc/hostname")));
  EXPECT_EQ(b->PeekInt(0), 42);

  b->Discard();
  EXPECT_EQ(b->Length(), 0);
  unsigned char* adopted = static_cast<unsigned char*>(std::malloc(2));
  adopted[0] = 0x34;
  adopted[1] = 0x12;
  ASSERT_TRUE(b->_New(2, adopted));
  EXPECT_EQ(b->PeekShort(0), 0x1234);
  EXPECT_EQ(b->ReadPointer(), adopted);
  EXPECT_FALSE((new VgDataBuffer())->_New(-1));
}

TEST(DataBuffer, RangesInsideTheBufferAreRecognised) {
  VgDataBuffer* b = new VgDataBuffer();
  EXPECT_FALSE(b->Contains(0, 0)) << "no data";
  ASSERT_TRUE(b->_New(10));
  EXPECT_TRUE(b->Contains(0, 10));
  EXPECT_TRUE(b->Contains(10, 0));
  EXPECT_FALSE(b->Contains(1, 10));
  EXPECT_FALSE(b->Contains(-1, 2));
  EXPECT_FALSE(b->Contains(2, -1));
  EXPECT_FALSE(b->Contains(5, 0x7fffffff)) << "no wrap-around";
}

TEST(DataBuffer, LoadReadsWholeFiles) {
  char dir[] = "/tmp/vg_buffer_XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  std::string path = std::string(dir) + "/blob";
  std::string content(10000, '\0');
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 31);
  std::ofstream(path, std::ios::binary) << content;

  VgDataBuffer* b = new VgDataBuffer();
  ASSERT_TRUE(b->_Load(String(path.c_str())));
  ASSERT_EQ(b->Length(), 10000);
  EXPECT_EQ(std::memcmp(b->ReadPointer(), content.data(), content.size()), 0);

  VgThread* t = new VgThread();
  VgDataBuffer* c = new VgDataBuffer();
  ASSERT_TRUE(c->_LoadAsync(String(path.c_str()), t));
  EXPECT_EQ(t->Result(), c);
  EXPECT_EQ(c->PeekByte(1), 31);

  VgDataBuffer* missing = new VgDataBuffer();
  EXPECT_FALSE(missing->_LoadAsync(String((path + ".none").c_str()), t));
  EXPECT_EQ(missing->Length(), 0);
  EXPECT_EQ(t->Result(), c) << "a failed load leaves the result alone";
  std::system((std::string("rm -rf ") + dir).c_str());
}
