#include "commands/memory_file.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "commands/file_table.h"

namespace vorenn {
namespace {

constexpr int64_t kGrowthStep = 1024;
constexpr int64_t kMaxLength = std::numeric_limits<int32_t>::max();
constexpr int64_t kDeleteBlock = 4096;

int64_t RoundUpToStep(int64_t n) { return (n + kGrowthStep - 1) / kGrowthStep * kGrowthStep; }

class MemoryFileObject final : public FileObject {
 public:
  int64_t Position() const override { return position_; }
  int64_t Length() const override { return int64_t(bytes_.size()); }

  int64_t Read(void* buffer, int64_t n) override {
    if (n <= 0 || position_ >= Length()) return 0;
    int64_t count = std::min(n, Length() - position_);
    std::memcpy(buffer, bytes_.data() + position_, size_t(count));
    position_ += count;
    return count;
  }

  bool Write(const void* data, int64_t n) override {
    if (n <= 0) return true;
    if (n > kMaxLength - position_) return false;
    int64_t end = position_ + n;
    if (end > Length()) Resize(end);
    std::memcpy(bytes_.data() + position_, data, size_t(n));
    position_ = end;
    return true;
  }

  bool SetPosition(int64_t position) override {
    if (position < 0) return false;
    position_ = position;
    return true;
  }

  bool SetLength(int64_t length) override {
    if (length < 0 || length > kMaxLength) return false;
    Resize(length);
    return true;
  }

 private:
  // Capacity grows in whole 1024-byte steps, and by at least half again so that a long run of
  // small writes costs linear time.
  void Resize(int64_t length) {
    if (length > int64_t(bytes_.capacity())) {
      int64_t wanted = std::max(length, int64_t(bytes_.capacity()) + int64_t(bytes_.capacity()) / 2);
      bytes_.reserve(size_t(std::min(RoundUpToStep(wanted), RoundUpToStep(kMaxLength))));
    }
    bytes_.resize(size_t(length));
  }

  std::vector<uint8_t> bytes_;
  int64_t position_ = 0;
};

}  // namespace

FileNumber OpenMemoryFile() { return RegisterFile(std::make_unique<MemoryFileObject>()); }

void CloseFile(FileNumber file) { UnregisterFile(file); }

void CloseAllFiles() { UnregisterAllFiles(); }

bool SeekToFileStart(FileNumber file) {
  auto f = FindFile(file);
  return f != nullptr && f->SetPosition(0);
}

bool SeekFile(FileNumber file, int32_t origin, int32_t offset) {
  auto f = FindFile(file);
  if (f == nullptr) return false;
  int64_t base;
  switch (origin) {
    case kSeekFromStart: base = 0; break;
    case kSeekFromEnd: base = f->Length(); break;
    case kSeekFromCurrent: base = f->Position(); break;
    default: return false;
  }
  return f->SetPosition(base + offset);
}

int32_t GetFileLength(FileNumber file) {
  auto f = FindFile(file);
  if (f == nullptr) return -1;
  int64_t length = f->Length();
  return length < 0 || length > kMaxLength ? -1 : int32_t(length);
}

bool IsEndOfFile(FileNumber file, bool terminatorCheck) {
  auto f = FindFile(file);
  if (f == nullptr) return true;
  int64_t position = f->Position();
  if (position >= f->Length()) return true;
  if (!terminatorCheck) return false;
  uint8_t byte = 1;
  bool terminator = f->Read(&byte, 1) == 1 && (byte == 0 || byte == 26);
  f->SetPosition(position);
  return terminator;
}

std::vector<uint8_t> ReadBytes(FileNumber file, int32_t count) {
  auto f = FindFile(file);
  if (f == nullptr || count <= 0) return {};
  // Never more than what is left, however large the request.
  int64_t available = std::max<int64_t>(f->Length() - f->Position(), 0);
  std::vector<uint8_t> bytes(size_t(std::min<int64_t>(count, available)));
  int64_t got = bytes.empty() ? 0 : f->Read(bytes.data(), int64_t(bytes.size()));
  if (got < 0) {
    f->SetPosition(f->Length());
    return {};
  }
  bytes.resize(size_t(got));
  return bytes;
}

bool WriteBytes(FileNumber file, std::span<const uint8_t> bytes) {
  const std::span<const uint8_t> one[] = {bytes};
  return WriteBytes(file, one);
}

bool WriteBytes(FileNumber file, std::span<const std::span<const uint8_t>> arrays) {
  auto f = FindFile(file);
  if (f == nullptr) return false;
  int64_t start = f->Position();
  for (auto bytes : arrays) {
    if (bytes.empty()) continue;
    if (!f->Write(bytes.data(), int64_t(bytes.size()))) {
      f->SetPosition(start);
      return false;
    }
  }
  return true;
}

bool DeleteData(FileNumber file, int32_t count) {
  auto f = FindFile(file);
  if (f == nullptr) return false;
  if (count <= 0) return true;
  int64_t position = f->Position();
  int64_t length = f->Length();
  if (position >= length) return true;  // nothing lies at or after the position
  uint8_t block[kDeleteBlock];
  int64_t from = position + count;
  int64_t to = position;
  bool ok = true;
  while (ok && from < length) {
    int64_t n = std::min(kDeleteBlock, length - from);
    ok = f->SetPosition(from) && f->Read(block, n) == n && f->SetPosition(to) && f->Write(block, n);
    from += n;
    to += n;
  }
  ok = ok && f->SetLength(std::max(length - count, position));
  f->SetPosition(position);
  return ok;
}

}  // namespace vorenn
