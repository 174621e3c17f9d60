// ReadLine and ReadData over arbitrary memory files. The first byte picks the kinds of the
// variables ReadData reads; the rest is the file. Every read must stay inside the file, a failed
// ReadData must leave the position where it was, and ReadLine must make progress unless it stands
// on a terminator.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "commands/command_values.h"
#include "commands/file_table.h"
#include "commands/memory_file.h"
#include "engine/core/memory.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

int64_t Position(vorenn::FileNumber f) { return vorenn::FindFile(f)->Position(); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vorenn;
  if (size == 0) return 0;
  const uint8_t selector = data[0];
  std::span<const uint8_t> content(data + 1, size - 1);
  FileNumber f = OpenMemoryFile();
  Check(WriteBytes(f, content));
  Check(GetFileLength(f) == int32_t(content.size()));
  SeekToFileStart(f);

  // Lines until the end; a line that does not move stands on a zero or Ctrl-Z.
  for (int guard = 0; guard < 10000 && !IsEndOfFile(f); ++guard) {
    int64_t before = Position(f);
    std::string line = ReadLine(f);
    Check(Position(f) <= int64_t(content.size()));
    if (Position(f) == before) {
      Check(line.empty() && IsEndOfFile(f, /*terminatorCheck=*/true));
      SeekFile(f, kSeekFromCurrent, 1);
    }
  }

  // Typed records with variable kinds picked by the selector, until a read fails.
  static const uint32_t kKinds[] = {kTypeByte, kTypeShort, kTypeInt,      kTypeLong,
                                    kTypeText, kTypeBytes, kTypeDateTime, kTypeBool};
  SeekToFileStart(f);
  for (int round = 0; round < 64; ++round) {
    uint8_t storage[3][8] = {};
    uint32_t types[3];
    RuntimeValue vars[3];
    for (int i = 0; i < 3; ++i) {
      types[i] = kKinds[(selector >> (i * 2 + round % 2)) & 7];
      vars[i] = MakePointer(types[i], storage[i]);
    }
    int64_t before = Position(f);
    bool ok = ReadData(f, vars);
    for (int i = 0; i < 3; ++i) {
      if (types[i] == kTypeText || types[i] == kTypeBytes) {
        void* block;
        std::memcpy(&block, storage[i], sizeof block);
        if (types[i] == kTypeBytes && block != nullptr) {
          Check(BytesOfByteArrayBlock(block).size() <= content.size());
        }
        FreeBlock(block);
      }
    }
    if (!ok) {
      Check(Position(f) == before);
      break;
    }
    Check(Position(f) > before && Position(f) <= int64_t(content.size()));
  }

  // Cutting from the middle keeps the rest in order.
  if (content.size() > 2) {
    SeekFile(f, kSeekFromStart, int32_t(content.size() / 2));
    Check(DeleteData(f, 1));
    Check(GetFileLength(f) == int32_t(content.size() - 1));
    SeekToFileStart(f);
    std::vector<uint8_t> all = ReadBytes(f, int32_t(content.size()));
    size_t cut = content.size() / 2;
    Check(std::memcmp(all.data(), content.data(), cut) == 0);
    Check(std::memcmp(all.data() + cut, content.data() + cut + 1, content.size() - cut - 1) == 0);
  }
  CloseFile(f);
  return 0;
}
