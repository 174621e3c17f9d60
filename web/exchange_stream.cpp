#include "web/exchange_stream.h"

#include <array>
#include <utility>

#include "commands/command_values.h"
#include "engine/core/memory.h"

namespace vorenn {
namespace {

constexpr std::string_view kRequestMarker = "Talvex";
constexpr std::string_view kAnswerMarker = "Talvex_OK";

// A text or bytes block read from a stream, freed with the holder.
struct BlockVariable {
  explicit BlockVariable(uint32_t type) : type(type) {}
  ~BlockVariable() { FreeBlock(block); }
  BlockVariable(const BlockVariable&) = delete;
  BlockVariable& operator=(const BlockVariable&) = delete;

  bool ReadFrom(FileNumber stream) {
    RuntimeValue ref = MakePointer(type, &block);
    return ReadData(stream, std::span(&ref, 1));
  }
  void* Release() { return std::exchange(block, nullptr); }

  uint32_t type;
  void* block = nullptr;
};

bool ReadText(FileNumber stream, std::string& out) {
  BlockVariable v(kTypeText);
  if (!v.ReadFrom(stream)) return false;
  out = TextOfTextBlock(v.block);
  return true;
}

}  // namespace

bool WriteRequestRecord(FileNumber stream, const char* url, const char* method, const char* proxy,
                        const char* userName, const char* password, const char* extraHeaders,
                        const void* body) {
  std::string marker(kRequestMarker);
  const std::array<RuntimeValue, 8> values = {
      MakePointer(kTypeText, marker.c_str()), MakePointer(kTypeText, url),
      MakePointer(kTypeText, method),         MakePointer(kTypeText, proxy),
      MakePointer(kTypeText, userName),       MakePointer(kTypeText, password),
      MakePointer(kTypeText, extraHeaders),   MakePointer(kTypeBytes, body),
  };
  return WriteData(stream, values);
}

std::optional<RequestRecord> ReadRequestRecord(FileNumber stream) {
  std::string marker;
  if (!SeekToFileStart(stream) || !ReadText(stream, marker) || marker != kRequestMarker) {
    return std::nullopt;
  }
  RequestRecord r;
  for (std::string* field : {&r.url, &r.method, &r.proxy, &r.userName, &r.password, &r.extraHeaders}) {
    if (!ReadText(stream, *field)) return std::nullopt;
  }
  BlockVariable body(kTypeBytes);
  if (!body.ReadFrom(stream)) return std::nullopt;
  ByteSpan bytes = BytesOfByteArrayBlock(body.block);
  r.body.assign(bytes.begin(), bytes.end());
  return r;
}

void ClearStream(FileNumber stream) {
  SeekToFileStart(stream);
  int32_t length = GetFileLength(stream);
  if (length > 0) DeleteData(stream, length);
}

bool WriteAnswerRecord(FileNumber stream, std::string_view headers, const std::vector<uint8_t>& body) {
  std::string marker(kAnswerMarker);
  std::string headerText(headers);
  void* bodyBlock = MakeByteArrayBlock(body);
  const std::array<RuntimeValue, 3> values = {
      MakePointer(kTypeText, marker.c_str()),
      MakePointer(kTypeText, headerText.c_str()),
      MakePointer(kTypeBytes, bodyBlock),
  };
  bool ok = SeekToFileStart(stream) && WriteData(stream, values);
  FreeBlock(bodyBlock);
  return ok;
}

AnswerRecord ReadAnswerRecord(FileNumber stream) {
  AnswerRecord answer;
  std::string marker;
  if (!SeekToFileStart(stream) || !ReadText(stream, marker) || marker != kAnswerMarker) return answer;
  answer.present = true;
  ReadText(stream, answer.headers);
  BlockVariable body(kTypeBytes);
  if (body.ReadFrom(stream)) answer.body = body.Release();
  return answer;
}

}  // namespace vorenn
