// server_load: simulated players against a running game server (scripts/load-server drives it).
//   server_load seed DB_URL COUNT           accounts load1..loadCOUNT (password "loadpass1")
//   server_load run HOST:PORT [--players N] [--seconds S] [--ramp S] [--refresh S] [--levelup S]
//                             [--ranking S] [--seed N]
// `run` prints the summary and exits 1 when any request failed.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "tests/server/load_players.h"

namespace {

using namespace vorenn::server;
using namespace vorenn::server::test;

int Usage() {
  std::fprintf(stderr,
               "usage: server_load seed DB_URL COUNT\n"
               "       server_load run HOST:PORT [--players N] [--seconds S] [--ramp S] [--refresh S]\n"
               "                                 [--levelup S] [--ranking S] [--seed N]\n");
  return 2;
}

int Seed(const std::string& url, int count) {
  try {
    auto storage = OpenStorage(url, 1);
    if (!SeedLoadAccounts(*storage, "load", count, "loadpass1")) {
      std::fprintf(stderr, "server_load: the accounts exist already; seed an empty database\n");
      return 1;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "server_load: %s\n", e.what());
    return 1;
  }
  return 0;
}

int Play(int argc, char** argv) {
  LoadPlan plan;
  std::string address = argv[2];
  size_t colon = address.rfind(':');
  if (colon == std::string::npos) return Usage();
  plan.host = address.substr(0, colon);
  plan.port = std::atoi(address.c_str() + colon + 1);
  for (int i = 3; i + 1 < argc; i += 2) {
    std::string option = argv[i];
    double value = std::atof(argv[i + 1]);
    if (option == "--players") plan.players = static_cast<int>(value);
    else if (option == "--seconds") plan.seconds = value;
    else if (option == "--ramp") plan.rampSeconds = value;
    else if (option == "--refresh") plan.refreshSeconds = value;
    else if (option == "--levelup") plan.levelUpSeconds = value;
    else if (option == "--ranking") plan.rankingSeconds = value;
    else if (option == "--seed") plan.seed = static_cast<uint32_t>(value);
    else return Usage();
  }
  if (plan.port <= 0 || plan.players < 1 || plan.seconds <= 0) return Usage();
  LoadReport report = RunPlayers(plan);
  std::cout << report.Summary(plan.players) << std::endl;
  return report.failures == 0 && report.playersInGame == plan.players ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::string command = argc > 1 ? argv[1] : "";
  if (command == "seed" && argc == 4) return Seed(argv[2], std::atoi(argv[3]));
  if (command == "run" && argc >= 3 && argc % 2 == 1) return Play(argc, argv);
  return Usage();
}
