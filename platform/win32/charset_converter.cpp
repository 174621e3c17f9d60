// Windows has no iconv: the character sets the program converts between are decoded and encoded
// one character at a time, GBK through code page 936. Names are matched as iconv matches them,
// without regard to case; of iconv's "//" suffixes only the empty one ("GBK//") is understood here,
// not "//TRANSLIT" or "//IGNORE".
#include "platform/charset_converter.h"

#include <cstdint>
#include <cstring>

#include "platform/win32/internal/code_page_936.h"

namespace vorenn::platform {
namespace {

using win32::Decoded;

enum class Charset { Gbk, Utf8, Utf32Le, Utf16Le, Ascii, Latin1 };

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = char(x - 32);
    if (y >= 'a' && y <= 'z') y = char(y - 32);
    if (x != y) return false;
  }
  return true;
}

bool CharsetNamed(std::string_view name, Charset* charset) {
  if (name.size() >= 2 && name.substr(name.size() - 2) == "//") name.remove_suffix(2);
  struct Name {
    const char* name;
    Charset charset;
  };
  static constexpr Name kNames[] = {
      {"GBK", Charset::Gbk},          {"CP936", Charset::Gbk},         {"UTF-8", Charset::Utf8},
      {"UTF8", Charset::Utf8},        {"UTF-32LE", Charset::Utf32Le},  {"UTF-16LE", Charset::Utf16Le},
      {"ASCII", Charset::Ascii},      {"US-ASCII", Charset::Ascii},    {"ISO-8859-1", Charset::Latin1},
      {"LATIN1", Charset::Latin1},
  };
  for (const auto& n : kNames) {
    if (SameName(name, n.name)) {
      *charset = n.charset;
      return true;
    }
  }
  return false;
}

uint32_t ReadLe(const char* p, size_t bytes) {
  uint32_t v = 0;
  for (size_t i = bytes; i-- > 0;) v = v << 8 | static_cast<unsigned char>(p[i]);
  return v;
}

Decoded Decode(Charset charset, const char* p, size_t left, uint32_t* c, size_t* length) {
  switch (charset) {
    case Charset::Gbk: return win32::DecodeGbk(p, left, c, length);
    case Charset::Utf8: return win32::DecodeUtf8(p, left, c, length);
    case Charset::Utf32Le:
      if (left < 4) return Decoded::Incomplete;
      *c = ReadLe(p, 4);
      *length = 4;
      return *c > 0x10FFFF || (*c >= 0xD800 && *c <= 0xDFFF) ? Decoded::Invalid : Decoded::Ok;
    case Charset::Utf16Le: {
      if (left < 2) return Decoded::Incomplete;
      uint32_t unit = ReadLe(p, 2);
      *c = unit;
      *length = 2;
      if (unit >= 0xDC00 && unit <= 0xDFFF) return Decoded::Invalid;
      if (unit < 0xD800 || unit > 0xDBFF) return Decoded::Ok;
      if (left < 4) return Decoded::Incomplete;
      uint32_t low = ReadLe(p + 2, 2);
      if (low < 0xDC00 || low > 0xDFFF) return Decoded::Invalid;
      *c = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
      *length = 4;
      return Decoded::Ok;
    }
    case Charset::Ascii:
      *c = static_cast<unsigned char>(p[0]);
      *length = 1;
      return *c < 0x80 ? Decoded::Ok : Decoded::Invalid;
    case Charset::Latin1:
      *c = static_cast<unsigned char>(p[0]);
      *length = 1;
      return Decoded::Ok;
  }
  return Decoded::Invalid;
}

void WriteLe(uint32_t v, size_t bytes, char* out) {
  for (size_t i = 0; i < bytes; ++i) out[i] = char(v >> (8 * i) & 0xFF);
}

// Bytes written into out (room for 4), 0 when the character set has no such character.
size_t Encode(Charset charset, uint32_t c, char* out) {
  switch (charset) {
    case Charset::Gbk: return win32::EncodeGbk(c, out);
    case Charset::Utf8: return win32::EncodeUtf8(c, out);
    case Charset::Utf32Le: WriteLe(c, 4, out); return 4;
    case Charset::Utf16Le:
      if (c < 0x10000) {
        WriteLe(c, 2, out);
        return 2;
      }
      WriteLe(0xD800 + ((c - 0x10000) >> 10), 2, out);
      WriteLe(0xDC00 + ((c - 0x10000) & 0x3FF), 2, out + 2);
      return 4;
    case Charset::Ascii:
      if (c >= 0x80) return 0;
      out[0] = char(c);
      return 1;
    case Charset::Latin1:
      if (c >= 0x100) return 0;
      out[0] = char(c);
      return 1;
  }
  return 0;
}

class CharacterConverter final : public CharsetConverter {
 public:
  CharacterConverter(Charset from, Charset to) : from_(from), to_(to) {}

  CharsetStep Convert(const char*& in, size_t& inLeft, char*& out, size_t& outLeft) override {
    while (inLeft > 0) {
      uint32_t c = 0;
      size_t length = 0;
      Decoded d = Decode(from_, in, inLeft, &c, &length);
      if (d == Decoded::Incomplete) return CharsetStep::Incomplete;
      if (d == Decoded::Invalid) return CharsetStep::Invalid;
      char buf[4];
      size_t n = Encode(to_, c, buf);
      if (n == 0) return CharsetStep::Invalid;
      if (n > outLeft) return CharsetStep::OutputFull;
      std::memcpy(out, buf, n);
      out += n;
      outLeft -= n;
      in += length;
      inLeft -= length;
    }
    return CharsetStep::Done;
  }
  // None of these character sets has shift states.
  CharsetStep Finish(char*&, size_t&) override { return CharsetStep::Done; }

 private:
  Charset from_, to_;
};

}  // namespace

std::unique_ptr<CharsetConverter> OpenCharsetConverter(std::string_view from, std::string_view to) {
  Charset f, t;
  if (!CharsetNamed(from, &f) || !CharsetNamed(to, &t)) return nullptr;
  return std::make_unique<CharacterConverter>(f, t);
}

}  // namespace vorenn::platform
