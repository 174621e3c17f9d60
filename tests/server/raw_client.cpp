#include "tests/server/raw_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>

namespace vorenn::server::test {

int ConnectFrom(int port, const char* from, int timeoutSeconds) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_in local{};
  local.sin_family = AF_INET;
  inet_pton(AF_INET, from, &local.sin_addr);
  sockaddr_in server{};
  server.sin_family = AF_INET;
  server.sin_port = htons(static_cast<uint16_t>(port));
  server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  timeval timeout{timeoutSeconds, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
  if (bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
      connect(fd, reinterpret_cast<sockaddr*>(&server), sizeof server) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

std::string ReadAll(int fd) {
  std::string answer;
  char buffer[4096];
  for (ssize_t got; (got = recv(fd, buffer, sizeof buffer, 0)) > 0;) answer.append(buffer, size_t(got));
  return answer;
}

int SendFrom(int port, const char* from, const std::string& form, int timeoutSeconds,
             const std::string& extraHeaders) {
  int fd = ConnectFrom(port, from, timeoutSeconds);
  if (fd < 0) return -1;
  std::string request = "POST /game/do.php HTTP/1.1\r\nHost: x\r\nConnection: close\r\n" + extraHeaders +
                        "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
                        std::to_string(form.size()) + "\r\n\r\n" + form;
  send(fd, request.data(), request.size(), MSG_NOSIGNAL);
  return fd;
}

std::string AnswerBody(int fd) {
  std::string answer = ReadAll(fd);
  close(fd);
  size_t body = answer.find("\r\n\r\n");
  return body == std::string::npos ? "" : answer.substr(body + 4);
}

std::string PostFrom(int port, const char* from, const std::string& form, int timeoutSeconds,
                     const std::string& extraHeaders) {
  int fd = SendFrom(port, from, form, timeoutSeconds, extraHeaders);
  return fd < 0 ? "" : AnswerBody(fd);
}

HeaderDrip::HeaderDrip(int port, int count, std::chrono::milliseconds interval, int timeoutSeconds) {
  for (int i = 0; i < count; ++i) {
    int fd = ConnectFrom(port, "127.0.0.2", timeoutSeconds);
    if (fd < 0) continue;
    send(fd, "POST /game/do.php HTTP/1.1\r\n", 28, MSG_NOSIGNAL);
    fds_.push_back(fd);
  }
  thread_ = std::thread([this, interval] {
    while (dripping_) {
      for (int fd : fds_) send(fd, "X", 1, MSG_NOSIGNAL);
      std::this_thread::sleep_for(interval);
    }
  });
}

void HeaderDrip::Stop() {
  dripping_ = false;
  if (thread_.joinable()) thread_.join();
}

}  // namespace vorenn::server::test
