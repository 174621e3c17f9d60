#include "tests/server/load_players.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <queue>
#include <random>
#include <sstream>

#include "server/clock.h"
#include "server/credentials.h"

namespace vorenn::server::test {

namespace {

using Steady = std::chrono::steady_clock;

enum class Phase { SignIn, Enter, Create, Play };
enum class Action { SignIn, Enter, Create, Refresh, LevelUp, Ranking };

const char* ActionName(Action action) {
  switch (action) {
    case Action::SignIn: return "login/login";
    case Action::Enter: return "user/login";
    case Action::Create: return "user/reg";
    case Action::Refresh: return "user/xin";
    case Action::LevelUp: return "user/lvup";
    case Action::Ranking: return "user/phb";
  }
  return "?";
}

struct Player {
  std::string account;
  std::string token;
  Phase phase = Phase::SignIn;
  double due[3] = {0, 0, 0};  // next refresh, level-up, ranking (seconds since the run began)
  int skill = 1;               // the skill the next level-up asks for
  int fd = -1;                 // the connection of the request in flight
  Action action = Action::SignIn;
  Steady::time_point sent;
  std::string out;             // request bytes not yet written
  std::string in;              // answer bytes so far
};

// The cheapest skill that the total of an information answer covers, or 1 when none is.
int AffordableSkill(const nlohmann::json& info) {
  auto less = [](const std::string& a, const std::string& b) {
    return a.size() != b.size() ? a.size() < b.size() : a < b;
  };
  std::string total = info.value("allmoney", "0");
  int best = 1;
  std::string bestPrice;
  if (!info.contains("skills") || !info["skills"].is_array()) return best;
  for (const auto& skill : info["skills"]) {
    std::string price = skill.value("buy", "");
    if (price.empty() || less(total, price)) continue;
    if (bestPrice.empty() || less(price, bestPrice)) {
      bestPrice = price;
      best = std::atoi(skill.value("id", "1").c_str());
    }
  }
  return best;
}

// An answer is complete once the headers and Content-Length bytes of body are in. Returns the
// body, or nothing while more is expected; `status` is set from the status line.
bool CompleteAnswer(const std::string& in, int& status, std::string& body) {
  size_t end = in.find("\r\n\r\n");
  if (end == std::string::npos) return false;
  std::string head = in.substr(0, end);
  std::transform(head.begin(), head.end(), head.begin(), [](char c) { return std::tolower(c); });
  status = in.size() > 12 ? std::atoi(in.c_str() + 9) : 0;
  size_t mark = head.find("\r\ncontent-length:");
  size_t length = mark == std::string::npos ? 0 : std::strtoul(head.c_str() + mark + 17, nullptr, 10);
  if (in.size() < end + 4 + length) return false;
  body = in.substr(end + 4, length);
  return true;
}

class Run {
 public:
  Run(const LoadPlan& plan) : plan_(plan), random_(plan.seed), epoll_(epoll_create1(0)) {
    players_.resize(plan.players);
    for (int i = 0; i < plan.players; ++i) {
      players_[i].account = plan.accountPrefix + std::to_string(i + 1);
      Schedule(i, plan.rampSeconds * i / std::max(1, plan.players));
    }
  }
  ~Run() { close(epoll_); }

  LoadReport Play();

 private:
  double Now() const { return std::chrono::duration<double>(Steady::now() - began_).count(); }
  double Jitter(double mean) { return mean * std::uniform_real_distribution<double>(0.5, 1.5)(random_); }
  void Schedule(int index, double at) { timers_.push({at, index}); }
  void Start(int index);
  void Pump(int index, uint32_t events);
  void Finish(int index, const char* failure, int status, const std::string& body);
  void Fail(Player& player, const std::string& kind, const std::string& detail);
  void Judge(int index, const nlohmann::json& answer);

  const LoadPlan& plan_;
  std::mt19937 random_;
  int epoll_;
  Steady::time_point began_ = Steady::now();
  std::vector<Player> players_;
  using Timer = std::pair<double, int>;
  std::priority_queue<Timer, std::vector<Timer>, std::greater<Timer>> timers_;
  int inFlight_ = 0;
  LoadReport report_;
};

void Run::Start(int index) {
  Player& p = players_[index];
  std::string body;
  if (p.phase == Phase::SignIn) {
    p.action = Action::SignIn;
    body = "m=login&a=login&username=" + p.account + "&password=" + plan_.password + "&lv=1.0";
  } else if (p.phase == Phase::Enter || p.phase == Phase::Create) {
    p.action = p.phase == Phase::Enter ? Action::Enter : Action::Create;
    body = p.phase == Phase::Enter ? "m=user&a=login&md5=" + p.token
                                   : "m=user&a=reg&name=" + p.account + "&md5=" + p.token;
  } else {
    int which = static_cast<int>(std::min_element(p.due, p.due + 3) - p.due);
    p.due[which] = Now() + Jitter(which == 0 ? plan_.refreshSeconds
                                  : which == 1 ? plan_.levelUpSeconds : plan_.rankingSeconds);
    p.action = which == 0 ? Action::Refresh : which == 1 ? Action::LevelUp : Action::Ranking;
    body = which == 0 ? "m=user&a=xin&md5=" + p.token
         : which == 1 ? "m=user&a=lvup&id=" + std::to_string(p.skill) + "&md5=" + p.token
                      : "m=user&a=phb&md5=" + p.token;
  }
  // What the game client's web layer sends: no content type, no keep-alive request.
  p.out = "POST /game/do.php HTTP/1.1\r\nHost: " + plan_.host + ":" + std::to_string(plan_.port) +
          "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
  p.in.clear();
  p.sent = Steady::now();
  ++report_.byAction[ActionName(p.action)];
  ++inFlight_;
  p.fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(plan_.port));
  inet_pton(AF_INET, plan_.host.c_str(), &address.sin_addr);
  int one = 1;
  setsockopt(p.fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  if (p.fd < 0 ||
      (connect(p.fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 && errno != EINPROGRESS)) {
    return Finish(index, "connect failed", 0, strerror(errno));
  }
  epoll_event event{};
  event.events = EPOLLOUT | EPOLLIN | EPOLLRDHUP;
  event.data.u32 = static_cast<uint32_t>(index);
  epoll_ctl(epoll_, EPOLL_CTL_ADD, p.fd, &event);
}

void Run::Pump(int index, uint32_t events) {
  Player& p = players_[index];
  if (!p.out.empty() && (events & EPOLLOUT)) {
    int error = 0;
    socklen_t size = sizeof error;
    getsockopt(p.fd, SOL_SOCKET, SO_ERROR, &error, &size);
    if (error != 0) return Finish(index, "connect failed", 0, strerror(error));
    ssize_t sent = send(p.fd, p.out.data(), p.out.size(), MSG_NOSIGNAL);
    if (sent < 0 && errno != EAGAIN) return Finish(index, "send failed", 0, strerror(errno));
    if (sent > 0) p.out.erase(0, static_cast<size_t>(sent));
    if (p.out.empty()) {
      epoll_event event{};
      event.events = EPOLLIN | EPOLLRDHUP;
      event.data.u32 = static_cast<uint32_t>(index);
      epoll_ctl(epoll_, EPOLL_CTL_MOD, p.fd, &event);
    }
  }
  if (!(events & (EPOLLIN | EPOLLRDHUP | EPOLLHUP | EPOLLERR))) return;
  char buffer[16384];
  for (;;) {
    ssize_t got = recv(p.fd, buffer, sizeof buffer, 0);
    if (got > 0) {
      p.in.append(buffer, static_cast<size_t>(got));
      int status = 0;
      std::string body;
      if (CompleteAnswer(p.in, status, body)) return Finish(index, nullptr, status, body);
      continue;
    }
    if (got < 0 && errno == EAGAIN) return;
    if (got < 0) return Finish(index, "connection reset", 0, strerror(errno));
    return Finish(index, p.in.empty() ? "closed without an answer" : "answer cut short", 0, "");
  }
}

void Run::Fail(Player& player, const std::string& kind, const std::string& detail) {
  ++report_.failures;
  ++report_.failuresByKind[kind];
  if (report_.failureSamples.size() < 10) {
    report_.failureSamples.push_back(std::string(ActionName(player.action)) + " " + player.account +
                                     ": " + kind + (detail.empty() ? "" : " (" + detail + ")"));
  }
}

void Run::Finish(int index, const char* failure, int status, const std::string& body) {
  Player& p = players_[index];
  if (p.fd >= 0) close(p.fd);  // also leaves the epoll set
  p.fd = -1;
  --inFlight_;
  ++report_.requests;
  double now = Now();
  int64_t failuresBefore = report_.failures;
  if (failure) {
    Fail(p, failure, body);
  } else {
    report_.latenciesMs.push_back(std::chrono::duration<double, std::milli>(Steady::now() - p.sent).count());
    auto answer = nlohmann::json::parse(body, nullptr, /*allow_exceptions=*/false);
    if (status != 200) Fail(p, "HTTP status " + std::to_string(status), body.substr(0, 80));
    else if (!answer.is_object() || !answer.contains("b")) Fail(p, "not a JSON answer", body.substr(0, 80));
    else Judge(index, answer);
  }
  // A player that failed to get in tries again a second later; one in the game goes on.
  bool failed = report_.failures != failuresBefore;
  double next = p.phase == Phase::Play ? *std::min_element(p.due, p.due + 3) : now + (failed ? 1 : 0);
  Schedule(index, std::max(next, now));
}

void Run::Judge(int index, const nlohmann::json& answer) {
  Player& p = players_[index];
  std::string code = answer.value("b", "");
  std::string text = answer.value("t", "");
  bool ok = code == "1";
  switch (p.action) {
    case Action::SignIn:
      if (ok) p.token = answer.value("md5", ""), p.phase = Phase::Enter;
      break;
    case Action::Enter:
      if (code == "-1") ok = true, p.phase = Phase::Create;
      else if (ok) {
        p.phase = Phase::Play;
        ++report_.playersInGame;
        double now = Now();
        for (int i = 0; i < 3; ++i) p.due[i] = now + Jitter(i == 0 ? plan_.refreshSeconds : i == 1 ? plan_.levelUpSeconds : plan_.rankingSeconds);
      }
      break;
    case Action::Create:
      if (ok) p.phase = Phase::Enter;
      break;
    case Action::LevelUp:
      if (ok) ++report_.levelUpsBought;
      if (code == "0" && text == "经验不足") ok = true;
      [[fallthrough]];
    case Action::Refresh:
      if (code == "1") p.skill = AffordableSkill(answer);
      break;
    case Action::Ranking:
      ok = ok && answer.contains("phb");
      break;
  }
  if (!ok) Fail(p, "answer \"" + code + "\"", text);
}

LoadReport Run::Play() {
  std::vector<epoll_event> events(1024);
  auto last = Steady::now();
  while (true) {
    double now = Now();
    bool open = now < plan_.seconds;
    while (open && !timers_.empty() && timers_.top().first <= now) {
      int index = timers_.top().second;
      timers_.pop();
      if (players_[index].fd < 0) Start(index);
    }
    if (!open && inFlight_ == 0) break;
    double wait = timers_.empty() || !open ? 0.05 : std::min(0.05, timers_.top().first - now);
    int ready = epoll_wait(epoll_, events.data(), static_cast<int>(events.size()),
                           static_cast<int>(std::max(0.0, wait) * 1000) + 1);
    for (int i = 0; i < ready; ++i) {
      int index = static_cast<int>(events[i].data.u32);
      if (players_[index].fd >= 0) Pump(index, events[i].events);
    }
    if (Steady::now() - last > std::chrono::milliseconds(100)) {
      last = Steady::now();
      for (int i = 0; i < static_cast<int>(players_.size()); ++i) {
        const Player& p = players_[i];
        if (p.fd >= 0 && std::chrono::duration<double>(last - p.sent).count() > plan_.timeoutSeconds) {
          Finish(i, "no answer within the time-out", 0, "");
        }
      }
    }
  }
  report_.elapsedSeconds = Now();
  std::sort(report_.latenciesMs.begin(), report_.latenciesMs.end());
  return std::move(report_);
}

}  // namespace

double LoadReport::Percentile(double fraction) const {
  if (latenciesMs.empty()) return 0;
  size_t at = static_cast<size_t>(fraction * static_cast<double>(latenciesMs.size() - 1) + 0.5);
  return latenciesMs[std::min(at, latenciesMs.size() - 1)];
}

std::string LoadReport::Summary(int players) const {
  std::ostringstream out;
  out.setf(std::ios::fixed);
  out.precision(1);
  out << "players " << players << " (in the game: " << playersInGame << "), seconds " << elapsedSeconds
      << ", requests " << requests << ", per second " << (elapsedSeconds > 0 ? requests / elapsedSeconds : 0)
      << ", failed " << failures << "\nlatency ms: p50 " << Percentile(0.5) << ", p90 " << Percentile(0.9)
      << ", p99 " << Percentile(0.99) << ", max " << (latenciesMs.empty() ? 0 : latenciesMs.back())
      << "\nlevel-ups bought " << levelUpsBought << "; requests by action:";
  for (const auto& [action, count] : byAction) out << " " << action << " " << count;
  for (const auto& [kind, count] : failuresByKind) out << "\nfailed: " << kind << " x" << count;
  for (const auto& sample : failureSamples) out << "\n  e.g. " << sample;
  return out.str();
}

bool SeedLoadAccounts(Storage& storage, const std::string& prefix, int count, const std::string& password) {
  std::string hash = HashPassword(password, LightHashCost());
  int64_t now = SystemClock().NowSeconds();
  for (int i = 1; i <= count; ++i) {
    if (storage.CreateAccount(prefix + std::to_string(i), hash, "", now) != CreateOutcome::Created) return false;
  }
  return true;
}

LoadReport RunPlayers(const LoadPlan& plan) { return Run(plan).Play(); }

}  // namespace vorenn::server::test
