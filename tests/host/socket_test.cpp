// Sockets over the loopback interface only (127.0.0.1, ports chosen by the system): a TCP
// echo, a UDP round trip, address text, buffer range checks and a peer that hangs up.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "host/databuffer.h"
#include "host/socket.h"
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
VgSocketAddress* address_of(VgSocket* s) {
  VgSocketAddress* a = new VgSocketAddress();
  s->GetLocalAddress(a);
  return a;
}
VgSocket* bound(int protocol) {  // open on 127.0.0.1 at a port the system picks
  VgSocket* s = new VgSocket();
  EXPECT_TRUE(s->Open(protocol) && s->Bind(String("127.0.0.1"), 0));
  return s;
}
// A connected client and the listener's accepted peer.
std::pair<VgSocket*, VgSocket*> connected_pair(VgSocket* listener) {
  EXPECT_TRUE(listener->Listen(4));
  VgSocket* client = new VgSocket();
  EXPECT_TRUE(client->Open(1) && client->Connect(String("127.0.0.1"), address_of(listener)->Port()));
  EXPECT_TRUE(listener->Accept());
  return {client, listener->Accepted()};
}
}  // namespace

TEST(Socket, OpenChoosesTheProtocolAndRefusesTheRest) {
  VgSocket* s = new VgSocket();
  for (int protocol : {4, 0, -1}) EXPECT_FALSE(s->Open(protocol)) << protocol;
  EXPECT_TRUE(s->Open(3));
  EXPECT_FALSE(s->Open(1)) << "already open";
  s->Close();
  EXPECT_EQ(s->Handle(), -1);
  EXPECT_TRUE(s->Open(2));
  s->Close(), s->Close();  // closing twice is harmless
}

TEST(Socket, TcpEchoOverLoopback) {
  VgSocket* listener = bound(1);
  EXPECT_EQ(listener->Accepted(), nullptr) << "nothing accepted yet";
  auto [client, peer] = connected_pair(listener);
  ASSERT_NE(peer, nullptr);
  EXPECT_EQ(peer->Protocol(), 1) << "the listener's protocol";
  EXPECT_EQ(listener->Accepted(), nullptr) << "handed over once";
  VgSocketAddress* remote = new VgSocketAddress();
  client->GetRemoteAddress(remote);
  EXPECT_EQ(remote->Host(), String("127.0.0.1"));
  EXPECT_EQ(remote->Port(), address_of(listener)->Port());
  std::thread echo([peer] {
    VgDataBuffer* in = buffer("................................");
    int n = peer->Receive(in, 0, 32);
    EXPECT_EQ(peer->Send(in, 0, n), n);
    peer->Close();
  });
  EXPECT_EQ(client->Send(buffer("xxhello, echo"), 2, 11), 11);
  VgDataBuffer* back = buffer("................................");
  int got = 0;
  for (int n = 1; got < 11 && n > 0; got += n > 0 ? n : 0) n = client->Receive(back, 5 + got, 27 - got);
  echo.join();
  EXPECT_EQ(text(back, 5, got), "hello, echo");
  EXPECT_EQ(client->Receive(back, 0, 32), 0) << "the peer closed";
  client->Close(), listener->Close();
}

TEST(Socket, UdpRoundTripNamesTheSenderAndOutOfRangeCountsAreRefused) {
  VgSocket *a = bound(3), *b = bound(3);
  VgSocketAddress *at_a = address_of(a), *at_b = address_of(b), *sender = new VgSocketAddress();
  VgDataBuffer *ping = buffer("12345678"), *in = buffer("................");
  // Ranges outside the buffer send and receive nothing, instead of reaching outside it.
  for (auto [offset, count] : {std::pair{0, 9}, {4, 5}, {-1, 2}, {2, -1}, {1, 0x7fffffff}})
    EXPECT_EQ(a->SendTo(ping, offset, count, at_b), -1) << offset << "+" << count;
  EXPECT_EQ(a->Send(ping, 0, 100), -1);
  EXPECT_EQ(b->Receive(ping, 7, 2), -1);
  EXPECT_EQ(b->ReceiveFrom(ping, 8, 1, sender), -1);
  EXPECT_EQ(a->Send(nullptr, 0, 1), -1);
  EXPECT_EQ(b->Receive(new VgDataBuffer(), 0, 1), -1) << "a buffer without data";
  EXPECT_EQ(a->SendTo(ping, 0, 4, nullptr), -1);
  EXPECT_EQ(a->SendTo(ping, 6, 2, at_b), 2);
  ASSERT_EQ(b->ReceiveFrom(in, 3, 13, sender), 2) << "the first datagram is the good one";
  EXPECT_EQ(text(in, 3, 2), "78");
  EXPECT_EQ(sender->Host(), String("127.0.0.1"));
  EXPECT_EQ(sender->Port(), at_a->Port());
  VgSocketAddress* reply_to = new VgSocketAddress();
  reply_to->Set(sender);  // answer through a copy of the sender's address
  EXPECT_EQ(b->SendTo(buffer("pong"), 0, 4, reply_to), 4);
  EXPECT_EQ(a->ReceiveFrom(in, 0, 16, sender), 4);
  EXPECT_EQ(text(in, 0, 4), "pong");
  EXPECT_EQ(sender->Port(), at_b->Port());
}

TEST(SocketAddress, TextFollowsTheAddress) {
  const struct {
    const char* host;
    int port;
    const char* text;
  } cases[] = {{"127.0.0.1", 80, "127.0.0.1"}, {"10.20.30.40", 65535, "10.20.30.40"},
               {"localhost", 1, "127.0.0.1"}, {"no-such-host.invalid", 7, "0.0.0.0"}};
  VgSocketAddress* a = new VgSocketAddress();
  EXPECT_EQ(a->Host(), String("0.0.0.0"));
  for (const auto& c : cases) {
    a->Set(String(c.host), c.port);  // each Set makes the text stale
    EXPECT_EQ(a->Host(), String(c.text)) << c.host;
    EXPECT_EQ(a->Port(), c.port) << c.host;
  }
  a->Set(String(Char('a'), 1024), 8);  // 1024 characters or more: address 0
  EXPECT_EQ(a->Host(), String("0.0.0.0"));
}

TEST(Socket, PeerHangingUpMidSendLeavesTheProcessAlive) {
  VgSocket* listener = bound(1);
  auto [client, peer] = connected_pair(listener);
  ASSERT_NE(peer, nullptr);
  peer->Close();  // gone without reading anything
  // Writes to a reset connection raise SIGPIPE, whose default ends the process.
  VgDataBuffer* big = new VgDataBuffer();
  big->_New(1 << 16);
  int result = 0;
  for (int i = 0; i < 200 && result >= 0; ++i) result = client->Send(big, 0, big->Length());
  EXPECT_EQ(result, -1) << "the send fails instead";
  client->Close(), listener->Close();
}
