#include "tests/reliability/hostile_server.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cctype>
#include <cstdlib>

namespace vorenn::testing {
namespace {

constexpr size_t kMaxRequestBytes = 1 << 20;

bool SendAll(int s, const std::string& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    ssize_t n = ::send(s, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += size_t(n);
  }
  return true;
}

// The body's length from the header block; 0 when none is given.
size_t ContentLength(const std::string& head) {
  std::string lower(head);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  size_t at = lower.find("\r\ncontent-length:");
  if (at == std::string::npos) return 0;
  return size_t(std::strtoull(lower.c_str() + at + 17, nullptr, 10));
}

// One request's body; false when the peer went away or sent more than the server accepts.
bool ReadRequest(int s, std::string* body) {
  std::string data;
  char buffer[4096];
  size_t headEnd = std::string::npos;
  while (headEnd == std::string::npos) {
    ssize_t n = ::recv(s, buffer, sizeof buffer, 0);
    if (n <= 0 || data.size() > kMaxRequestBytes) return false;
    data.append(buffer, size_t(n));
    headEnd = data.find("\r\n\r\n");
  }
  size_t length = ContentLength(data.substr(0, headEnd + 2));
  if (length > kMaxRequestBytes) return false;
  while (data.size() < headEnd + 4 + length) {
    ssize_t n = ::recv(s, buffer, sizeof buffer, 0);
    if (n <= 0) return false;
    data.append(buffer, size_t(n));
  }
  *body = data.substr(headEnd + 4, length);
  return true;
}

std::string Head(size_t length) {
  return "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\nContent-Length: " +
         std::to_string(length) + "\r\n\r\n";
}

}  // namespace

HostileServer::HostileServer(Responder responder) : responder_(std::move(responder)) {
  listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
  int yes = 1;
  ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener_, 64) != 0 ||
      ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
    std::abort();
  port_ = ntohs(address.sin_port);
  acceptor_ = std::thread([this] { AcceptLoop(); });
}

HostileServer::~HostileServer() {
  stopping_ = true;
  ::shutdown(listener_, SHUT_RDWR);
  {
    std::lock_guard lock(stopLock_);
  }
  stopSignal_.notify_all();
  acceptor_.join();
  // A held connection ends now, so a client worker still reading it returns; then every
  // connection thread finishes.
  std::unique_lock lock(connectionsLock_);
  for (int s : open_) ::shutdown(s, SHUT_RDWR);
  connectionsDone_.wait(lock, [this] { return open_.empty(); });
  lock.unlock();
  ::close(listener_);
}

std::string HostileServer::Url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/game/do.php"; }

void HostileServer::Pause(int delayMs) {
  std::unique_lock lock(stopLock_);
  stopSignal_.wait_for(lock, std::chrono::milliseconds(delayMs), [this] { return stopping_.load(); });
}

void HostileServer::AcceptLoop() {
  while (!stopping_) {
    int s = ::accept(listener_, nullptr, nullptr);
    if (s < 0) {
      if (stopping_) break;
      continue;
    }
    {
      std::lock_guard lock(connectionsLock_);
      open_.push_back(s);
    }
    std::thread([this, s] { Serve(s); }).detach();
  }
}

void HostileServer::Serve(int s) {
  std::string body;
  if (ReadRequest(s, &body)) {
    WireReply reply;
    {
      std::lock_guard lock(responderLock_);
      reply = responder_(body);
    }
    switch (reply.kind) {
      case WireReply::Kind::Answer:
        Pause(reply.delayMs);
        if (reply.beforeAnswer) reply.beforeAnswer();
        SendAll(s, Head(reply.body.size()) + reply.body);
        ::shutdown(s, SHUT_WR);
        break;
      case WireReply::Kind::CutAnswer:
        Pause(reply.delayMs);
        SendAll(s, Head(reply.body.size()) + reply.body.substr(0, reply.body.size() / 2));
        break;
      case WireReply::Kind::Close:
        break;
      case WireReply::Kind::Silence:
        Pause(reply.delayMs);
        break;
    }
  }
  ++completed_;
  // The last touch of this object: the destructor waits for the list to empty.
  std::lock_guard lock(connectionsLock_);
  open_.erase(std::find(open_.begin(), open_.end(), s));
  ::close(s);
  connectionsDone_.notify_all();
}

}  // namespace vorenn::testing
