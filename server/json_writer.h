// Answers are JSON objects in plain ASCII: every character outside ASCII is written as "\u" and
// four hexadecimal digits (two escapes, a surrogate pair, above U+FFFF), so the answer reads the
// same whatever character set the client assumes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vorenn::server {

// A JSON string literal, quotes included, for UTF-8 text. Bytes that are not well-formed UTF-8
// become U+FFFD.
std::string JsonString(std::string_view utf8);
// The same, appended to `out`.
void AppendJsonString(std::string& out, std::string_view utf8);

// Builds one object member by member, in the order added.
class JsonObject {
 public:
  JsonObject& Text(std::string_view key, std::string_view utf8);
  // `json` must already be a JSON value (an array or object built here).
  JsonObject& Raw(std::string_view key, std::string_view json);
  std::string Finish() const { return body_ + "}"; }

 private:
  std::string body_ = "{";
};

// A JSON array of already-written values.
std::string JsonArray(const std::vector<std::string>& values);

}  // namespace vorenn::server
