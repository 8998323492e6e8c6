// The services game code may call: VgDataBuffer's little-endian peeks and pokes, its blocks
// and whole-file loads; VgThread's one-shot life; and a TCP connection over loopback with
// its range checks and a peer that hangs up.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

#include "host/databuffer.h"
#include "host/socket.h"
#include "host/thread.h"

namespace {
VgDataBuffer* buffer(const char* text) {
  VgDataBuffer* b = new VgDataBuffer();
  b->_New(static_cast<int>(std::strlen(text)));
  std::memcpy(b->WritePointer(), text, std::strlen(text));
  return b;
}
std::string text(VgDataBuffer* b, int offset, int count) {
  return std::string(static_cast<const char*>(b->ReadPointer(offset)), count);
}
// A worker that holds until released, so the test can look at a thread while it runs.
struct Gate : VgThread {
  std::atomic<bool> open{false};
  std::atomic<int> runs{0};
  void Run__UNSAFE__() override {
    while (!open.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    runs.fetch_add(1);
  }
};
}  // namespace

TEST(DataBuffer, PeeksAndPokesAreLittleEndianSignExtendedAndKeptInsideTheBlock) {
  VgDataBuffer* b = buffer("..............");
  b->PokeShort(0, 0x12345);  // only the low 16 bits
  b->PokeByte(3, 0x1ff);
  b->PokeInt(5, 0x01020304);  // an odd address
  b->PokeFloat(9, 1.0f);
  EXPECT_EQ(text(b, 0, 14), std::string("\x45\x23.\xff.\x04\x03\x02\x01\0\0\x80\x3f.", 14));
  EXPECT_EQ(b->PeekShort(2), -210) << "0xff2e, sign-extended";
  EXPECT_EQ(b->PeekByte(3), -1);
  EXPECT_EQ(b->PeekInt(6), 0x010203);
  EXPECT_EQ(b->PeekFloat(9), 1.0f);
  EXPECT_TRUE(b->Contains(0, 14) && b->Contains(14, 0) && b->Contains(13, 1));
  for (auto [offset, count] : {std::pair{1, 14}, {-1, 2}, {2, -1}, {2, 0x7fffffff}})
    EXPECT_FALSE(b->Contains(offset, count)) << offset << "+" << count;
  void* foreign = std::malloc(3);  // a buffer holding data refuses another block
  EXPECT_FALSE(b->_New(8) || b->_New(3, foreign) || b->_Load(String("/etc/hostname")));
  std::free(foreign);
  EXPECT_EQ(b->Length(), 14);
  b->Discard();
  EXPECT_FALSE(b->Contains(0, 0)) << "no data";
  EXPECT_FALSE(b->_New(-1));
}

TEST(Thread, OneWorkerRunsPerStartAndAnAsyncLoadSetsItsResult) {
  (new VgThread())->Wait();  // returns at once: there is nothing to wait for
  Gate* g = new Gate();
  g->Start(), g->Start();  // the second start, while running, does nothing
  EXPECT_TRUE(g->IsRunning());
  g->open = true;
  g->Wait();
  EXPECT_FALSE(g->IsRunning());
  g->Start(), g->Wait();
  EXPECT_EQ(g->runs, 2);
  VgDataBuffer *b = new VgDataBuffer(), *none = new VgDataBuffer();
  ASSERT_TRUE(b->_LoadAsync(String("/proc/self/exe"), g));  // this test program
  EXPECT_EQ(g->Result(), b);
  EXPECT_EQ(b->Length(), static_cast<int>(std::filesystem::file_size("/proc/self/exe")));
  EXPECT_FALSE(none->_LoadAsync(String("/proc/self/none"), g));
  EXPECT_EQ(g->Result(), b) << "a failed load leaves the result alone";
}

TEST(Socket, LoopbackConnectionMovesOnlyRangesInsideTheBufferAndOutlivesAPeerThatHangsUp) {
  VgSocket *listener = new VgSocket(), *client = new VgSocket();
  VgSocketAddress* at = new VgSocketAddress();
  ASSERT_TRUE(listener->Open(VgSocket::kStream) && listener->Bind(String("127.0.0.1"), 0));
  listener->GetLocalAddress(at);  // the port the system picked
  ASSERT_TRUE(listener->Listen(1) && client->Open(VgSocket::kStream) &&
              client->Connect(String("127.0.0.1"), at->Port()) && listener->Accept());
  VgSocket* peer = listener->Accepted();
  ASSERT_NE(peer, nullptr);
  EXPECT_EQ(listener->Accepted(), nullptr) << "handed over once";
  VgDataBuffer *out = buffer("xxhello"), *in = buffer("........");
  for (auto [offset, count] : {std::pair{0, 8}, {3, 5}, {-1, 2}, {2, -1}, {1, 0x7fffffff}})
    EXPECT_EQ(client->Send(out, offset, count), -1) << offset << "+" << count;
  EXPECT_EQ(peer->Receive(in, 7, 2), -1);
  EXPECT_EQ(client->Send(out, 2, 5), 5);
  int got = 0;
  for (int n = 1; got < 5 && n > 0; got += n > 0 ? n : 0) n = peer->Receive(in, 3 + got, 5 - got);
  EXPECT_EQ(text(in, 3, got), "hello");
  peer->Close();  // a write to the closed connection raises SIGPIPE, fatal by default
  int result = 0;
  for (int i = 0; i < 200 && result >= 0; ++i) result = client->Send(out, 0, 7);
  EXPECT_EQ(result, -1) << "the send fails instead";
  client->Close(), listener->Close();
}
