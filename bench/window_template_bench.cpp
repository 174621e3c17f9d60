// Reading the program's template segment at start-up, and copying its records for a window load.
#include <benchmark/benchmark.h>

#include "engine/templates/window_template.h"
#include "resources/window_segment.h"

namespace {

void BM_LoadTemplateSegment(benchmark::State& state) {
  auto segment = vorenn::WindowSegment();
  for (auto _ : state) {
    vorenn::LoadTemplateSegment(segment.data(), segment.size());
    benchmark::DoNotOptimize(vorenn::Templates().data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(segment.size()));
  vorenn::ResetTemplateState();
}
BENCHMARK(BM_LoadTemplateSegment);

void BM_CreateInstance(benchmark::State& state) {
  auto segment = vorenn::WindowSegment();
  vorenn::LoadTemplateSegment(segment.data(), segment.size());
  const vorenn::WindowTemplate& tmpl = *vorenn::FindTemplate(0x52010003);
  for (auto _ : state) {
    vorenn::WindowInstance& instance = vorenn::CreateInstance(tmpl);
    vorenn::DiscardInstance(&instance);
  }
  vorenn::ResetTemplateState();
}
BENCHMARK(BM_CreateInstance);

}  // namespace

BENCHMARK_MAIN();
