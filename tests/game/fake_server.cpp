#include "tests/game/fake_server.h"

#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vorenn::testing {

FakeServer::FakeServer() : server_(std::make_unique<httplib::Server>()) {
  server_->Post("/game/do.php", [this](const httplib::Request& request, httplib::Response& response) {
    response.set_content(AnswerFor(request.body), "text/html");
  });
  port_ = server_->bind_to_any_port("127.0.0.1");
  // The socket listens from bind on, so requests queue until the accept loop runs.
  thread_ = std::thread([this] { server_->listen_after_bind(); });
  // Stopping a server whose accept loop has not begun does nothing, so wait for the loop.
  while (!server_->is_running()) usleep(1000);
}

FakeServer::~FakeServer() {
  {
    std::lock_guard<std::mutex> guard(lock_);
    stopping_ = true;
  }
  changed_.notify_all();
  server_->stop();
  if (thread_.joinable()) thread_.join();
}

std::string FakeServer::Url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/game/do.php"; }

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
  int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
  int port = ntohs(address.sin_port);
  ::close(s);
  return "http://127.0.0.1:" + std::to_string(port) + "/game/do.php";
}

}  // namespace vorenn::testing
