// The records through which a request goes to its worker and the answer comes back: one in-memory
// file per request, holding one record at a time.
//
// Values follow one another with no padding:
//   text   its GBK bytes, then one zero byte (the empty text is the zero byte alone)
//   bytes  int32 little-endian length n, then the n bytes
//
//   record   fields in order
//   request  "Talvex"; url; method; proxy; userName; password; extraHeaders (texts); body (bytes)
//   answer   "Talvex_OK"; raw response header block (text); answer body (bytes)
//
// A stream that does not begin with "Talvex_OK" holds no answer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "commands/memory_file.h"

namespace vorenn {

struct RequestRecord {
  std::string url, method, proxy, userName, password, extraHeaders;
  std::vector<uint8_t> body;
};

// Texts are engine text blocks (null = empty), body an engine bytes block (null = empty).
bool WriteRequestRecord(FileNumber stream, const char* url, const char* method, const char* proxy,
                        const char* userName, const char* password, const char* extraHeaders,
                        const void* body);
// From the start of the stream; nullopt when it does not begin with the request marker or a field
// is missing.
std::optional<RequestRecord> ReadRequestRecord(FileNumber stream);
// Empties the stream.
void ClearStream(FileNumber stream);

// Written from the start of the stream.
bool WriteAnswerRecord(FileNumber stream, std::string_view headers, const std::vector<uint8_t>& body);

struct AnswerRecord {
  bool present = false;  // the stream began with the answer marker
  std::string headers;
  void* body = nullptr;  // engine bytes block, owned by the receiver; null = empty
};
// From the start of the stream. Without the marker: present false, empty headers, no body.
AnswerRecord ReadAnswerRecord(FileNumber stream);

}  // namespace vorenn
