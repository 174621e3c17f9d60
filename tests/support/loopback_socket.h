// TCP sockets on 127.0.0.1 for the tests' own servers: BSD sockets on Linux, Winsock on Windows
// (loopback_socket_posix.cpp or loopback_socket_win32.cpp, chosen by the build).
#pragma once

#include <cstddef>
#include <cstdint>

namespace vorenn::test_support {

using Socket = intptr_t;
constexpr Socket kNoSocket = -1;

// A listening socket on 127.0.0.1 and a port the system picks (written to *port).
Socket ListenOnLoopback(uint16_t* port);
// The next connection, or kNoSocket.
Socket AcceptConnection(Socket listener);
// Whether the socket becomes readable (or is closed by the peer) within `ms` milliseconds.
bool WaitReadable(Socket socket, int ms);
// Bytes received (0: the peer closed; negative: an error).
long ReceiveSome(Socket socket, char* buffer, size_t size);
// Bytes sent (negative: an error; never a signal for a peer that is gone).
long SendSome(Socket socket, const char* data, size_t size);
void CloseSocket(Socket socket);

}  // namespace vorenn::test_support
