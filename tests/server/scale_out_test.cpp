// Two server processes behind nginx (deploy/nginx-load-balancer.conf) on one PostgreSQL database,
// as an operator scales out: many players level up and register through nginx, one server is killed
// with SIGKILL mid-run, and then no acknowledged change is missing, no level-up happened twice, and
// the password attempt limit counted the attempts of both servers together.
// The run lasts about 3 s; VORENN_SCALE_SECONDS=60 for the long form.
#include <gtest/gtest.h>
#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <chrono>
#include <fstream>
#include <mutex>
#include <sstream>
#include <regex>
#include <thread>
#include <vector>

#include "server/credentials.h"
#include "tests/server/raw_client.h"
#include "tests/server/server_process.h"
#include "tests/server/test_support.h"

namespace vorenn::server::test {
namespace {

using json = nlohmann::json;

constexpr const char* kNginx = "/usr/sbin/nginx";
const char* const kTooManyAttempts = "密码错误次数过多，请一分钟后再试";

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// nginx with the sample configuration, its two upstream ports and its listen port put in.
class Nginx {
 public:
  Nginx(const std::filesystem::path& dir, int port, int first, int second) : port_(port) {
    std::string site = ReadFile(std::filesystem::path(VORENN_SOURCE_DIR) / "deploy/nginx-load-balancer.conf");
    site = std::regex_replace(site, std::regex("127\\.0\\.0\\.1:8573"), "127.0.0.1:" + std::to_string(first));
    site = std::regex_replace(site, std::regex("127\\.0\\.0\\.1:8574"), "127.0.0.1:" + std::to_string(second));
    site = std::regex_replace(site, std::regex("listen 80;"), "listen 127.0.0.1:" + std::to_string(port) + ";");
    std::ofstream(dir / "site.conf") << site;
    std::string d = dir.string();
    std::ofstream(dir / "nginx.conf") << "daemon off;\nworker_processes 1;\npid " << d << "/nginx.pid;\n"
                                      << "error_log " << d << "/error.log;\nevents { worker_connections 1024; }\n"
                                      << "http {\n  access_log off;\n  client_body_temp_path " << d << "/body;\n"
                                      << "  proxy_temp_path " << d << "/proxy;\n  fastcgi_temp_path " << d
                                      << "/fastcgi;\n  uwsgi_temp_path " << d << "/uwsgi;\n  scgi_temp_path " << d
                                      << "/scgi;\n  include " << d << "/site.conf;\n}\n";
    pid_ = fork();
    if (pid_ == 0) {
      if (!freopen((dir / "nginx.err").c_str(), "w", stderr)) _exit(126);
      execl(kNginx, kNginx, "-p", d.c_str(), "-c", (dir / "nginx.conf").c_str(), "-e", (dir / "error.log").c_str(),
            static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  ~Nginx() {
    if (pid_ > 0) {
      kill(pid_, SIGQUIT);  // the master takes its worker with it
      waitpid(pid_, nullptr, 0);
    }
  }
  bool Ready() {
    for (int i = 0; i < 200; ++i) {
      if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
        pid_ = -1;
        return false;
      }
      httplib::Client client("127.0.0.1", port_);
      client.set_connection_timeout(1);
      if (client.Get("/")) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

 private:
  int port_;
  pid_t pid_ = -1;
};

json Post(int port, const std::string& body) {
  httplib::Client client("127.0.0.1", port);
  client.set_connection_timeout(2);
  client.set_read_timeout(10);
  auto result = client.Post("/game/do.php", body, "application/x-www-form-urlencoded");
  if (!result || result->status != 200) return nullptr;
  return json::parse(result->body, nullptr, false);
}

// One request from 127.0.0.2, an address the servers do limit (127.0.0.1 is the load's, exempt).
json PostFromOtherAddress(int port, const std::string& body) {
  std::string answer = PostFrom(port, "127.0.0.2", body);
  return answer.empty() ? json(nullptr) : json::parse(answer, nullptr, false);
}

// Requests of one action answered by one server, from its /metrics.
int64_t Answered(int serverPort, const std::string& action) {
  httplib::Client client("127.0.0.1", serverPort);
  auto result = client.Get("/metrics");
  if (!result) return -1;
  std::regex line("vorenn_requests_total\\{action=\"" + action + "\",[^}]*\\} (\\d+)");
  int64_t total = 0;
  for (std::sregex_iterator it(result->body.begin(), result->body.end(), line), end; it != end; ++it) {
    total += std::stoll((*it)[1]);
  }
  return total;
}

struct Hero {
  std::string token;
  int64_t id = 0;
  std::atomic<int64_t> acknowledged{0};
  std::atomic<int64_t> unanswered{0};
};

TEST(ScaleOut, TwoServersBehindNginxLoseNothingWhenOneIsKilled) {
  TempDir dir;
  std::string url = FreshPostgresUrl();
  ASSERT_FALSE(url.empty());
  const char* long_form = std::getenv("VORENN_SCALE_SECONDS");
  const double seconds = long_form && *long_form ? std::atof(long_form) : 3;
  constexpr int kHeroes = 12;

  // Characters with far more than the run can spend, so every level-up can succeed.
  int64_t began = SystemClock().NowSeconds();
  std::vector<std::unique_ptr<Hero>> heroes;
  {
    auto storage = OpenStorage(url, 1);
    for (int h = 0; h < kHeroes; ++h) {
      auto hero = std::make_unique<Hero>();
      std::string name = "scaled" + std::to_string(h);
      hero->token = NewToken();
      ASSERT_EQ(storage->CreateAccount(name, HashPassword("secret1", LightHashCost()), "", began),
                CreateOutcome::Created);
      hero->id = storage->FindAccount(name)->id;
      ASSERT_EQ(storage->CreateCharacter(hero->id, name, began), CreateOutcome::Created);
      storage->UpdateCharacter(hero->id, [](Character& c) {
        mpz_ui_pow_ui(c.total.get_mpz_t(), 10, 2000);
        return true;
      });
      storage->AddSession(TokenDigest(hero->token), hero->id, began, 86400);
      heroes.push_back(std::move(hero));
    }
  }

  std::vector<std::string> behindNginx = {"--trusted-proxy", "127.0.0.1"};
  auto first = StartServer(url, 4, behindNginx);
  auto second = StartServer(url, 4, behindNginx);
  ASSERT_TRUE(first && second);
  int port = FreeLoopbackPort();
  Nginx nginx(dir.path(), port, first->port(), second->port());
  ASSERT_TRUE(nginx.Ready()) << ReadFile(dir.path() / "nginx.err") << ReadFile(dir.path() / "error.log");

  // Password guesses at one account from one player's address, through nginx, which spreads them
  // over both servers: five are checked in all, the sixth is refused whichever server gets it.
  for (int i = 0; i < 5; ++i) {
    json answer = PostFromOtherAddress(port, "m=login&a=login&username=scaled0&password=wrong" + std::to_string(i));
    ASSERT_TRUE(answer.is_object());
    EXPECT_NE(answer.value("t", ""), kTooManyAttempts) << i;
  }
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(PostFromOtherAddress(port, "m=login&a=login&username=scaled0&password=wrong99").value("t", ""),
              kTooManyAttempts);
  }
  EXPECT_GT(Answered(first->port(), "login/login"), 0);
  EXPECT_GT(Answered(second->port(), "login/login"), 0);

  std::atomic<bool> stop{false};
  std::atomic<int> unexpected{0};
  std::mutex signUpMutex;
  std::vector<std::string> registered;
  std::atomic<int64_t> afterKill{0};
  std::atomic<bool> killed{false};
  std::vector<std::thread> players;
  for (int s = 0; s < kHeroes; ++s) {
    players.emplace_back([&, s] {
      Hero& hero = *heroes[s];
      while (!stop) {
        json answer = Post(port, "m=user&a=lvup&id=1&md5=" + hero.token);
        if (!answer.is_object()) {
          ++hero.unanswered;
        } else if (answer.value("b", "") == "1") {
          ++hero.acknowledged;
          if (killed) ++afterKill;
        } else {
          ++unexpected;
        }
      }
    });
  }
  for (int s = 0; s < 2; ++s) {
    players.emplace_back([&, s] {
      for (int i = 0; !stop; ++i) {
        std::string name = "joiner" + std::to_string(s) + "n" + std::to_string(i);
        json answer = Post(port, "m=login&a=register&username=" + name + "&password=secret1&email=");
        if (answer.is_object() && answer.value("b", "") == "1") {
          std::lock_guard lock(signUpMutex);
          registered.push_back(name);
        }
      }
    });
  }
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds / 2));
  first->Kill();
  killed = true;
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds / 2));
  stop = true;
  for (auto& player : players) player.join();

  // The remaining server carried on alone.
  EXPECT_GT(afterKill.load(), 0);
  EXPECT_EQ(unexpected.load(), 0);
  auto storage = OpenStorage(url, 1);
  int64_t levelUps = 0;
  for (const auto& hero : heroes) {
    auto c = storage->UpdateCharacter(hero->id, [](Character&) { return false; });
    ASSERT_TRUE(c);
    int64_t level = c->levels[0];
    EXPECT_GE(level, hero->acknowledged.load()) << "an acknowledged level-up is lost";
    EXPECT_LE(level, hero->acknowledged + hero->unanswered) << "a level-up happened twice";
    EXPECT_EQ(c->rate, RateFor(c->levels));
    levelUps += level;
  }
  EXPECT_GT(levelUps, 0);
  std::lock_guard lock(signUpMutex);
  EXPECT_FALSE(registered.empty());
  for (const std::string& name : registered) EXPECT_TRUE(storage->FindAccount(name)) << name;
  std::printf("scale-out: %lld level-ups (%lld after the kill), %zu registrations through nginx\n",
              static_cast<long long>(levelUps), static_cast<long long>(afterKill.load()), registered.size());
}

}  // namespace
}  // namespace vorenn::server::test
