// An HTTP server on 127.0.0.1 for the web tests: records the raw bytes of every request it
// receives and answers each one as the test's responder says (at once, byte by byte, never, or by
// closing the connection).
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vorenn::testing {

struct Reply {
  enum class Mode { Send, Slow, Hold, Close };
  std::string bytes;
  Mode mode = Mode::Send;
  std::chrono::milliseconds perByte{0};  // Slow: pause before each byte
};

// "HTTP/1.1 200 OK" with the given extra header lines (each ending in "\r\n"), a Content-Length
// and the body.
Reply OkReply(const std::string& body, const std::string& extraHeaderLines = "");

class LoopbackServer {
 public:
  using Responder = std::function<Reply(const std::string& request)>;
  explicit LoopbackServer(Responder responder);
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  uint16_t Port() const { return port_; }
  std::string Url(const std::string& path) const;
  // Raw bytes of each complete request so far (request line, headers, body).
  std::vector<std::string> Requests() const;
  // Waits until at least n requests have arrived; false after `limit`.
  bool WaitForRequests(size_t n, std::chrono::milliseconds limit) const;

 private:
  void AcceptLoop();
  void Serve(intptr_t socket);
  bool Stopping() const { return stop_.load(); }

  Responder responder_;
  intptr_t listener_ = -1;
  uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  mutable std::mutex lock_;
  mutable std::condition_variable arrived_;
  std::vector<std::string> requests_;
  struct Connection {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> done;
  };
  std::vector<Connection> connections_;  // finished ones are joined as new ones arrive
  std::thread acceptor_;
};

// The header block and body of a raw request, split at the first empty line.
std::string HeadOf(const std::string& request);
std::string BodyOf(const std::string& request);
// Header lines of a raw request, without the request line, in order.
std::vector<std::string> HeaderLines(const std::string& request);

}  // namespace vorenn::testing
