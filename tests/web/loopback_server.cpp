#include "tests/web/loopback_server.h"

#include <cctype>
#include <cstdlib>
#include <stdexcept>

#include "tests/support/loopback_socket.h"

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
bool WaitReadable(intptr_t socket, const std::atomic<bool>& stop) {
  while (!stop.load()) {
    if (test_support::WaitReadable(socket, kPollMs)) return true;
  }
  return false;
}

void SendAll(intptr_t socket, const char* data, size_t size) {
  while (size > 0) {
    long n = test_support::SendSome(socket, data, size);
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
  listener_ = test_support::ListenOnLoopback(&port_);
  if (listener_ == test_support::kNoSocket) throw std::runtime_error("loopback server cannot listen");
  acceptor_ = std::thread([this] { AcceptLoop(); });
}

LoopbackServer::~LoopbackServer() {
  stop_ = true;
  acceptor_.join();
  for (Connection& c : connections_) c.thread.join();
  test_support::CloseSocket(listener_);
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
    intptr_t s = test_support::AcceptConnection(listener_);
    if (s == test_support::kNoSocket) continue;
    std::erase_if(connections_, [](Connection& c) {
      if (!c.done->load()) return false;
      c.thread.join();
      return true;
    });
    auto done = std::make_shared<std::atomic<bool>>(false);
    connections_.push_back({std::thread([this, s, done] {
                              Serve(s);
                              test_support::CloseSocket(s);
                              *done = true;
                            }),
                            done});
  }
}

void LoopbackServer::Serve(intptr_t socket) {
  std::string buffer;
  char chunk[4096];
  for (;;) {
    size_t headEnd;
    while ((headEnd = buffer.find("\r\n\r\n")) == std::string::npos) {
      if (buffer.size() > kMaxRequest || !WaitReadable(socket, stop_)) return;
      long n = test_support::ReceiveSome(socket, chunk, sizeof chunk);
      if (n <= 0) return;
      buffer.append(chunk, size_t(n));
    }
    size_t total = headEnd + 4 + AnnouncedLength(buffer.substr(0, headEnd));
    while (buffer.size() < total) {
      if (total > kMaxRequest || !WaitReadable(socket, stop_)) return;
      long n = test_support::ReceiveSome(socket, chunk, sizeof chunk);
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
          if (test_support::ReceiveSome(socket, chunk, sizeof chunk) <= 0) return;
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
