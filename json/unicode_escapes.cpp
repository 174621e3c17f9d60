// DecodeUnicodeEscapes: the server writes every non-ASCII character as a "\u" escape.
#include <cstdint>
#include <cstring>
#include <unordered_map>

#include "commands/encoding.h"
#include "commands/text_commands.h"
#include "json/json_parser.h"

namespace vorenn {

namespace {

constexpr std::string_view kEscapeStart = "\\u";
constexpr size_t kEscapeLength = 6;  // "\u" and four hexadecimal digits

// One escape (or what is left of one at the end of the text) from "JAVA" to "GBK", read as a text:
// empty when the conversion fails, and cut at a zero byte.
std::string ConvertEscapeOnce(std::string_view escape) {
  auto bytes = ConvertEncoding(escape, "JAVA", "GBK");
  if (!bytes) return std::string();
  return bytes->substr(0, bytes->find('\0'));
}

// The same, remembered per whole escape: the conversion depends on the six bytes alone, and a
// leaderboard repeats the same few hundred characters thousands of times. Bounded, so a text of
// many different characters cannot make it grow without end.
std::string ConvertEscape(std::string_view escape) {
  if (escape.size() != kEscapeLength) return ConvertEscapeOnce(escape);
  constexpr size_t kMaxRemembered = 8192;
  thread_local std::unordered_map<uint64_t, std::string> remembered;
  uint64_t key = 0;
  std::memcpy(&key, escape.data(), kEscapeLength);
  auto it = remembered.find(key);
  if (it != remembered.end()) return it->second;
  if (remembered.size() >= kMaxRemembered) remembered.clear();
  return remembered.emplace(key, ConvertEscapeOnce(escape)).first->second;
}

}  // namespace

std::string DecodeUnicodeEscapes(std::string_view text) {
  // The text is rewritten in place: a converted escape is never longer than the escape, so it is
  // copied over the escape's last bytes and the search starts again where it begins. That is
  // where the search would resume in the rewritten text, so a converted backslash followed by
  // "u" and digits is decoded again, as before, but rewriting costs nothing per escape.
  std::string work(text);
  std::string out;
  out.reserve(work.size());
  size_t at = 0;  // out + work[at..] is the text so far
  for (;;) {
    int32_t found = FindText(std::string_view(work).substr(at), kEscapeStart);
    if (found < 0) break;
    size_t p = at + size_t(found - 1);
    out.append(work, at, p - at);
    size_t length = std::min(kEscapeLength, work.size() - p);
    std::string converted = ConvertEscape(std::string_view(work).substr(p, length));
    if (converted.compare(0, kEscapeStart.size(), kEscapeStart) == 0) {
      // The escape came back as it was (its digits are not hexadecimal): keep the backslash and
      // search on from the next character, or the same escape would be found forever.
      out += '\\';
      at = p + 1;
      continue;
    }
    if (converted.size() > length) {  // not expected of "GBK"; keep the text whole all the same
      out += converted;
      at = p + length;
      continue;
    }
    at = p + length - converted.size();
    work.replace(at, converted.size(), converted);
  }
  out.append(work, at, std::string::npos);
  return out;
}

}  // namespace vorenn
