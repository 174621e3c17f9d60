#include "tests/support/loopback_socket.h"

#include <winsock2.h>
#include <ws2tcpip.h>

namespace vorenn::test_support {
namespace {

bool Started() {
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return started;
}

SOCKET Native(Socket s) { return SOCKET(s); }

}  // namespace

Socket ListenOnLoopback(uint16_t* port) {
  if (!Started()) return kNoSocket;
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return kNoSocket;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  int len = sizeof addr;
  // Another program may not take over the port while the test listens on it.
  BOOL exclusive = TRUE;
  setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive), sizeof exclusive);
  if (bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(s, 16) != 0 ||
      getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    closesocket(s);
    return kNoSocket;
  }
  *port = ntohs(addr.sin_port);
  return Socket(s);
}

Socket AcceptConnection(Socket listener) {
  SOCKET s = accept(Native(listener), nullptr, nullptr);
  return s == INVALID_SOCKET ? kNoSocket : Socket(s);
}

bool WaitReadable(Socket socket, int ms) {
  WSAPOLLFD p{Native(socket), POLLRDNORM, 0};
  return WSAPoll(&p, 1, ms) > 0;
}

long ReceiveSome(Socket socket, char* buffer, size_t size) {
  return recv(Native(socket), buffer, int(size > 0x7FFFFFFF ? 0x7FFFFFFF : size), 0);
}

long SendSome(Socket socket, const char* data, size_t size) {
  return send(Native(socket), data, int(size > 0x7FFFFFFF ? 0x7FFFFFFF : size), 0);
}

void CloseSocket(Socket socket) { closesocket(Native(socket)); }

}  // namespace vorenn::test_support
