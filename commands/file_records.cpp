// The record layer of the file commands: lines, typed records and text forms.
#include <algorithm>
#include <cstring>
#include <string>

#include "commands/command_values.h"
#include "commands/conversion_commands.h"
#include "commands/file_table.h"
#include "commands/memory_file.h"
#include "commands/text_commands.h"
#include "engine/core/memory.h"

namespace vorenn {
namespace {

constexpr int64_t kChunk = 512;
constexpr uint8_t kCtrlZ = 26;

// Sets the position back to where the command began and reports failure.
bool Fail(FileObject& f, int64_t start) {
  f.SetPosition(start);
  return false;
}

bool WriteOne(FileObject& f, uint32_t type, const void* storage);

bool WriteTextRecord(FileObject& f, std::string_view text) {
  return f.Write(text.data(), int64_t(text.size())) && f.Write("", 1);
}

bool WriteBytesRecord(FileObject& f, ByteSpan bytes) {
  int32_t count = int32_t(bytes.size());
  return f.Write(&count, 4) && f.Write(bytes.data(), int64_t(bytes.size()));
}

bool WriteArray(FileObject& f, uint32_t elementType, void* block) {
  ArrayElements elements = ElementsOfArrayBlock(block);
  int width = StorageWidth(elementType);
  if (width == 0 || elements.count == 0) return true;
  if (RawWidth(elementType) != 0) return f.Write(elements.data, int64_t(elements.count) * width);
  for (int32_t i = 0; i < elements.count; ++i) {
    if (!WriteOne(f, elementType, elements.data + int64_t(i) * width)) return false;
  }
  return true;
}

// Writes a value held in storage of its kind (a variable, or an array element).
bool WriteOne(FileObject& f, uint32_t type, const void* storage) {
  void* block;
  switch (type) {
    case kTypeText:
      std::memcpy(&block, storage, sizeof block);
      return WriteTextRecord(f, TextOfTextBlock(block));
    case kTypeBytes:
      std::memcpy(&block, storage, sizeof block);
      return WriteBytesRecord(f, BytesOfByteArrayBlock(block));
    default:
      return f.Write(storage, RawWidth(type));
  }
}

bool WriteValue(FileObject& f, const RuntimeValue& v) {
  if (!IsBasicType(v.type)) return true;  // omitted values and objects write nothing
  if (IsArrayType(v.type)) return WriteArray(f, ElementTypeOf(v.type), PointerOf(v));
  if (v.type == kTypeText) return WriteTextRecord(f, TextArg(v));
  if (v.type == kTypeBytes) return WriteBytesRecord(f, BytesArg(v));
  if (v.type == kTypeBool) {
    uint32_t flag = v.low != 0 ? 1 : 0;
    return f.Write(&flag, 4);
  }
  return f.Write(&v.low, RawWidth(v.type));  // low then high: the little-endian value
}

// Reads a zero-terminated text in chunks; the position ends after the zero. At the end of the file
// the bytes so far are the text, and none at all is a failure.
bool ReadTextRecord(FileObject& f, std::string& text) {
  char chunk[kChunk];
  for (;;) {
    int64_t start = f.Position();
    int64_t got = f.Read(chunk, kChunk);
    if (got < 0) return false;
    if (got == 0) return !text.empty();
    auto* zero = static_cast<char*>(std::memchr(chunk, 0, size_t(got)));
    if (zero != nullptr) {
      text.append(chunk, size_t(zero - chunk));
      return f.SetPosition(start + (zero - chunk) + 1);
    }
    text.append(chunk, size_t(got));
  }
}

bool ReadBytesRecord(FileObject& f, std::vector<uint8_t>& bytes) {
  int32_t count = 0;
  if (f.Read(&count, 4) != 4 || count < 0) return false;
  // A count that cannot be satisfied fails before anything is allocated for it.
  if (count > f.Length() - f.Position()) return false;
  bytes.resize(size_t(count));
  return count == 0 || f.Read(bytes.data(), count) == count;
}

bool ReadOne(FileObject& f, uint32_t type, void* storage);

bool ReadArray(FileObject& f, uint32_t elementType, void* storage) {
  void* block;
  std::memcpy(&block, storage, sizeof block);
  ArrayElements elements = ElementsOfArrayBlock(block);
  int width = StorageWidth(elementType);
  if (width == 0) return false;
  if (RawWidth(elementType) != 0) {
    int64_t n = int64_t(elements.count) * width;
    if (n > f.Length() - f.Position()) return false;
    return n == 0 || f.Read(elements.data, n) == n;
  }
  for (int32_t i = 0; i < elements.count; ++i) {
    if (!ReadOne(f, elementType, elements.data + int64_t(i) * width)) return false;
  }
  return true;
}

// Replaces the block held in `storage` by `fresh`, freeing the old one.
void StoreBlock(void* storage, void* fresh) {
  void* old;
  std::memcpy(&old, storage, sizeof old);
  FreeBlock(old);
  std::memcpy(storage, &fresh, sizeof fresh);
}

bool ReadOne(FileObject& f, uint32_t type, void* storage) {
  if (storage == nullptr || !IsBasicType(type)) return false;
  if (IsArrayType(type)) return ReadArray(f, ElementTypeOf(type), storage);
  if (type == kTypeText) {
    std::string text;
    if (!ReadTextRecord(f, text)) return false;
    StoreBlock(storage, MakeTextBlock(text));
    return true;
  }
  if (type == kTypeBytes) {
    std::vector<uint8_t> bytes;
    if (!ReadBytesRecord(f, bytes)) return false;
    StoreBlock(storage, MakeByteArrayBlock(bytes));
    return true;
  }
  int width = RawWidth(type);
  if (width == 0) return false;
  uint8_t raw[8];
  if (f.Read(raw, width) != width) return false;
  if (type == kTypeBool) {
    uint32_t flag = (raw[0] | raw[1] | raw[2] | raw[3]) != 0 ? 1 : 0;
    std::memcpy(storage, &flag, 4);
  } else {
    std::memcpy(storage, raw, size_t(width));
  }
  return true;
}

// Scans a chunk for the end of a line (0, LF or Ctrl-Z), stepping over double-byte characters.
// Returns the offset of the end byte, or the count of bytes that may be taken when there is none
// (a lead byte that is the chunk's last byte is left for the next chunk unless the file ends).
struct LineScan {
  int64_t taken;
  bool ended;
};
LineScan ScanLineChunk(const uint8_t* chunk, int64_t n, bool lastChunk) {
  int64_t i = 0;
  while (i < n) {
    uint8_t c = chunk[i];
    if (c == 0 || c == '\n' || c == kCtrlZ) return {i, true};
    if (IsLeadByte(c)) {
      if (i + 1 >= n) return {lastChunk ? n : i, false};
      i += 2;
    } else {
      ++i;
    }
  }
  return {n, false};
}

}  // namespace

std::string ReadLine(FileNumber file) {
  auto f = FindFile(file);
  if (f == nullptr) return {};
  std::string line;
  uint8_t chunk[kChunk];
  for (;;) {
    int64_t start = f->Position();
    int64_t got = f->Read(chunk, kChunk);
    if (got <= 0) break;
    bool lastChunk = got < kChunk || f->Position() >= f->Length();
    LineScan scan = ScanLineChunk(chunk, got, lastChunk);
    line.append(reinterpret_cast<const char*>(chunk), size_t(scan.taken));
    if (scan.ended) {
      bool lineFeed = chunk[scan.taken] == '\n';
      f->SetPosition(start + scan.taken + (lineFeed ? 1 : 0));
      break;
    }
    f->SetPosition(start + scan.taken);
    if (lastChunk) break;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

bool WriteText(FileNumber file, std::span<const RuntimeValue> values) {
  auto f = FindFile(file);
  if (f == nullptr) return false;
  int64_t start = f->Position();
  for (const RuntimeValue& v : values) {
    bool printable = IsNumericType(v.type) || v.type == kTypeBool || v.type == kTypeDateTime || v.type == kTypeText;
    if (!printable) continue;
    std::string text = ToText(v);
    if (!f->Write(text.data(), int64_t(text.size()))) return Fail(*f, start);
  }
  return true;
}

bool WriteText(FileNumber file, std::string_view text) {
  auto f = FindFile(file);
  if (f == nullptr) return false;
  int64_t start = f->Position();
  return f->Write(text.data(), int64_t(text.size())) || Fail(*f, start);
}

bool WriteData(FileNumber file, std::span<const RuntimeValue> values) {
  auto f = FindFile(file);
  if (f == nullptr) return false;
  int64_t start = f->Position();
  for (const RuntimeValue& v : values) {
    if (!WriteValue(*f, v)) return Fail(*f, start);
  }
  return true;
}

bool ReadData(FileNumber file, std::span<const RuntimeValue> variables) {
  auto f = FindFile(file);
  if (f == nullptr) return false;
  int64_t start = f->Position();
  for (const RuntimeValue& v : variables) {
    VariableRef variable = VariableArg(v);
    if (!ReadOne(*f, variable.type, variable.storage)) return Fail(*f, start);
  }
  return true;
}

}  // namespace vorenn
