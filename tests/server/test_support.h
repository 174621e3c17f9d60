// Shared helpers for the server tests: temporary folders, storages of either kind, and an
// in-process server on a free loopback port with a hand-driven clock.
#pragma once

#include <httplib.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "server/clock.h"
#include "server/game_service.h"
#include "server/http_server.h"
#include "server/storage.h"

namespace vorenn::server::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// The PostgreSQL URL from the file named by VORENN_PG_URL_FILE (written by pg_start.sh), with a
// fresh schema on the search path so each caller starts from empty tables. Fails the test (and
// returns "") when the file is missing: PostgreSQL tests never pass without PostgreSQL.
std::string FreshPostgresUrl();

// "sqlite" or "postgres": a new, empty storage.
struct StorageKit {
  explicit StorageKit(const std::string& kind, int connections = 8);
  TempDir dir;
  std::string url;
  std::unique_ptr<Storage> storage;
};

// A GameService behind an HttpServer on 127.0.0.1 with a free port, on a ManualClock.
class TestServer {
 public:
  explicit TestServer(const std::string& storageKind = "sqlite", GameSettings settings = LightSettings(),
                      HttpSettings http = OpenHttp());
  ~TestServer();

  static GameSettings LightSettings();
  // A free port, no request log, and no cap on connections from one address (the tests' clients
  // all come from 127.0.0.1).
  static HttpSettings OpenHttp();

  // Posts `body` to /game/do.php; the parsed answer (a null value when the answer is not JSON).
  nlohmann::json Post(const std::string& body);
  // The raw HTTP exchange, for status and header checks.
  httplib::Result Raw(const std::string& body, const std::string& path = "/game/do.php");

  // Registers and signs in `account` (password "secret1") and creates a character named `name`;
  // returns the token.
  std::string NewPlayer(const std::string& account, const std::string& name);

  ManualClock clock{1'700'000'000};
  StorageKit kit;
  int port = 0;

 private:
  std::unique_ptr<GameService> service_;
  std::unique_ptr<HttpServer> http_;
  std::thread thread_;
};

}  // namespace vorenn::server::test
