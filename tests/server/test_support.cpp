#include "tests/server/test_support.h"

#include <gtest/gtest.h>
#include <pqxx/pqxx>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>

namespace vorenn::server::test {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "vorenn-srv-test.XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string FreshPostgresUrl() {
  const char* file = std::getenv("VORENN_PG_URL_FILE");
  std::string url;
  if (file) {
    std::ifstream in(file);
    std::getline(in, url);
  }
  if (url.empty()) {
    ADD_FAILURE() << "no PostgreSQL: VORENN_PG_URL_FILE is unset or its file is missing; "
                     "run these tests through ctest, whose fixture starts PostgreSQL";
    return "";
  }
  static std::atomic<int> counter{0};
  std::string schema = "t" + std::to_string(getpid()) + "_" + std::to_string(counter++);
  pqxx::connection admin(url);
  pqxx::work w(admin);
  w.exec("DROP SCHEMA IF EXISTS " + schema + " CASCADE");
  w.exec("CREATE SCHEMA " + schema);
  w.commit();
  return url + "?options=-csearch_path%3D" + schema;
}

StorageKit::StorageKit(const std::string& kind, int connections) {
  url = kind == "postgres" ? FreshPostgresUrl() : "sqlite:" + (dir.path() / "var" / "game.db").string();
  if (!url.empty()) storage = OpenStorage(url, connections);
}

GameSettings TestServer::LightSettings() {
  GameSettings settings;
  settings.hashCost = LightHashCost();
  settings.announcement = "公告";
  settings.hashThreads = 4;
  // The tests' own requests come from here; the per-address limits are tried from other addresses.
  settings.unthrottled = {"127.0.0.1"};
  return settings;
}

HttpSettings TestServer::OpenHttp() {
  HttpSettings http;
  http.port = 0;
  http.threads = 16;
  http.logRequests = false;
  http.maxConnectionsPerAddress = 4096;
  return http;
}

TestServer::TestServer(const std::string& storageKind, GameSettings settings, HttpSettings http)
    : kit(storageKind, 16) {
  if (!kit.storage) throw std::runtime_error("no storage");
  service_ = std::make_unique<GameService>(*kit.storage, clock, std::move(settings));
  http_ = std::make_unique<HttpServer>(*service_, http);
  port = http_->Bind();
  if (port <= 0) throw std::runtime_error("cannot bind a loopback port");
  thread_ = std::thread([this] { http_->Run(); });
  for (int i = 0; i < 5000 && !http_->IsServing(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

TestServer::~TestServer() {
  http_->Stop();
  thread_.join();
}

httplib::Result TestServer::Raw(const std::string& body, const std::string& path) {
  httplib::Client client("127.0.0.1", port);
  client.set_read_timeout(30);
  return client.Post(path.c_str(), body, "application/x-www-form-urlencoded");
}

nlohmann::json TestServer::Post(const std::string& body) {
  auto result = Raw(body);
  if (!result) return nullptr;
  return nlohmann::json::parse(result->body, nullptr, /*allow_exceptions=*/false);
}

std::string TestServer::NewPlayer(const std::string& account, const std::string& name) {
  Post("m=login&a=register&username=" + account + "&password=secret1&email=");
  auto login = Post("m=login&a=login&username=" + account + "&password=secret1&lv=1.0");
  std::string token = login.value("md5", "");
  Post("m=user&a=reg&name=" + name + "&md5=" + token);
  return token;
}

}  // namespace vorenn::server::test
