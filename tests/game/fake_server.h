// A game server for the flow tests, on 127.0.0.1: it answers each POST to /game/do.php with the
// JSON text the test chose for the request's action ("m=...&a=...") and records every body.
#pragma once

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vorenn::testing {

class LoopbackServer;

class FakeServer {
 public:
  FakeServer();
  ~FakeServer();
  FakeServer(const FakeServer&) = delete;
  FakeServer& operator=(const FakeServer&) = delete;

  // http://127.0.0.1:PORT/game/do.php
  std::string Url() const;
  // The answer for every request whose body begins with `action` (for instance "m=user&a=xin");
  // answers queued with AnswerOnce for the action go first. Unknown actions get {"b":"0","t":"?"}.
  void Answer(const std::string& action, const std::string& json);
  void AnswerOnce(const std::string& action, const std::string& json);
  // Requests whose body begins with `action` get no answer until ReleaseHeld (or the server
  // stops): a server that takes its time.
  void Hold(const std::string& action);
  void ReleaseHeld();
  // Waits (up to limitMs of real time) until `count` bodies beginning with `action` have arrived.
  bool WaitForBodies(const std::string& action, size_t count, int limitMs = 10000) const;
  // The bodies received so far, in order.
  std::vector<std::string> Bodies() const;
  // The bodies that begin with `action`.
  std::vector<std::string> BodiesOf(const std::string& action) const;
  void ClearBodies();

 private:
  std::string AnswerFor(const std::string& body);

  mutable std::mutex lock_;
  mutable std::condition_variable changed_;
  std::vector<std::string> held_;  // actions whose answers wait
  bool stopping_ = false;
  std::map<std::string, std::string> answers_;
  std::map<std::string, std::vector<std::string>> once_;
  std::vector<std::string> bodies_;
  std::unique_ptr<LoopbackServer> server_;  // last: it stops before the state its answers read
};

// A loopback address where nothing listens.
std::string UnreachableUrl();

}  // namespace vorenn::testing
