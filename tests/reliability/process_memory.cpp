#include "tests/reliability/process_memory.h"

#include <malloc.h>

#include <chrono>
#include <fstream>
#include <sstream>

#include "engine/core/memory.h"

namespace vorenn::testing {
namespace {

int64_t StatusField(const std::string& status, const char* name) {
  size_t at = status.find(name);
  if (at == std::string::npos) return -1;
  return std::stoll(status.substr(at + std::string(name).size()));
}

}  // namespace

double RealSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

bool HeapCountIsReliable() {
#if defined(__SANITIZE_ADDRESS__)
  return false;
#else
  return true;
#endif
}

MemorySample SampleMemory() {
  std::ifstream in("/proc/self/status");
  std::stringstream text;
  text << in.rdbuf();
  MemorySample sample;
  sample.residentKiB = StatusField(text.str(), "VmRSS:");
  sample.peakResidentKiB = StatusField(text.str(), "VmHWM:");
  sample.engineBlocks = LiveBlockCount();
  if (HeapCountIsReliable()) {
    struct mallinfo2 info = mallinfo2();
    sample.heapInUseBytes = int64_t(info.uordblks + info.hblkhd);
  }
  return sample;
}

std::string Describe(const MemorySample& sample) {
  std::ostringstream out;
  out << "engine blocks " << sample.engineBlocks << ", rss " << sample.residentKiB << " KiB, peak rss " << sample.peakResidentKiB << " KiB";
  if (sample.heapInUseBytes >= 0) out << ", heap in use " << sample.heapInUseBytes / 1024 << " KiB";
  return out.str();
}

}  // namespace vorenn::testing
