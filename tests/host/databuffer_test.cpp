// VgDataBuffer as game code uses it: little-endian peeks and pokes at any offset, owning and
// adopting blocks, range checks, and loading whole files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "host/databuffer.h"
#include "host/thread.h"

TEST(DataBuffer, PokesAndPeeksAreLittleEndianUnalignedAndSignExtended) {
  VgDataBuffer* b = new VgDataBuffer();
  ASSERT_TRUE(b->_New(32));
  const unsigned char* bytes = static_cast<const unsigned char*>(b->ReadPointer());
  b->PokeShort(0, 0x12345);  // only the low 16 bits
  b->PokeByte(3, 0x1ff);
  b->PokeInt(5, 0x01020304);  // an odd address
  b->PokeFloat(9, 1.0f);
  EXPECT_EQ(std::memcmp(bytes, "\x45\x23\0\xff\0\x04\x03\x02\x01\0\0\x80\x3f\0", 14), 0);
  b->PokeShort(1, 0xffff);
  EXPECT_EQ(b->PeekShort(1), -1);
  b->PokeByte(0, 0x80);
  EXPECT_EQ(b->PeekByte(0), -128);
  for (int address : {3, 7, 9}) {
    b->PokeInt(address, -123456789);
    b->PokeFloat(address + 4, -1.5e-3f);
    EXPECT_EQ(b->PeekInt(address), -123456789) << address;
    EXPECT_EQ(b->PeekFloat(address + 4), -1.5e-3f) << address;
  }
}

TEST(DataBuffer, NewRefusesABufferThatHoldsDataAndRangesStayInside) {
  VgDataBuffer* b = new VgDataBuffer();
  EXPECT_FALSE(b->Contains(0, 0)) << "no data";
  ASSERT_TRUE(b->_New(4));
  b->PokeInt(0, 42);
  void* foreign = std::malloc(3);
  EXPECT_FALSE(b->_New(8) || b->_New(3, foreign) || b->_Load(String("/etc/hostname")));
  std::free(foreign);
  EXPECT_EQ(b->Length(), 4);
  EXPECT_EQ(b->PeekInt(0), 42);
  EXPECT_TRUE(b->Contains(0, 4) && b->Contains(4, 0));
  for (auto [offset, count] : {std::pair{1, 4}, {-1, 2}, {2, -1}, {2, 0x7fffffff}})
    EXPECT_FALSE(b->Contains(offset, count)) << offset << "+" << count;
  b->Discard();
  EXPECT_EQ(b->Length(), 0);
  unsigned char* adopted = static_cast<unsigned char*>(std::malloc(2));
  adopted[0] = 0x34, adopted[1] = 0x12;
  ASSERT_TRUE(b->_New(2, adopted));
  EXPECT_EQ(b->PeekShort(0), 0x1234);
  EXPECT_FALSE((new VgDataBuffer())->_New(-1));
}

TEST(DataBuffer, LoadReadsWholeFilesAndTheAsyncFormSetsTheThreadsResult) {
  char dir[] = "/tmp/vg_buffer_XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  std::string path = std::string(dir) + "/blob", content(10000, '\0');
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 31);
  std::ofstream(path, std::ios::binary) << content;
  VgDataBuffer* b = new VgDataBuffer();
  ASSERT_TRUE(b->_Load(String(path.c_str())));
  ASSERT_EQ(b->Length(), 10000);
  EXPECT_EQ(std::memcmp(b->ReadPointer(), content.data(), content.size()), 0);
  VgThread* t = new VgThread();
  VgDataBuffer *c = new VgDataBuffer(), *missing = new VgDataBuffer();
  ASSERT_TRUE(c->_LoadAsync(String(path.c_str()), t));
  EXPECT_EQ(t->Result(), c);
  EXPECT_EQ(c->PeekByte(1), 31);
  EXPECT_FALSE(missing->_LoadAsync(String((path + ".none").c_str()), t));
  EXPECT_EQ(t->Result(), c) << "a failed load leaves the result alone";
  std::filesystem::remove_all(dir);
}
