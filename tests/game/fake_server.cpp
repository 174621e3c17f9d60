#include "tests/game/fake_server.h"

#include <chrono>

#include "tests/support/loopback_socket.h"
#include "tests/web/loopback_server.h"

namespace vorenn::testing {

FakeServer::FakeServer()
    : server_(std::make_unique<LoopbackServer>([this](const std::string& request) {
        // Every request is taken for a POST to /game/do.php: the client sends no other.
        return OkReply(AnswerFor(BodyOf(request)), "Content-Type: text/html\r\n");
      })) {}

FakeServer::~FakeServer() {
  {
    std::lock_guard<std::mutex> guard(lock_);
    stopping_ = true;
  }
  changed_.notify_all();
  server_.reset();
}

std::string FakeServer::Url() const { return server_->Url("/game/do.php"); }

void FakeServer::Answer(const std::string& action, const std::string& json) {
  std::lock_guard<std::mutex> guard(lock_);
  answers_[action] = json;
}

void FakeServer::AnswerOnce(const std::string& action, const std::string& json) {
  std::lock_guard<std::mutex> guard(lock_);
  once_[action].push_back(json);
}

void FakeServer::Hold(const std::string& action) {
  std::lock_guard<std::mutex> guard(lock_);
  held_.push_back(action);
}

void FakeServer::ReleaseHeld() {
  {
    std::lock_guard<std::mutex> guard(lock_);
    held_.clear();
  }
  changed_.notify_all();
}

bool FakeServer::WaitForBodies(const std::string& action, size_t count, int limitMs) const {
  std::unique_lock<std::mutex> guard(lock_);
  return changed_.wait_for(guard, std::chrono::milliseconds(limitMs), [&] {
    size_t seen = 0;
    for (const std::string& body : bodies_) seen += body.rfind(action, 0) == 0 ? 1 : 0;
    return seen >= count;
  });
}

std::vector<std::string> FakeServer::Bodies() const {
  std::lock_guard<std::mutex> guard(lock_);
  return bodies_;
}

std::vector<std::string> FakeServer::BodiesOf(const std::string& action) const {
  std::vector<std::string> matching;
  for (const std::string& body : Bodies())
    if (body.rfind(action, 0) == 0) matching.push_back(body);
  return matching;
}

void FakeServer::ClearBodies() {
  std::lock_guard<std::mutex> guard(lock_);
  bodies_.clear();
}

std::string FakeServer::AnswerFor(const std::string& body) {
  std::unique_lock<std::mutex> guard(lock_);
  bodies_.push_back(body);
  changed_.notify_all();
  changed_.wait(guard, [&] {
    if (stopping_) return true;
    for (const std::string& action : held_)
      if (body.rfind(action, 0) == 0) return false;
    return true;
  });
  for (auto& [action, queue] : once_) {
    if (body.rfind(action, 0) == 0 && !queue.empty()) {
      std::string answer = queue.front();
      queue.erase(queue.begin());
      return answer;
    }
  }
  for (const auto& [action, answer] : answers_)
    if (body.rfind(action, 0) == 0) return answer;
  return R"({"b":"0","t":"?"})";
}

std::string UnreachableUrl() {
  // Bind a port and close it again: nothing listens there afterwards.
  uint16_t port = 0;
  test_support::CloseSocket(test_support::ListenOnLoopback(&port));
  return "http://127.0.0.1:" + std::to_string(port) + "/game/do.php";
}

}  // namespace vorenn::testing
