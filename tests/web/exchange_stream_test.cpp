#include "web/exchange_stream.h"

#include <gtest/gtest.h>

#include <string>

#include "commands/command_values.h"
#include "engine/core/memory.h"
#include "web/web_request.h"

namespace vorenn {
namespace {

std::string Contents(FileNumber f) {
  SeekToFileStart(f);
  std::vector<uint8_t> bytes = ReadBytes(f, GetFileLength(f));
  return std::string(bytes.begin(), bytes.end());
}

struct Stream {
  Stream() : number(OpenMemoryFile()) {}
  ~Stream() { CloseFile(number); }
  FileNumber number;
};

TEST(ExchangeStream, RequestRecordLayoutAndRoundTrip) {
  Stream s;
  void* body = MakeByteArrayBlock(std::vector<uint8_t>{'a', 0, 'b'});
  ASSERT_TRUE(WriteRequestRecord(s.number, "http://h/p", "post", nullptr, "", nullptr, "X: 1\r\n", body));
  FreeBlock(body);
  using namespace std::string_literals;
  EXPECT_EQ(Contents(s.number), "Talvex\0http://h/p\0post\0\0\0\0X: 1\r\n\0\x03\0\0\0a\0b"s);

  std::optional<RequestRecord> r = ReadRequestRecord(s.number);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->url, "http://h/p");
  EXPECT_EQ(r->method, "post");
  EXPECT_EQ(r->proxy, "");
  EXPECT_EQ(r->extraHeaders, "X: 1\r\n");
  EXPECT_EQ(r->body, (std::vector<uint8_t>{'a', 0, 'b'}));
  ClearStream(s.number);
  EXPECT_EQ(GetFileLength(s.number), 0);
}

TEST(ExchangeStream, AnswerRecordAndWhatCountsAsNoAnswer) {
  Stream s;
  ASSERT_TRUE(WriteAnswerRecord(s.number, "HTTP/1.1 200 OK\r\n\r\n", {'{', '}'}));
  AnswerRecord a = ReadAnswerRecord(s.number);
  EXPECT_TRUE(a.present);
  EXPECT_EQ(a.headers, "HTTP/1.1 200 OK\r\n\r\n");
  ByteSpan bytes = BytesOfByteArrayBlock(a.body);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "{}");
  FreeBlock(a.body);

  // An answer marker is no request, a request marker no answer, and an empty stream neither.
  EXPECT_FALSE(ReadRequestRecord(s.number));
  Stream request;
  WriteRequestRecord(request.number, "u", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  EXPECT_FALSE(ReadAnswerRecord(request.number).present);
  Stream empty;
  EXPECT_FALSE(ReadAnswerRecord(empty.number).present);
  EXPECT_FALSE(ReadRequestRecord(empty.number));
}

TEST(WebRequestWorker, LeavesAStreamWithoutARequestAlone) {
  EXPECT_FALSE(WebRequestWorker(0));
  for (const char* first : {"Talvex_OK", "talvex", "Talve", ""}) {
    Stream s;
    std::string marker = first;
    RuntimeValue v = MakePointer(kTypeText, marker.empty() ? nullptr : marker.c_str());
    WriteData(s.number, std::span(&v, 1));
    std::string before = Contents(s.number);
    EXPECT_FALSE(WebRequestWorker(s.number)) << first;
    EXPECT_EQ(Contents(s.number), before) << first;
  }
}

}  // namespace
}  // namespace vorenn
