// One HTTP request on a worker thread while the calling (user-interface) thread keeps dispatching
// window events. The internet and thread functions are bound by name at run time through the
// program's DLL rows (web/web_dll_rows.h).
//
// Texts are GBK engine text blocks (null = empty); bytes are engine bytes blocks (null = empty).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "commands/memory_file.h"

namespace vorenn {

struct WebRequestArgs {
  const char* method = nullptr;        // "GET" or "POST" in any letter case, sent as written; empty: GET
  const char* proxy = nullptr;         // sent to the internet functions as "http=" + proxy; blank: none
  const char* userName = nullptr;      // blank: none
  const char* password = nullptr;      // blank: none
  const char* extraHeaders = nullptr;  // header lines, each ending in "\r\n"
  const void* body = nullptr;          // bytes block sent with a POST
  std::optional<int32_t> timeoutSeconds;  // not supplied, or 0: 90 seconds
  // When not null, receives the raw header block of the answer ("" when there was none). The old
  // block in the variable is freed and replaced by a new one owned by the caller.
  char** responseHeaders = nullptr;
  // When not null, receives a copy of LastResponseHeaders(), the same way.
  char** lastHeaders = nullptr;
};

// Sends the request and returns the body of the answer as a new bytes block owned by the caller.
// Null (empty bytes) when the request failed: no connection, a method other than GET and POST, an
// answer body above 64 MiB, or no answer within the time-out, which runs from the start of the
// request. While it waits, pending window events are processed after every wake-up, so handlers
// run (and may start further requests) before it returns. A worker still running at the time-out is
// abandoned: its transfer is cancelled and it never touches this request's stream again. Once the
// program is ending (its last window closed while the request waited), the request fails at once
// the same way, and one made after that is not sent.
void* WebRequest(const char* url, const WebRequestArgs& args = {});

// The worker's procedure, run on the worker thread: consumes the request record of `stream`,
// empties the stream, performs the exchange and writes the answer record. False, with the stream
// untouched, when stream is 0 or does not begin with the request marker; false with the stream
// emptied when the exchange failed before an answer could be read.
bool WebRequestWorker(FileNumber stream);

// The raw header block most recently captured by any request, shared by all of them; never cleared,
// so after a failed request it still holds an earlier one. "" before the first answer.
std::string LastResponseHeaders();

// Upper bound for an answer body.
constexpr size_t kMaxAnswerBody = size_t(64) << 20;
constexpr int32_t kDefaultTimeoutSeconds = 90;

}  // namespace vorenn
