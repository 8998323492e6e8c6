// The services game code may call, seen through one TCP connection over loopback:
// VgDataBuffer's little-endian pokes and peeks, ranges checked against the buffers before any
// byte moves, and a send to a peer that hung up failing instead of ending the process.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "host/databuffer.h"
#include "host/socket.h"

namespace {
VgDataBuffer* dots(int length) {
  VgDataBuffer* b = new VgDataBuffer();
  b->_New(length);
  std::memset(b->WritePointer(), '.', length);
  return b;
}
}  // namespace

TEST(Services, BufferRangesCrossALoopbackConnectionLittleEndianAndOnlyInsideTheBuffers) {
  VgSocket *listener = new VgSocket(), *client = new VgSocket();
  VgSocketAddress* at = new VgSocketAddress();
  ASSERT_TRUE(listener->Open(VgSocket::kStream) && listener->Bind(String("127.0.0.1"), 0));
  listener->GetLocalAddress(at);  // the port the system picked
  ASSERT_TRUE(listener->Listen(1) && client->Open(VgSocket::kStream) &&
              client->Connect(String("127.0.0.1"), at->Port()) && listener->Accept());
  VgSocket* peer = listener->Accepted();
  ASSERT_NE(peer, nullptr);
  EXPECT_EQ(listener->Accepted(), nullptr) << "handed over once";
  VgDataBuffer *out = dots(14), *in = dots(16);
  out->PokeShort(0, 0x12345);  // only the low 16 bits
  out->PokeByte(3, 0x1ff);
  out->PokeInt(5, 0x01020304);  // an odd address
  out->PokeFloat(9, 1.0f);
  EXPECT_EQ(std::string(static_cast<const char*>(out->ReadPointer(0)), 14),
            std::string("\x45\x23.\xff.\x04\x03\x02\x01\0\0\x80\x3f.", 14));
  for (auto [offset, count] : {std::pair{1, 14}, {-1, 2}, {2, -1}, {2, 0x7fffffff}}) {
    EXPECT_FALSE(out->Contains(offset, count)) << offset << "+" << count;
    EXPECT_EQ(client->Send(out, offset, count), -1) << offset << "+" << count;
  }
  EXPECT_EQ(client->Send(out, 0, 14), 14);
  int got = 0;  // into the last 14 bytes: every range ends at the buffer's end
  for (int n = 1; got < 14 && n > 0; got += n > 0 ? n : 0) n = peer->Receive(in, 2 + got, 14 - got);
  ASSERT_EQ(got, 14);
  EXPECT_EQ(peer->Receive(in, 15, 2), -1);
  EXPECT_EQ(in->PeekShort(4), -210) << "0xff2e, sign-extended";
  EXPECT_EQ(in->PeekByte(5), -1);
  peer->Close();  // a write to the closed connection raises SIGPIPE, fatal by default
  int result = 0;
  for (int i = 0; i < 200 && result >= 0; ++i) result = client->Send(out, 0, 14);
  EXPECT_EQ(result, -1) << "the send fails instead";
  client->Close(), listener->Close();
}
