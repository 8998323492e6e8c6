// VgSocket and VgSocketAddress: IPv4 stream and datagram sockets for game code, over BSD
// sockets. Data moves through VgDataBuffer ranges, which are checked against the buffer.
// Host names are resolved to their first IPv4 address.
#pragma once
#include "runtime/object.h"
#include "runtime/string.h"

class VgDataBuffer;
struct sockaddr_in;

class VgSocketAddress : public Object {
 public:
  VgSocketAddress();

  // Resolves host (empty, unresolvable or 1024 characters and longer: any address).
  void Set(String host, int port);
  void Set(VgSocketAddress* address);
  void Set(const sockaddr_in& address);
  // Rebuilds Host() and Port() from the address when it has changed since.
  void Validate();
  String Host() { Validate(); return _host; }
  int Port() { Validate(); return _port; }
  // A copy of the IPv4 socket address.
  void Get(sockaddr_in* address) const;

 private:
  // The sockaddr_in, kept as bytes so this header needs no system headers.
  alignas(8) unsigned char _address[16];
  bool _valid = false;
  String _host;
  int _port = 0;
};

class VgSocket : public Object {
 public:
  enum { kStream = 1, kStreamAlt = 2, kDatagram = 3 };

  VgSocket() {}
  // Wraps a connected handle, as Accepted() returns it.
  VgSocket(int handle, int protocol) : _socket(handle), _protocol(protocol) {}
  // An unreachable socket can never be closed by its owner, so it closes itself.
  ~VgSocket() override;

  // 1 and 2: TCP with TCP_NODELAY; 3: UDP. False when open already or for other values.
  bool Open(int protocol);
  void Close();
  bool Bind(String host, int port);
  bool Connect(String host, int port);
  bool Listen(int backlog);
  // Accepts one connection and keeps its handle until Accepted() takes it.
  bool Accept();
  // The accepted connection as a socket of the listener's protocol (its own accepted
  // handle -1), handed over once: the listener's accepted handle is -1 afterwards. Null
  // when there is none.
  VgSocket* Accepted();

  // Bytes sent or received, or -1 on failure, also when [offset, offset + count) does not
  // lie inside the buffer. Sending to a peer that has gone never raises SIGPIPE.
  int Send(VgDataBuffer* buffer, int offset, int count);
  int Receive(VgDataBuffer* buffer, int offset, int count);
  int SendTo(VgDataBuffer* buffer, int offset, int count, VgSocketAddress* address);
  // Stores the sender in address.
  int ReceiveFrom(VgDataBuffer* buffer, int offset, int count, VgSocketAddress* address);

  void GetLocalAddress(VgSocketAddress* address);
  void GetRemoteAddress(VgSocketAddress* address);

  int Handle() const { return _socket; }
  int Protocol() const { return _protocol; }

 private:
  int _socket = -1;
  int _protocol = 0;
  int _accepted = -1;
};
