// FindText and ReplaceSubText over a 1 MB GBK text: ASCII words mixed with double-byte characters,
// some of whose trail bytes are ASCII letters, so that the character-boundary checks are exercised.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "commands/text_commands.h"

namespace {

const std::string& MegabyteText() {
  static const std::string text = [] {
    std::mt19937 rng(7);
    std::string s;
    s.reserve(1 << 20);
    const char* words[] = {"money", "level ", "\xD6\xD0\xCE\xC4", "\xE9\x61", "\\", "\"", "rank=", "\r\n"};
    while (s.size() < (1u << 20) - 16) s += words[rng() % 8];
    return s;
  }();
  return text;
}

void BM_FindTextMissing(benchmark::State& state) {
  const std::string& text = MegabyteText();
  for (auto _ : state) benchmark::DoNotOptimize(vorenn::FindText(text, "Set-Cookie: "));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_FindTextMissing);

// The first bytes of "level=" are frequent in the text, so the fast search stops often.
void BM_FindTextMissingFrequentPrefix(benchmark::State& state) {
  const std::string& text = MegabyteText();
  for (auto _ : state) benchmark::DoNotOptimize(vorenn::FindText(text, "level="));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_FindTextMissingFrequentPrefix);

void BM_FindTextMissingIgnoreCase(benchmark::State& state) {
  const std::string& text = MegabyteText();
  for (auto _ : state) {
    benchmark::DoNotOptimize(vorenn::FindText(text, "SET-COOKIE: ", 1, vorenn::CaseMode::kIgnoreAscii));
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_FindTextMissingIgnoreCase);

// "a" occurs mostly as a trail byte, so nearly every candidate is rejected by the boundary check.
void BM_FindTextTrailByteCandidates(benchmark::State& state) {
  const std::string text = MegabyteText() + "Za";
  for (auto _ : state) benchmark::DoNotOptimize(vorenn::FindText(text, "Za"));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_FindTextTrailByteCandidates);

void BM_ReplaceSubTextEscapeBackslashes(benchmark::State& state) {
  const std::string& text = MegabyteText();
  for (auto _ : state) benchmark::DoNotOptimize(vorenn::ReplaceSubText(text, "\\", "\\\\"));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_ReplaceSubTextEscapeBackslashes);

void BM_ReplaceSubTextWord(benchmark::State& state) {
  const std::string& text = MegabyteText();
  for (auto _ : state) benchmark::DoNotOptimize(vorenn::ReplaceSubText(text, "money", "gold"));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_ReplaceSubTextWord);

void BM_ReplaceSubTextIgnoreCase(benchmark::State& state) {
  const std::string& text = MegabyteText();
  for (auto _ : state) {
    benchmark::DoNotOptimize(vorenn::ReplaceSubText(text, "RANK=", "r=", {}, {}, vorenn::CaseMode::kIgnoreAscii));
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_ReplaceSubTextIgnoreCase);

}  // namespace

BENCHMARK_MAIN();
