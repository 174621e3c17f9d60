#include "tests/support/loopback_socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vorenn::test_support {

Socket ListenOnLoopback(uint16_t* port) {
  int s = socket(AF_INET, SOCK_STREAM, 0);
  if (s < 0) return kNoSocket;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  socklen_t len = sizeof addr;
  if (bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(s, 16) != 0 ||
      getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    close(s);
    return kNoSocket;
  }
  *port = ntohs(addr.sin_port);
  return s;
}

Socket AcceptConnection(Socket listener) {
  int s = accept(int(listener), nullptr, nullptr);
  return s < 0 ? kNoSocket : s;
}

bool WaitReadable(Socket socket, int ms) {
  pollfd p{int(socket), POLLIN, 0};
  return poll(&p, 1, ms) > 0;
}

long ReceiveSome(Socket socket, char* buffer, size_t size) { return long(recv(int(socket), buffer, size, 0)); }

long SendSome(Socket socket, const char* data, size_t size) {
  return long(send(int(socket), data, size, MSG_NOSIGNAL));
}

void CloseSocket(Socket socket) { close(int(socket)); }

}  // namespace vorenn::test_support
