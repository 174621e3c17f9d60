// A leaderboard answer of 10,000 players, parsed and read the way the game reads it (the list, then
// each entry's "name" through DecodeUnicodeEscapes and its "money" as text), next to nlohmann/json
// doing the same in the same run. Prints both and the ratio.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>
#include <string>

#include "json/json_parser.h"

namespace {

std::string LeaderboardAnswer(int players) {
  std::string text = "{\"b\":\"1\",\"t\":\"\",\"list\":[";
  for (int i = 0; i < players; ++i) {
    if (i > 0) text += ',';
    char entry[200];
    std::snprintf(entry, sizeof entry,
                  "{\"name\":\"\\u73a9\\u5bb6%d\\u53f7\",\"money\":9%029d}", i, i + 1);
    text += entry;
  }
  return text + "]}";
}

// 10,000 players is the case that matters; 20,000 shows that the cost stays linear.
const std::string& Answer(int players) {
  static std::map<int, std::string> answers;
  auto [it, fresh] = answers.try_emplace(players);
  if (fresh) it->second = LeaderboardAnswer(players);
  return it->second;
}

void Vorenn(benchmark::State& state) {
  vorenn::JsonParser parser;
  for (auto _ : state) {
    int32_t ok = 0;
    std::string error;
    auto doc = parser.Parse(Answer(int(state.range(0))), &ok, &error);
    auto list = doc->GetMember("list");
    size_t bytes = 0;
    for (int32_t i = 1; i <= list->ArraySize(); ++i) {
      auto entry = list->GetElement(i);
      bytes += vorenn::DecodeUnicodeEscapes(entry->GetMember("name")->AsText()).size();
      bytes += entry->GetMember("money")->AsText().size();
    }
    if (ok != 1 || list->ArraySize() != state.range(0)) state.SkipWithError("parse failed");
    benchmark::DoNotOptimize(bytes);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Answer(int(state.range(0))).size()));
}
BENCHMARK(Vorenn)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);

void Nlohmann(benchmark::State& state) {
  for (auto _ : state) {
    auto doc = nlohmann::json::parse(Answer(int(state.range(0))));
    size_t bytes = 0;
    for (const auto& entry : doc["list"]) {
      bytes += entry["name"].get<std::string>().size();
      bytes += entry["money"].dump().size();
    }
    benchmark::DoNotOptimize(bytes);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Answer(int(state.range(0))).size()));
}
BENCHMARK(Nlohmann)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);

// Keeps every run's time so that the ratio can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const auto& run : runs) times_[run.benchmark_name()] = run.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  void PrintRatios() const {
    for (int players : {10000, 20000}) {
      auto v = times_.find("Vorenn/" + std::to_string(players));
      auto n = times_.find("Nlohmann/" + std::to_string(players));
      if (v == times_.end() || n == times_.end() || n->second <= 0) continue;
      std::printf("%d players, %zu bytes: Vorenn %.2f ms, nlohmann %.2f ms, ratio %.1f\n", players,
                  Answer(players).size(), v->second, n->second, v->second / n->second);
    }
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
