// The services game code may call: VgDataBuffer's little-endian peeks and pokes, owned and
// adopted blocks and whole-file loads; VgThread's one-shot life; and sockets over loopback
// only (127.0.0.1, ports the system picks) with range checks and a peer that hangs up.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>
#include <tuple>

#include "host/databuffer.h"
#include "host/socket.h"
#include "host/thread.h"
#include "tests/runtime/string_print.h"

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
VgSocketAddress* address(VgSocket* s, bool remote = false) {
  VgSocketAddress* a = new VgSocketAddress();
  remote ? s->GetRemoteAddress(a) : s->GetLocalAddress(a);
  return a;
}
VgSocket* bound(int protocol) {  // on 127.0.0.1 at a port the system picks
  VgSocket* s = new VgSocket();
  EXPECT_TRUE(s->Open(protocol) && s->Bind(String("127.0.0.1"), 0));
  return s;
}
VgSocket* connect_to(VgSocket* listener) {
  VgSocket* client = new VgSocket();
  EXPECT_TRUE(listener->Listen(4) && client->Open(1) &&
              client->Connect(String("127.0.0.1"), address(listener)->Port()) && listener->Accept());
  return client;
}
// A worker that holds until released, so the test can look at a thread while it runs.
struct Gate : VgThread {
  std::atomic<bool> open{false};
  std::atomic<int> runs{0};
  int value = 0;  // written by the worker, read by the owner after Wait
  void Run__UNSAFE__() override {
    while (!open.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    value = 1000 + runs.fetch_add(1);
  }
};
}  // namespace

TEST(DataBuffer, PokesAndPeeksAreLittleEndianUnalignedAndSignExtended) {
  VgDataBuffer* b = buffer("................................");
  b->PokeShort(0, 0x12345);  // only the low 16 bits
  b->PokeByte(3, 0x1ff);
  b->PokeInt(5, 0x01020304);  // an odd address
  b->PokeFloat(9, 1.0f);
  EXPECT_EQ(text(b, 0, 14), std::string("\x45\x23.\xff.\x04\x03\x02\x01\0\0\x80\x3f.", 14));
  b->PokeShort(1, 0xffff);
  EXPECT_EQ(b->PeekShort(1), -1);
  b->PokeByte(0, 0x80);
  EXPECT_EQ(b->PeekByte(0), -128);
  for (int at : {3, 7, 9}) {
    b->PokeInt(at, -123456789), b->PokeFloat(at + 4, -1.5e-3f);
    EXPECT_EQ(b->PeekInt(at), -123456789) << at;
    EXPECT_EQ(b->PeekFloat(at + 4), -1.5e-3f) << at;
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
  EXPECT_EQ(b->Length() * 100 + b->PeekInt(0), 442) << "the old block is kept";
  EXPECT_TRUE(b->Contains(0, 4) && b->Contains(4, 0));
  for (auto [offset, count] : {std::pair{1, 4}, {-1, 2}, {2, -1}, {2, 0x7fffffff}})
    EXPECT_FALSE(b->Contains(offset, count)) << offset << "+" << count;
  b->Discard();
  unsigned char* adopted = static_cast<unsigned char*>(std::malloc(2));
  adopted[0] = 0x34, adopted[1] = 0x12;
  ASSERT_TRUE(b->_New(2, adopted));
  EXPECT_EQ(b->PeekShort(0), 0x1234);
  EXPECT_FALSE((new VgDataBuffer())->_New(-1));
}

TEST(DataBuffer, LoadReadsWholeFilesAndTheAsyncFormSetsTheThreadsResult) {
  VgDataBuffer *b = new VgDataBuffer(), *none = new VgDataBuffer();
  VgThread* t = new VgThread();
  ASSERT_TRUE(b->_LoadAsync(String("/proc/self/exe"), t));  // this test program
  EXPECT_EQ(t->Result(), b);
  EXPECT_EQ(b->Length(), static_cast<int>(std::filesystem::file_size("/proc/self/exe")));
  EXPECT_EQ(text(b, 0, 4), "\x7f" "ELF");
  EXPECT_FALSE(none->_LoadAsync(String("/proc/self/none"), t));
  EXPECT_EQ(t->Result(), b) << "a failed load leaves the result alone";
}

TEST(Thread, OneWorkerRunsPerStartAndItsResultIsSeenAfterWait) {
  (new VgThread())->Wait();  // returns at once: there is nothing to wait for
  Gate* g = new Gate();
  g->Start(), g->Start();  // the second start, while running, does nothing
  EXPECT_TRUE(g->IsRunning());
  g->open = true;
  g->Wait();
  EXPECT_FALSE(g->IsRunning());
  EXPECT_EQ(g->value, 1000) << "one run, seen after Wait";
  g->SetResult(g);
  EXPECT_EQ(g->Result(), g);
  g->Start();  // finished but not waited for: the state says so, and Start begins anew
  for (int i = 0; i < 5000 && g->IsRunning(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_FALSE(g->IsRunning());
  g->Start(), g->Wait();
  EXPECT_EQ(g->value, 1002);
}

TEST(Socket, OpenChoosesTheProtocolAndRefusesTheRest) {
  VgSocket* s = new VgSocket();
  for (int protocol : {4, 0, -1}) EXPECT_FALSE(s->Open(protocol)) << protocol;
  EXPECT_TRUE(s->Open(3));
  EXPECT_FALSE(s->Open(1)) << "already open";
  s->Close();
  EXPECT_TRUE(s->Open(2));
  s->Close(), s->Close();  // closing twice is harmless
}

TEST(Socket, TcpEchoOverLoopback) {
  VgSocket* listener = bound(1);
  EXPECT_EQ(listener->Accepted(), nullptr) << "nothing accepted yet";
  VgSocket *client = connect_to(listener), *peer = listener->Accepted();
  ASSERT_NE(peer, nullptr);
  EXPECT_EQ(peer->Protocol(), 1) << "the listener's protocol";
  EXPECT_EQ(listener->Accepted(), nullptr) << "handed over once";
  EXPECT_EQ(address(client, true)->Port(), address(listener)->Port());
  std::thread echo([peer] {
    VgDataBuffer* in = buffer("................................");
    int n = peer->Receive(in, 0, 32);
    EXPECT_EQ(peer->Send(in, 0, n), n);
    peer->Close();
  });
  EXPECT_EQ(client->Send(buffer("xxhello, echo"), 2, 11), 11);
  VgDataBuffer* back = buffer("................................");
  int got = 0;
  for (int n = 1; got < 11 && n > 0; got += n > 0 ? n : 0)
    n = client->Receive(back, 5 + got, 27 - got);
  echo.join();
  EXPECT_EQ(text(back, 5, got), "hello, echo");
  EXPECT_EQ(client->Receive(back, 0, 32), 0) << "the peer closed";
  client->Close(), listener->Close();
}

TEST(Socket, UdpRoundTripNamesTheSenderAndOutOfRangeCountsAreRefused) {
  VgSocket *a = bound(3), *b = bound(3);
  VgSocketAddress *at_b = address(b), *sender = new VgSocketAddress();
  VgDataBuffer *ping = buffer("12345678"), *in = buffer("................");
  // Ranges outside the buffer send and receive nothing, instead of reaching outside it.
  for (auto [offset, count] : {std::pair{0, 9}, {4, 5}, {-1, 2}, {2, -1}, {1, 0x7fffffff}})
    EXPECT_EQ(a->SendTo(ping, offset, count, at_b), -1) << offset << "+" << count;
  EXPECT_EQ(a->Send(ping, 0, 100), -1);
  EXPECT_EQ(b->Receive(ping, 7, 2), -1);
  EXPECT_EQ(b->ReceiveFrom(ping, 8, 1, sender), -1);
  EXPECT_EQ(b->Receive(new VgDataBuffer(), 0, 1), -1) << "a buffer without data";
  EXPECT_EQ(a->SendTo(ping, 0, 4, nullptr), -1);
  EXPECT_EQ(a->SendTo(ping, 6, 2, at_b), 2);
  ASSERT_EQ(b->ReceiveFrom(in, 3, 13, sender), 2) << "the first datagram is the good one";
  EXPECT_EQ(text(in, 3, 2), "78");
  EXPECT_EQ(sender->Host(), String("127.0.0.1"));
  EXPECT_EQ(sender->Port(), address(a)->Port());
  VgSocketAddress* reply_to = new VgSocketAddress();
  reply_to->Set(sender);  // answer through a copy of the sender's address
  EXPECT_EQ(b->SendTo(buffer("pong"), 0, 4, reply_to), 4);
  EXPECT_EQ(a->ReceiveFrom(in, 0, 16, sender), 4);
  EXPECT_EQ(text(in, 0, 4), "pong");
  EXPECT_EQ(sender->Port(), at_b->Port());
}

TEST(SocketAddress, TextFollowsTheAddress) {
  VgSocketAddress* a = new VgSocketAddress();
  EXPECT_EQ(a->Host(), String("0.0.0.0"));
  // Each Set makes the text stale; an unknown name, or one of 1024 characters, is address 0.
  const std::tuple<String, int, const char*> cases[] = {
      {String("127.0.0.1"), 80, "127.0.0.1:80"}, {String("localhost"), 1, "127.0.0.1:1"},
      {String("no-such-host.invalid"), 7, "0.0.0.0:7"}, {String(Char('a'), 1024), 8, "0.0.0.0:8"}};
  for (const auto& [host, port, text] : cases)
    EXPECT_EQ((a->Set(host, port), a->Host() + String(":") + String(a->Port())), String(text));
}

TEST(Socket, PeerHangingUpMidSendLeavesTheProcessAlive) {
  VgSocket *listener = bound(1), *client = connect_to(listener), *peer = listener->Accepted();
  ASSERT_NE(peer, nullptr);
  peer->Close();  // gone unread: a write to the reset connection raises SIGPIPE, fatal by default
  VgDataBuffer* big = new VgDataBuffer();
  big->_New(1 << 16);
  int result = 0;
  for (int i = 0; i < 200 && result >= 0; ++i) result = client->Send(big, 0, big->Length());
  EXPECT_EQ(result, -1) << "the send fails instead";
  client->Close(), listener->Close();
}
