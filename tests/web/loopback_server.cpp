#include "tests/web/loopback_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <stdexcept>

namespace vorenn::testing {
namespace {

constexpr int kPollMs = 20;
constexpr size_t kMaxRequest = 80u << 20;

std::string Lower(std::string s) {
  for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// The body length a request announces: the last Content-Length line wins.
size_t AnnouncedLength(const std::string& head) {
  size_t length = 0;
  for (const std::string& line : HeaderLines(head + "\r\n\r\n")) {
    if (Lower(line).rfind("content-length:", 0) == 0) length = std::strtoul(line.c_str() + 15, nullptr, 10);
  }
  return length;
}

// Waits for the socket to become readable; false when the server is stopping.
bool WaitReadable(int socket, const std::atomic<bool>& stop) {
  pollfd p{socket, POLLIN, 0};
  while (!stop.load()) {
    if (poll(&p, 1, kPollMs) > 0) return true;
  }
  return false;
}

void SendAll(int socket, const char* data, size_t size) {
  while (size > 0) {
    ssize_t n = send(socket, data, size, MSG_NOSIGNAL);
    if (n <= 0) return;
    data += n;
    size -= size_t(n);
  }
}

}  // namespace

Reply OkReply(const std::string& body, const std::string& extraHeaderLines) {
  Reply r;
  r.bytes = "HTTP/1.1 200 OK\r\n" + extraHeaderLines +
            "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
  return r;
}

LoopbackServer::LoopbackServer(Responder responder) : responder_(std::move(responder)) {
  listener_ = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  socklen_t len = sizeof addr;
  if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      listen(listener_, 16) != 0 || getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    throw std::runtime_error("loopback server cannot listen");
  }
  port_ = ntohs(addr.sin_port);
  acceptor_ = std::thread([this] { AcceptLoop(); });
}

LoopbackServer::~LoopbackServer() {
  stop_ = true;
  acceptor_.join();
  for (Connection& c : connections_) c.thread.join();
  close(listener_);
}

std::string LoopbackServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<std::string> LoopbackServer::Requests() const {
  std::lock_guard lock(lock_);
  return requests_;
}

bool LoopbackServer::WaitForRequests(size_t n, std::chrono::milliseconds limit) const {
  std::unique_lock lock(lock_);
  return arrived_.wait_for(lock, limit, [&] { return requests_.size() >= n; });
}

void LoopbackServer::AcceptLoop() {
  while (WaitReadable(listener_, stop_)) {
    int s = accept(listener_, nullptr, nullptr);
    if (s < 0) continue;
    std::erase_if(connections_, [](Connection& c) {
      if (!c.done->load()) return false;
      c.thread.join();
      return true;
    });
    auto done = std::make_shared<std::atomic<bool>>(false);
    connections_.push_back({std::thread([this, s, done] {
                              Serve(s);
                              close(s);
                              *done = true;
                            }),
                            done});
  }
}

void LoopbackServer::Serve(int socket) {
  std::string buffer;
  char chunk[4096];
  for (;;) {
    size_t headEnd;
    while ((headEnd = buffer.find("\r\n\r\n")) == std::string::npos) {
      if (buffer.size() > kMaxRequest || !WaitReadable(socket, stop_)) return;
      ssize_t n = recv(socket, chunk, sizeof chunk, 0);
      if (n <= 0) return;
      buffer.append(chunk, size_t(n));
    }
    size_t total = headEnd + 4 + AnnouncedLength(buffer.substr(0, headEnd));
    while (buffer.size() < total) {
      if (total > kMaxRequest || !WaitReadable(socket, stop_)) return;
      ssize_t n = recv(socket, chunk, sizeof chunk, 0);
      if (n <= 0) return;
      buffer.append(chunk, size_t(n));
    }
    std::string request = buffer.substr(0, total);
    buffer.erase(0, total);
    {
      std::lock_guard lock(lock_);
      requests_.push_back(request);
    }
    arrived_.notify_all();

    Reply reply = responder_(request);
    switch (reply.mode) {
      case Reply::Mode::Send:
        SendAll(socket, reply.bytes.data(), reply.bytes.size());
        break;
      case Reply::Mode::Slow:
        for (char c : reply.bytes) {
          if (Stopping()) return;
          std::this_thread::sleep_for(reply.perByte);
          SendAll(socket, &c, 1);
        }
        break;
      case Reply::Mode::Hold:
        // Keep the connection open, say nothing, until the client gives up or the test ends.
        while (WaitReadable(socket, stop_)) {
          if (recv(socket, chunk, sizeof chunk, 0) <= 0) return;
        }
        return;
      case Reply::Mode::Close:
        SendAll(socket, reply.bytes.data(), reply.bytes.size());
        return;
    }
  }
}

std::string HeadOf(const std::string& request) { return request.substr(0, request.find("\r\n\r\n") + 2); }

std::string BodyOf(const std::string& request) {
  size_t end = request.find("\r\n\r\n");
  return end == std::string::npos ? "" : request.substr(end + 4);
}

std::vector<std::string> HeaderLines(const std::string& request) {
  std::vector<std::string> lines;
  size_t start = request.find("\r\n");
  size_t end = request.find("\r\n\r\n");
  while (start != std::string::npos && start < end) {
    size_t next = request.find("\r\n", start + 2);
    lines.push_back(request.substr(start + 2, next - start - 2));
    start = next;
  }
  return lines;
}

}  // namespace vorenn::testing
