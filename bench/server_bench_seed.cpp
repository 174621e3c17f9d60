// Seeds a fresh game database for scripts/bench-server: N players, each with a character, a total
// large enough for thousands of level-ups, and a session. Prints one token per line.
//   server_bench_seed DB_URL COUNT
#include <cstdio>
#include <string>

#include "server/clock.h"
#include "server/credentials.h"
#include "server/storage.h"

int main(int argc, char** argv) {
  using namespace vorenn::server;
  if (argc != 3) {
    std::fprintf(stderr, "usage: server_bench_seed DB_URL COUNT\n");
    return 2;
  }
  int count = std::stoi(argv[2]);
  try {
    auto storage = OpenStorage(argv[1], 1);
    int64_t now = SystemClock().NowSeconds();
    Amount plenty;
    mpz_ui_pow_ui(plenty.get_mpz_t(), 10, 2000);
    for (int i = 1; i <= count; ++i) {
      std::string name = "bench" + std::to_string(i);
      if (storage->CreateAccount(name, HashPassword("benchpass", LightHashCost()), "", now) !=
          CreateOutcome::Created) {
        std::fprintf(stderr, "server_bench_seed: %s exists; use an empty database\n", name.c_str());
        return 1;
      }
      int64_t id = storage->FindAccount(name)->id;
      storage->CreateCharacter(id, name, now);
      storage->UpdateCharacter(id, [&](Character& c) {
        c.total = plenty;
        return true;
      });
      std::string token = NewToken();
      storage->AddSession(TokenDigest(token), id, now, 86400);
      std::printf("%s\n", token.c_str());
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "server_bench_seed: %s\n", e.what());
    return 1;
  }
  return 0;
}
