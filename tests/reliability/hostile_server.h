// A loopback HTTP server on raw sockets for the hostile-server test: every POST gets whatever its
// responder hands back, down to the bytes on the wire: a well-formed answer, a cut one, nothing at
// all (the connection closed), an answer after a delay, or silence held past the client's time-out.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vorenn::testing {

struct WireReply {
  enum class Kind {
    Answer,     // status 200, Content-Length, the body
    CutAnswer,  // the headers promise the whole body, half of it is sent, then the connection closes
    Close,      // the request is read and the connection closed without a byte
    Silence,    // nothing is sent until `delay` has passed (or the server stops), then it closes
  };
  Kind kind = Kind::Answer;
  std::string body;
  // Answer and CutAnswer: how long to wait before sending; Silence: how long to stay silent (ms).
  int delayMs = 0;
  // Answer: runs on the connection's thread after the delay, just before the answer is sent.
  std::function<void()> beforeAnswer;
};

class HostileServer {
 public:
  // Every connection is served on a thread of its own, so a request the client makes while another
  // waits for its answer is answered meanwhile. The responder runs one request at a time, in
  // arrival order.
  using Responder = std::function<WireReply(const std::string& requestBody)>;

  explicit HostileServer(Responder responder);
  ~HostileServer();
  HostileServer(const HostileServer&) = delete;
  HostileServer& operator=(const HostileServer&) = delete;

  // http://127.0.0.1:PORT/game/do.php
  std::string Url() const;
  // Requests whose reply has been fully delivered (or given up) so far.
  int Completed() const { return completed_.load(); }

 private:
  void AcceptLoop();
  void Serve(int connection);
  // Waits up to `delayMs`, returning early when the server stops.
  void Pause(int delayMs);

  Responder responder_;
  std::mutex responderLock_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::atomic<int> completed_{0};
  std::mutex stopLock_;
  std::condition_variable stopSignal_;
  std::mutex connectionsLock_;
  std::condition_variable connectionsDone_;
  std::vector<int> open_;  // guarded by connectionsLock_; one per running connection thread
  std::thread acceptor_;
};

}  // namespace vorenn::testing
