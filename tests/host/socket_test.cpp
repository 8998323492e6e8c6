// Sockets over the loopback interface only (127.0.0.1, ports chosen by the system): a TCP
// echo, a UDP round trip, address text, buffer range checks and a peer that hangs up.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "host/databuffer.h"
#include "host/socket.h"
#include "tests/runtime/string_print.h"

namespace {
VgDataBuffer* buffer_with(const char* text) {
  VgDataBuffer* b = new VgDataBuffer();
  int n = static_cast<int>(std::strlen(text));
  b->_New(n);
  std::memcpy(b->WritePointer(), text, static_cast<size_t>(n));
  return b;
}
std::string text_of(VgDataBuffer* b, int offset, int count) {
  return std::string(static_cast<const char*>(b->ReadPointer(offset)), static_cast<size_t>(count));
}

// A listener on 127.0.0.1 at a port the system picked.
VgSocket* listener(int* port) {
  VgSocket* s = new VgSocket();
  EXPECT_TRUE(s->Open(1));
  EXPECT_TRUE(s->Bind(String("127.0.0.1"), 0));
  EXPECT_TRUE(s->Listen(4));
  VgSocketAddress* local = new VgSocketAddress();
  s->GetLocalAddress(local);
  *port = local->Port();
  EXPECT_GT(*port, 0);
  return s;
}
}  // namespace

TEST(Socket, OpenChoosesTheProtocolAndRefusesTheRest) {
  VgSocket* s = new VgSocket();
  EXPECT_FALSE(s->Open(4));
  EXPECT_FALSE(s->Open(0));
  EXPECT_FALSE(s->Open(-1));
  EXPECT_EQ(s->Handle(), -1);
  EXPECT_TRUE(s->Open(3));
  EXPECT_EQ(s->Protocol(), 3);
  EXPECT_FALSE(s->Open(3)) << "already open";
  EXPECT_FALSE(s->Open(1)) << "already open";
  s->Close();
  EXPECT_EQ(s->Handle(), -1);
  EXPECT_TRUE(s->Open(2));
  s->Close();
  s->Close();  // closing twice is harmless
}

TEST(Socket, TcpEchoOverLoopback) {
  int port = 0;
  VgSocket* server = listener(&port);
  EXPECT_EQ(server->Accepted(), nullptr) << "nothing accepted yet";

  std::thread echo([server] {
    ASSERT_TRUE(server->Accept());
    VgSocket* peer = server->Accepted();
    ASSERT_NE(peer, nullptr);
    EXPECT_EQ(peer->Protocol(), 1) << "the listener's protocol";
    EXPECT_EQ(server->Accepted(), nullptr) << "handed over once";
    VgDataBuffer* in = new VgDataBuffer();
    in->_New(64);
    int n = peer->Receive(in, 0, 64);
    ASSERT_GT(n, 0);
    EXPECT_EQ(peer->Send(in, 0, n), n);
    peer->Close();
  });

  VgSocket* client = new VgSocket();
  ASSERT_TRUE(client->Open(1));
  ASSERT_TRUE(client->Connect(String("127.0.0.1"), port));
  VgSocketAddress* remote = new VgSocketAddress();
  client->GetRemoteAddress(remote);
  EXPECT_EQ(remote->Host(), String("127.0.0.1"));
  EXPECT_EQ(remote->Port(), port);

  VgDataBuffer* out = buffer_with("xxhello, echo");
  EXPECT_EQ(client->Send(out, 2, 11), 11);
  VgDataBuffer* back = new VgDataBuffer();
  back->_New(32);
  int got = 0;
  while (got < 11) {
    int n = client->Receive(back, 5 + got, 32 - 5 - got);
    if (n <= 0) break;
    got += n;
  }
  EXPECT_EQ(got, 11);
  EXPECT_EQ(text_of(back, 5, 11), "hello, echo");
  echo.join();
  EXPECT_EQ(client->Receive(back, 0, 32), 0) << "the peer closed";
  client->Close();
  server->Close();
}

TEST(Socket, UdpRoundTripNamesTheSender) {
  VgSocket* a = new VgSocket();
  VgSocket* b = new VgSocket();
  ASSERT_TRUE(a->Open(3));
  ASSERT_TRUE(b->Open(3));
  ASSERT_TRUE(a->Bind(String("127.0.0.1"), 0));
  ASSERT_TRUE(b->Bind(String("127.0.0.1"), 0));
  VgSocketAddress* at_a = new VgSocketAddress();
  VgSocketAddress* at_b = new VgSocketAddress();
  a->GetLocalAddress(at_a);
  b->GetLocalAddress(at_b);

  VgDataBuffer* ping = buffer_with("ping");
  EXPECT_EQ(a->SendTo(ping, 0, 4, at_b), 4);
  VgDataBuffer* in = new VgDataBuffer();
  in->_New(16);
  VgSocketAddress* sender = new VgSocketAddress();
  ASSERT_EQ(b->ReceiveFrom(in, 3, 13, sender), 4);
  EXPECT_EQ(text_of(in, 3, 4), "ping");
  EXPECT_EQ(sender->Host(), String("127.0.0.1"));
  EXPECT_EQ(sender->Port(), at_a->Port());

  // Answer the sender through a copy of its address.
  VgSocketAddress* reply_to = new VgSocketAddress();
  reply_to->Set(sender);
  VgDataBuffer* pong = buffer_with("pong");
  EXPECT_EQ(b->SendTo(pong, 0, 4, reply_to), 4);
  EXPECT_EQ(a->ReceiveFrom(in, 0, 16, sender), 4);
  EXPECT_EQ(text_of(in, 0, 4), "pong");
  EXPECT_EQ(sender->Port(), at_b->Port());
  EXPECT_EQ(a->SendTo(ping, 0, 4, nullptr), -1);
}

TEST(SocketAddress, TextFollowsTheAddress) {
  VgSocketAddress* a = new VgSocketAddress();
  EXPECT_EQ(a->Host(), String("0.0.0.0"));
  EXPECT_EQ(a->Port(), 0);
  a->Set(String("127.0.0.1"), 80);
  EXPECT_EQ(a->Host(), String("127.0.0.1"));
  EXPECT_EQ(a->Port(), 80);
  a->Set(String("10.20.30.40"), 65535);
  EXPECT_EQ(a->Host(), String("10.20.30.40")) << "Set makes the text stale";
  EXPECT_EQ(a->Port(), 65535);
  a->Set(String("localhost"), 1);
  EXPECT_EQ(a->Host(), String("127.0.0.1"));
  // Names that cannot be resolved, and names of 1024 characters or more, give address 0.
  a->Set(String("no-such-host.invalid"), 7);
  EXPECT_EQ(a->Host(), String("0.0.0.0"));
  EXPECT_EQ(a->Port(), 7);
  a->Set(String(Char('a'), 1024), 8);
  EXPECT_EQ(a->Host(), String("0.0.0.0"));
}

TEST(Socket, RangesOutsideTheBufferAreRefused) {
  VgSocket* a = new VgSocket();
  ASSERT_TRUE(a->Open(3));
  ASSERT_TRUE(a->Bind(String("127.0.0.1"), 0));
  VgSocketAddress* self = new VgSocketAddress();
  a->GetLocalAddress(self);
  VgDataBuffer* b = buffer_with("12345678");
  EXPECT_EQ(a->SendTo(b, 0, 9, self), -1);
  EXPECT_EQ(a->SendTo(b, 4, 5, self), -1);
  EXPECT_EQ(a->SendTo(b, -1, 2, self), -1);
  EXPECT_EQ(a->SendTo(b, 2, -1, self), -1);
  EXPECT_EQ(a->SendTo(b, 1, 0x7fffffff, self), -1);
  EXPECT_EQ(a->Send(b, 0, 100), -1);
  EXPECT_EQ(a->Receive(b, 7, 2), -1);
  EXPECT_EQ(a->ReceiveFrom(b, 8, 1, self), -1);
  EXPECT_EQ(a->Send(nullptr, 0, 1), -1);
  EXPECT_EQ(a->Receive(new VgDataBuffer(), 0, 1), -1) << "a buffer without data";
  // The refused calls sent nothing: the one good datagram is the first to arrive.
  EXPECT_EQ(a->SendTo(b, 6, 2, self), 2);
  VgDataBuffer* in = buffer_with("....");
  EXPECT_EQ(a->ReceiveFrom(in, 0, 4, self), 2);
  EXPECT_EQ(text_of(in, 0, 2), "78");
}

TEST(Socket, PeerHangingUpMidSendLeavesTheProcessAlive) {
  int port = 0;
  VgSocket* server = listener(&port);
  VgSocket* client = new VgSocket();
  ASSERT_TRUE(client->Open(1));
  ASSERT_TRUE(client->Connect(String("127.0.0.1"), port));
  ASSERT_TRUE(server->Accept());
  VgSocket* peer = server->Accepted();
  ASSERT_NE(peer, nullptr);
  peer->Close();  // the peer goes away without reading anything

  // Writes to a reset connection would raise SIGPIPE, whose default ends the process.
  VgDataBuffer* big = new VgDataBuffer();
  big->_New(1 << 16);
  int result = 0;
  for (int i = 0; i < 200 && result >= 0; ++i) result = client->Send(big, 0, big->Length());
  EXPECT_EQ(result, -1) << "the send fails instead";
  client->Close();
  server->Close();
}
