#include "server/text_rules.h"

#include <iconv.h>

#include <cerrno>

namespace vorenn::server {

namespace {

// iconv descriptors carry conversion state, so each thread keeps its own.
class GbkDecoder {
 public:
  GbkDecoder() : cd_(iconv_open("UTF-8", "GBK")) {}
  ~GbkDecoder() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  GbkDecoder(const GbkDecoder&) = delete;
  GbkDecoder& operator=(const GbkDecoder&) = delete;

  std::optional<std::string> Decode(std::string_view gbk) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    std::string out(gbk.size() * 3 / 2 + 4, '\0');
    char* in = const_cast<char*>(gbk.data());
    size_t inLeft = gbk.size();
    char* dst = out.data();
    size_t outLeft = out.size();
    // Every GBK character becomes at most three UTF-8 bytes, so the buffer never runs short.
    if (iconv(cd_, &in, &inLeft, &dst, &outLeft) == static_cast<size_t>(-1)) return std::nullopt;
    if (iconv(cd_, nullptr, nullptr, &dst, &outLeft) == static_cast<size_t>(-1)) return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
  }

 private:
  iconv_t cd_;
};

bool HasControlCharacter(std::string_view text) {
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7f) return true;
  }
  return false;
}

bool IsAsciiAlnum(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// True when the bytes are ASCII letters and digits and double-byte characters only. Validity of the
// double-byte codes themselves is left to the decoder.
bool OnlyLettersDigitsAndWide(std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      if (!IsAsciiAlnum(c)) return false;
    } else {
      ++i;  // the trail byte; a missing one fails decoding
    }
  }
  return true;
}

const char* const kInvalidGbk = "包含无效的字符";

}  // namespace

std::optional<std::string> GbkToUtf8(std::string_view gbk) {
  thread_local GbkDecoder decoder;
  return decoder.Decode(gbk);
}

std::optional<std::string> CheckAccountName(std::string_view gbk) {
  if (gbk.size() < 3 || gbk.size() > 20 || !OnlyLettersDigitsAndWide(gbk)) {
    return "账号须为3到20个字节的字母、数字或汉字";
  }
  if (!GbkToUtf8(gbk)) return kInvalidGbk;
  return std::nullopt;
}

std::optional<std::string> CheckPassword(std::string_view gbk) {
  if (gbk.size() < 6 || gbk.size() > 64) return "密码须为6到64个字节";
  if (HasControlCharacter(gbk) || !GbkToUtf8(gbk)) return kInvalidGbk;
  return std::nullopt;
}

std::optional<std::string> CheckCharacterName(std::string_view gbk) {
  if (gbk.empty() || gbk.size() > 16) return "角色名须为1到16个字节";
  if (HasControlCharacter(gbk) || !GbkToUtf8(gbk)) return kInvalidGbk;
  return std::nullopt;
}

std::optional<std::string> CheckEmail(std::string_view gbk) {
  if (gbk.empty()) return std::nullopt;
  size_t at = gbk.find('@');
  if (gbk.size() > 64 || at == std::string_view::npos || at == 0 || at + 1 == gbk.size() ||
      gbk.find('@', at + 1) != std::string_view::npos) {
    return "邮箱格式不正确";
  }
  if (HasControlCharacter(gbk) || !GbkToUtf8(gbk)) return kInvalidGbk;
  return std::nullopt;
}

}  // namespace vorenn::server
