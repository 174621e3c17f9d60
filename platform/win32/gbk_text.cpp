// GBK <-> UTF-8 through code page 936, with the replacement rule of the Linux conversion: a byte
// that does not start a convertible character becomes '?' and the next byte is tried.
#include "platform/gbk_text.h"

#include "platform/win32/internal/code_page_936.h"

namespace vorenn::platform {
namespace {

using Decode = win32::Decoded (*)(const char*, size_t, uint32_t*, size_t*);
using Encode = size_t (*)(uint32_t, char*);

std::string Convert(std::string_view in, Decode decode, Encode encode) {
  std::string out;
  out.reserve(in.size() * 3 / 2 + 4);
  size_t at = 0;
  while (at < in.size()) {
    uint32_t codePoint = 0;
    size_t length = 0;
    char buf[4];
    size_t written = 0;
    if (decode(in.data() + at, in.size() - at, &codePoint, &length) == win32::Decoded::Ok)
      written = encode(codePoint, buf);
    if (written == 0) {
      out.push_back('?');
      ++at;
      continue;
    }
    out.append(buf, written);
    at += length;
  }
  return out;
}

}  // namespace

std::string GbkToUtf8(std::string_view gbk) { return Convert(gbk, win32::DecodeGbk, win32::EncodeUtf8); }

std::string Utf8ToGbk(std::string_view utf8) { return Convert(utf8, win32::DecodeUtf8, win32::EncodeGbk); }

}  // namespace vorenn::platform
