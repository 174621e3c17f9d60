#include "server/text_rules.h"

#include <iconv.h>

#include <cerrno>
#include <string>

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

// True when the bytes are ASCII letters and digits and double-byte characters only. 0x80 and 0xFF
// cannot lead a double-byte character, so each is a character of its own: 0x80 (the euro sign of
// code page 936) is no letter, and 0xFF is no character at all (the decoder refuses it). The byte
// after either is checked like any other. Whether a double-byte code is valid is left to the decoder.
bool OnlyLettersDigitsAndWide(std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      if (!IsAsciiAlnum(c)) return false;
    } else if (c == 0x80) {
      return false;
    } else if (c != 0xff) {
      ++i;  // the trail byte; a missing or bad one fails decoding
    }
  }
  return true;
}

// Code points of well-formed UTF-8 (as GbkToUtf8 makes it); a malformed byte becomes U+FFFD.
std::u32string CodePoints(std::string_view utf8) {
  std::u32string out;
  for (size_t i = 0; i < utf8.size();) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    if (extra < 0 || i + extra >= utf8.size()) {
      out.push_back(0xfffd);
      ++i;
      continue;
    }
    char32_t point = extra == 0 ? c : c & (0x3f >> extra);
    for (int k = 1; k <= extra; ++k) point = (point << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3f);
    out.push_back(point);
    i += extra + 1;
  }
  return out;
}

void AppendUtf8(std::string& out, char32_t point) {
  if (point < 0x80) {
    out.push_back(static_cast<char>(point));
  } else if (point < 0x800) {
    out.push_back(static_cast<char>(0xc0 | (point >> 6)));
    out.push_back(static_cast<char>(0x80 | (point & 0x3f)));
  } else if (point < 0x10000) {
    out.push_back(static_cast<char>(0xe0 | (point >> 12)));
    out.push_back(static_cast<char>(0x80 | ((point >> 6) & 0x3f)));
    out.push_back(static_cast<char>(0x80 | (point & 0x3f)));
  } else {
    out.push_back(static_cast<char>(0xf0 | (point >> 18)));
    out.push_back(static_cast<char>(0x80 | ((point >> 12) & 0x3f)));
    out.push_back(static_cast<char>(0x80 | ((point >> 6) & 0x3f)));
    out.push_back(static_cast<char>(0x80 | (point & 0x3f)));
  }
}

bool IsCyrillicOrGreek(char32_t point) { return point >= 0x370 && point <= 0x4ff; }

// Full-width forms to ASCII, then the Latin letter a Cyrillic or Greek one passes for (lower case),
// else the point itself.
char32_t Fold(char32_t point) {
  if (point == 0x3000) return ' ';
  if (point >= 0xff01 && point <= 0xff5e) point -= 0xfee0;
  if (point >= 'A' && point <= 'Z') return point + ('a' - 'A');
  struct LookAlike {
    char32_t from;
    char to;
  };
  static constexpr LookAlike kLookAlikes[] = {
      {0x0410, 'a'}, {0x0430, 'a'}, {0x0412, 'b'}, {0x0421, 'c'}, {0x0441, 'c'}, {0x0415, 'e'},
      {0x0435, 'e'}, {0x041d, 'h'}, {0x0406, 'i'}, {0x0456, 'i'}, {0x0408, 'j'}, {0x0458, 'j'},
      {0x041a, 'k'}, {0x041c, 'm'}, {0x041e, 'o'}, {0x043e, 'o'}, {0x0420, 'p'}, {0x0440, 'p'},
      {0x0405, 's'}, {0x0455, 's'}, {0x0422, 't'}, {0x0425, 'x'}, {0x0445, 'x'}, {0x0423, 'y'},
      {0x0443, 'y'}, {0x0391, 'a'}, {0x0392, 'b'}, {0x0395, 'e'}, {0x0396, 'z'}, {0x0397, 'h'},
      {0x0399, 'i'}, {0x039a, 'k'}, {0x039c, 'm'}, {0x039d, 'n'}, {0x039f, 'o'}, {0x03bf, 'o'},
      {0x03a1, 'p'}, {0x03a4, 't'}, {0x03a5, 'y'}, {0x03a7, 'x'}, {0x03bd, 'v'},
  };
  for (const LookAlike& entry : kLookAlikes) {
    if (entry.from == point) return static_cast<char32_t>(entry.to);
  }
  return point;
}

// True when a name has Latin letters and Cyrillic or Greek ones together: a mixture that serves
// only to imitate another name.
bool MixesLookAlikeScripts(std::string_view utf8) {
  bool latin = false;
  bool other = false;
  for (char32_t point : CodePoints(utf8)) {
    char32_t narrow = point >= 0xff01 && point <= 0xff5e ? point - 0xfee0 : point;
    if ((narrow >= 'a' && narrow <= 'z') || (narrow >= 'A' && narrow <= 'Z')) latin = true;
    if (IsCyrillicOrGreek(point)) other = true;
  }
  return latin && other;
}

const char* const kInvalidGbk = "包含无效的字符";
const char* const kMixedScripts = "不能混用拉丁字母与西里尔或希腊字母";

}  // namespace

std::optional<std::string> GbkToUtf8(std::string_view gbk) {
  thread_local GbkDecoder decoder;
  return decoder.Decode(gbk);
}

std::optional<std::string> CheckAccountName(std::string_view gbk) {
  if (gbk.size() < 3 || gbk.size() > 20 || !OnlyLettersDigitsAndWide(gbk)) {
    return "账号须为3到20个字节的字母、数字或汉字";
  }
  auto utf8 = GbkToUtf8(gbk);
  if (!utf8) return kInvalidGbk;
  if (MixesLookAlikeScripts(*utf8)) return std::string("账号") + kMixedScripts;
  return std::nullopt;
}

std::optional<std::string> CheckPassword(std::string_view gbk) {
  if (gbk.size() < 6 || gbk.size() > 64) return "密码须为6到64个字节";
  if (HasControlCharacter(gbk) || !GbkToUtf8(gbk)) return kInvalidGbk;
  return std::nullopt;
}

std::optional<std::string> CheckCharacterName(std::string_view gbk) {
  if (gbk.empty() || gbk.size() > 16) return "角色名须为1到16个字节";
  if (HasControlCharacter(gbk)) return kInvalidGbk;
  auto utf8 = GbkToUtf8(gbk);
  if (!utf8) return kInvalidGbk;
  if (NameKey(*utf8).empty()) return "角色名须为1到16个字节";
  if (MixesLookAlikeScripts(*utf8)) return std::string("角色名") + kMixedScripts;
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

namespace vorenn::server {

std::string NameKey(std::string_view utf8) {
  std::u32string points = CodePoints(utf8);
  for (char32_t& point : points) point = Fold(point);
  size_t begin = points.find_first_not_of(U' ');
  if (begin == std::u32string::npos) return "";
  size_t end = points.find_last_not_of(U' ');
  std::string key;
  for (size_t i = begin; i <= end; ++i) AppendUtf8(key, points[i]);
  return key;
}

}  // namespace vorenn::server
