// SIGTERM while clients hold connections open and drip bytes: the server still ends, cleanly and
// within a bounded time, and the slow connections are closed rather than waited for.
#include <gtest/gtest.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>
#include <vector>

#include "tests/server/server_process.h"
#include "tests/server/test_support.h"

namespace vorenn::server::test {
namespace {

int SlowClient(int port) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  inet_pton(AF_INET, "127.0.0.2", &local.sin_addr);
  sockaddr_in server{};
  server.sin_family = AF_INET;
  server.sin_port = htons(static_cast<uint16_t>(port));
  server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  timeval timeout{2, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  if (bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
      connect(fd, reinterpret_cast<sockaddr*>(&server), sizeof server) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

TEST(GracefulStop, SigtermEndsTheServerWhileSlowClientsDrip) {
  TempDir dir;
  auto server = StartServer("sqlite:" + (dir.path() / "g.db").string());
  ASSERT_TRUE(server);
  std::vector<int> slow;
  for (int i = 0; i < 24; ++i) {
    int fd = SlowClient(server->port());
    ASSERT_GE(fd, 0);
    send(fd, "POST /game/do.php HTTP/1.1\r\n", 28, MSG_NOSIGNAL);
    slow.push_back(fd);
  }
  std::atomic<bool> dripping{true};
  std::thread drip([&] {
    while (dripping) {
      for (int fd : slow) send(fd, "X", 1, MSG_NOSIGNAL);
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
  });
  // An honest request is answered while they drip.
  EXPECT_TRUE(server->Post("m=user&a=xin&md5=0").is_object());
  // The bound is generous; the server's own grace for requests in hand is four seconds.
  int status = server->Terminate(15);
  dripping = false;
  drip.join();
  EXPECT_EQ(status, 0) << "-1: still running after SIGTERM";
  for (int fd : slow) {
    char byte;
    EXPECT_LE(recv(fd, &byte, 1, 0), 0);
    close(fd);
  }
}

}  // namespace
}  // namespace vorenn::server::test
