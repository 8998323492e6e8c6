// BSD socket calls behind VgSocket and VgSocketAddress. Interrupted calls are retried, the
// no-signal flag keeps a vanished peer from ending the process, and every buffer range is
// checked before the kernel sees it. Where the platform has no sockets (a page) none opens,
// and without a name service only numeric addresses resolve.
#include "host/socket.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "host/databuffer.h"
#include "host/platform.h"

namespace {
sockaddr_in resolve(const String& host, int port) {
  sockaddr_in a;
  std::memset(&a, 0, sizeof a);
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_ANY);
  if (host.IsEmpty() || host.Length() >= 1024) return a;
  addrinfo hints;
  std::memset(&hints, 0, sizeof hints);
  hints.ai_family = AF_INET;
  if (!vg_platform::LooksUpNames()) hints.ai_flags = AI_NUMERICHOST;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.ToNarrow().c_str(), nullptr, &hints, &found) == 0 && found) {
    a.sin_addr = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
  }
  if (found) freeaddrinfo(found);
  return a;
}

sockaddr* as_sockaddr(sockaddr_in* a) { return reinterpret_cast<sockaddr*>(a); }

template <class Call>
int retry(Call call) {
  for (;;) {
    ssize_t n = call();
    if (n >= 0) return static_cast<int>(n);
    if (errno != EINTR) return -1;
  }
}

unsigned char* range(VgDataBuffer* buffer, int offset, int count) {
  if (!buffer || !buffer->Contains(offset, count)) return nullptr;
  return static_cast<unsigned char*>(buffer->WritePointer(offset));
}
}  // namespace

static_assert(sizeof(sockaddr_in) == 16, "VgSocketAddress keeps a sockaddr_in in 16 bytes");

VgSocketAddress::VgSocketAddress() { Set(String(), 0); }

void VgSocketAddress::Set(String host, int port) { Set(resolve(host, port)); }

void VgSocketAddress::Set(VgSocketAddress* address) {
  std::memcpy(_address, address->_address, sizeof _address);
  _valid = false;
}

void VgSocketAddress::Set(const sockaddr_in& address) {
  std::memcpy(_address, &address, sizeof _address);
  _valid = false;
}

void VgSocketAddress::Get(sockaddr_in* address) const {
  std::memcpy(address, _address, sizeof _address);
}

void VgSocketAddress::Validate() {
  if (_valid) return;
  sockaddr_in a;
  Get(&a);
  const unsigned char* b = reinterpret_cast<const unsigned char*>(&a.sin_addr.s_addr);
  char text[32];
  std::snprintf(text, sizeof text, "%i.%i.%i.%i", b[0], b[1], b[2], b[3]);
  _host = String(text);
  _port = ntohs(a.sin_port);
  _valid = true;
}

VgSocket::~VgSocket() {
  Close();
  if (_accepted >= 0) ::close(_accepted);
}

bool VgSocket::Open(int protocol) {
  if (_socket >= 0 || protocol < 1) return false;
  // Without sockets none opens, and every later call fails.
  if (!vg_platform::HasSockets()) return false;
  if (protocol == kStream || protocol == kStreamAlt) {
    _socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    if (_socket < 0) return false;
    int on = 1;
    setsockopt(_socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  } else if (protocol == kDatagram) {
    _socket = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
    if (_socket < 0) return false;
  } else {
    return false;
  }
  _protocol = protocol;
  return true;
}

void VgSocket::Close() {
  if (_socket >= 0) ::close(_socket);
  _socket = -1;
}

bool VgSocket::Bind(String host, int port) {
  sockaddr_in a = resolve(host, port);
  return ::bind(_socket, as_sockaddr(&a), sizeof a) == 0;
}

bool VgSocket::Connect(String host, int port) {
  sockaddr_in a = resolve(host, port);
  return ::connect(_socket, as_sockaddr(&a), sizeof a) == 0;
}

bool VgSocket::Listen(int backlog) { return ::listen(_socket, backlog) == 0; }

bool VgSocket::Accept() {
  // An earlier connection nobody took can never be reached any more.
  if (_accepted >= 0) ::close(_accepted);
  _accepted = retry([&] { return ::accept4(_socket, nullptr, nullptr, SOCK_CLOEXEC); });
  return _accepted >= 0;
}

VgSocket* VgSocket::Accepted() {
  if (_accepted < 0) return nullptr;
  VgSocket* s = new VgSocket(_accepted, _protocol);
  _accepted = -1;
  return s;
}

int VgSocket::Send(VgDataBuffer* buffer, int offset, int count) {
  unsigned char* p = range(buffer, offset, count);
  if (!p) return -1;
  return retry([&] { return ::send(_socket, p, static_cast<size_t>(count), MSG_NOSIGNAL); });
}

int VgSocket::Receive(VgDataBuffer* buffer, int offset, int count) {
  unsigned char* p = range(buffer, offset, count);
  if (!p) return -1;
  return retry([&] { return ::recv(_socket, p, static_cast<size_t>(count), 0); });
}

int VgSocket::SendTo(VgDataBuffer* buffer, int offset, int count, VgSocketAddress* address) {
  unsigned char* p = range(buffer, offset, count);
  if (!p || !address) return -1;
  sockaddr_in a;
  address->Get(&a);
  return retry([&] {
    return ::sendto(_socket, p, static_cast<size_t>(count), MSG_NOSIGNAL, as_sockaddr(&a),
                    sizeof a);
  });
}

int VgSocket::ReceiveFrom(VgDataBuffer* buffer, int offset, int count, VgSocketAddress* address) {
  unsigned char* p = range(buffer, offset, count);
  if (!p || !address) return -1;
  sockaddr_in from;
  std::memset(&from, 0, sizeof from);
  int n = retry([&] {
    socklen_t len = sizeof from;
    return ::recvfrom(_socket, p, static_cast<size_t>(count), 0, as_sockaddr(&from), &len);
  });
  if (n >= 0) address->Set(from);
  return n;
}

void VgSocket::GetLocalAddress(VgSocketAddress* address) {
  sockaddr_in a;
  socklen_t len = sizeof a;
  if (address && ::getsockname(_socket, as_sockaddr(&a), &len) == 0) address->Set(a);
}

void VgSocket::GetRemoteAddress(VgSocketAddress* address) {
  sockaddr_in a;
  socklen_t len = sizeof a;
  if (address && ::getpeername(_socket, as_sockaddr(&a), &len) == 0) address->Set(a);
}
