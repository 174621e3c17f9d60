// The INI reader and writer on arbitrary files. Whatever the file holds, reads return at most
// the buffer, and a value written must read back, with every other section still readable.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/profile_file.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

std::string ScratchPath() {
  const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  return std::string(dir) + "/vorenn-ini-fuzz-" + std::to_string(getpid()) + ".ini";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vorenn::platform;
  static const std::string path = ScratchPath();
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);

  for (const char* section : {"s", "S", "login", ""}) {
    for (const char* key : {"k", "key", ""}) {
      Check(ReadProfileString(path, section, key, "d").size() <= kProfileBufferSize - 1);
    }
  }
  std::string other = ReadProfileString(path, "other", "k", "none");
  Check(WriteProfileString(path, "fuzz", "key", "value 1"));
  Check(ReadProfileString(path, "FUZZ", "KEY", "") == "value 1");
  // Sections other than the written one read as before, unless the written one came first and
  // shares the name.
  Check(ReadProfileString(path, "other", "k", "none") == other);
  Check(WriteProfileString(path, "fuzz", "key", std::nullopt));
  Check(WriteProfileString(path, "fuzz", std::nullopt, std::nullopt));
  unlink(path.c_str());
  return 0;
}
