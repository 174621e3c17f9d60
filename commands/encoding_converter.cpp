#include "commands/encoding_converter.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace vorenn::encoding {
namespace {

constexpr std::string_view kUtf32 = "UTF-32LE";

bool IsJava(std::string_view name) {
  return name.size() == 4 && (name[0] | 0x20) == 'j' && (name[1] | 0x20) == 'a' && (name[2] | 0x20) == 'v' &&
         (name[3] | 0x20) == 'a';
}

// Whether `name` is GBK itself (with or without iconv's "//" flags after it). glibc's GBK
// writes the euro sign as the lone byte 0x80 and reads 0x80 back as it; the GBK our texts are in has
// no euro and no lone byte above 0x7F, so text commands would take 0x80 for the lead byte of a
// character and swallow the byte after it.
bool IsGbk(std::string_view name) {
  name = name.substr(0, name.find("//"));
  return name.size() == 3 && (name[0] | 0x20) == 'g' && (name[1] | 0x20) == 'b' && (name[2] | 0x20) == 'k';
}

// Length of the GBK character starting at p (up to `left` bytes): 1 below 0x80, 2 for a lead byte
// 0x81-0xFE, 0 for a lone 0x80 or 0xFF, which no GBK character starts with.
size_t GbkCharLength(const char* p, size_t left) {
  auto c = static_cast<unsigned char>(p[0]);
  if (c < 0x80) return 1;
  if (c == 0x80 || c == 0xFF) return 0;
  return left >= 2 ? 2 : 1;
}

// Offset of the first lone byte in GBK text, or `size` when there is none.
size_t FindLoneGbkByte(const char* p, size_t size) {
  for (size_t at = 0; at < size;) {
    size_t n = GbkCharLength(p + at, size - at);
    if (n == 0) return at;
    at += n;
  }
  return size;
}

// Holds iconv's GBK to the characters GBK has: a lone byte 0x80 or 0xFF, in the input when reading
// GBK or in the output when writing it, is an invalid sequence or an unrepresentable character.
// Each iconv call starts and ends on character boundaries, so its input and output are checked
// from where it starts.
class GbkGuard final : public Converter {
 public:
  GbkGuard(std::unique_ptr<Converter> inner, bool source, bool target)
      : inner_(std::move(inner)), source_(source), target_(target) {}

  Step Convert(const char*& in, size_t& inLeft, char*& out, size_t& outLeft) override {
    size_t take = inLeft;
    if (source_) take = FindLoneGbkByte(in, inLeft);
    size_t rest = inLeft - take;
    char* start = out;
    Step s = inner_->Convert(in, take, out, outLeft);
    inLeft = take + rest;
    if (target_) {
      size_t lone = FindLoneGbkByte(start, size_t(out - start));
      if (lone < size_t(out - start)) {
        outLeft += size_t(out - start) - lone;
        out = start + lone;
        return Step::Invalid;
      }
    }
    if (s == Step::Done && rest > 0) return Step::Invalid;
    return s;
  }
  Step Finish(char*& out, size_t& outLeft) override { return inner_->Finish(out, outLeft); }

 private:
  std::unique_ptr<Converter> inner_;
  bool source_, target_;
};

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

enum class Escape { Unit, NotEscape, Incomplete };

// Reads "\uXXXX" at p (p[0] is a backslash).
Escape ReadEscape(const char* p, size_t left, uint32_t& unit) {
  if (left < 2) return Escape::NotEscape;
  if (p[1] != 'u') return Escape::NotEscape;
  unit = 0;
  for (size_t i = 2; i < 6; ++i) {
    if (i >= left) return Escape::Incomplete;
    int h = HexValue(p[i]);
    if (h < 0) return Escape::NotEscape;
    unit = unit << 4 | uint32_t(h);
  }
  return Escape::Unit;
}

// Decodes one character of "JAVA" text at p: its code point and length, or the failure.
Step DecodeJavaChar(const char* p, size_t left, uint32_t& codePoint, size_t& length) {
  auto c = static_cast<unsigned char>(p[0]);
  if (c >= 0x80) return Step::Invalid;
  codePoint = c;
  length = 1;
  uint32_t unit;
  if (c != '\\') return Step::Done;
  Escape e = ReadEscape(p, left, unit);
  if (e == Escape::Incomplete) return Step::Incomplete;
  if (e == Escape::NotEscape) return Step::Done;
  if (unit >= 0xDC00 && unit <= 0xDFFF) return Step::Invalid;
  codePoint = unit;
  length = 6;
  if (unit < 0xD800 || unit > 0xDBFF) return Step::Done;
  if (left == 6 || (left == 7 && p[6] == '\\')) return Step::Incomplete;
  uint32_t low;
  if (p[6] != '\\') return Step::Invalid;
  e = ReadEscape(p + 6, left - 6, low);
  if (e == Escape::Incomplete) return Step::Incomplete;
  if (e == Escape::NotEscape || low < 0xDC00 || low > 0xDFFF) return Step::Invalid;
  codePoint = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
  length = 12;
  return Step::Done;
}

// "JAVA" as the source: decodes batches of characters to UTF-32 and hands them to `inner`.
class JavaDecoder final : public Converter {
 public:
  explicit JavaDecoder(std::unique_ptr<Converter> inner) : inner_(std::move(inner)) {}

  Step Convert(const char*& in, size_t& inLeft, char*& out, size_t& outLeft) override {
    while (inLeft > 0) {
      uint32_t units[kBatch];
      size_t ends[kBatch];  // input offset just after each decoded character
      size_t count = 0, offset = 0;
      Step decoded = Step::Done;
      while (count < kBatch && offset < inLeft) {
        size_t length;
        decoded = DecodeJavaChar(in + offset, inLeft - offset, units[count], length);
        if (decoded != Step::Done) break;
        offset += length;
        ends[count++] = offset;
      }
      if (count > 0) {
        const char* batch = reinterpret_cast<const char*>(units);
        size_t batchLeft = count * 4;
        Step s = inner_->Convert(batch, batchLeft, out, outLeft);
        size_t taken = count - batchLeft / 4;
        if (taken > 0) {
          in += ends[taken - 1];
          inLeft -= ends[taken - 1];
        }
        if (s != Step::Done) return s;
      }
      if (decoded != Step::Done) return decoded;
    }
    return Step::Done;
  }
  Step Finish(char*& out, size_t& outLeft) override { return inner_->Finish(out, outLeft); }

 private:
  static constexpr size_t kBatch = 256;
  std::unique_ptr<Converter> inner_;
};

// "JAVA" as the target: `inner` turns the source into UTF-32, which is written out with escapes.
// Escapes that do not fit wait in pending_ for the next call.
class JavaEncoder final : public Converter {
 public:
  explicit JavaEncoder(std::unique_ptr<Converter> inner) : inner_(std::move(inner)) {}

  Step Convert(const char*& in, size_t& inLeft, char*& out, size_t& outLeft) override {
    if (!Flush(out, outLeft)) return Step::OutputFull;
    while (inLeft > 0) {
      uint32_t units[kBatch];
      char* u = reinterpret_cast<char*>(units);
      size_t uLeft = sizeof units;
      Step s = inner_->Convert(in, inLeft, u, uLeft);
      Encode(units, (sizeof units - uLeft) / 4);
      if (!Flush(out, outLeft)) return s == Step::Done || s == Step::OutputFull ? Step::OutputFull : s;
      if (s != Step::Done && s != Step::OutputFull) return s;
    }
    return Step::Done;
  }
  Step Finish(char*& out, size_t& outLeft) override {
    uint32_t units[kBatch];
    char* u = reinterpret_cast<char*>(units);
    size_t uLeft = sizeof units;
    Step s = inner_->Finish(u, uLeft);
    Encode(units, (sizeof units - uLeft) / 4);
    if (!Flush(out, outLeft)) return Step::OutputFull;
    return s;
  }

 private:
  static constexpr size_t kBatch = 256;

  void EscapeUnit(uint32_t unit) {
    static const char kHex[] = "0123456789abcdef";
    char e[6] = {'\\', 'u', kHex[unit >> 12 & 15], kHex[unit >> 8 & 15], kHex[unit >> 4 & 15], kHex[unit & 15]};
    pending_.append(e, sizeof e);
  }
  void Encode(const uint32_t* units, size_t count) {
    for (size_t i = 0; i < count; ++i) {
      uint32_t c = units[i];
      if (c < 0x80) {
        pending_.push_back(char(c));
      } else if (c < 0x10000) {
        EscapeUnit(c);
      } else {
        c -= 0x10000;
        EscapeUnit(0xD800 + (c >> 10));
        EscapeUnit(0xDC00 + (c & 0x3FF));
      }
    }
  }
  bool Flush(char*& out, size_t& outLeft) {
    size_t n = std::min(outLeft, pending_.size() - flushed_);
    std::memcpy(out, pending_.data() + flushed_, n);
    out += n;
    outLeft -= n;
    flushed_ += n;
    if (flushed_ < pending_.size()) return false;
    pending_.clear();
    flushed_ = 0;
    return true;
  }

  std::unique_ptr<Converter> inner_;
  std::string pending_;
  size_t flushed_ = 0;
};

}  // namespace

std::unique_ptr<Converter> OpenConverter(std::string_view from, std::string_view to) {
  if (from.empty() || to.empty()) return nullptr;
  const bool javaFrom = IsJava(from), javaTo = IsJava(to);
  std::unique_ptr<Converter> core;
  if (javaFrom && javaTo) {
    core = platform::OpenCharsetConverter(kUtf32, kUtf32);
  } else {
    core = platform::OpenCharsetConverter(javaFrom ? kUtf32 : from, javaTo ? kUtf32 : to);
  }
  if (!core) return nullptr;
  if (IsGbk(from) || IsGbk(to)) core = std::make_unique<GbkGuard>(std::move(core), IsGbk(from), IsGbk(to));
  if (javaTo) core = std::make_unique<JavaEncoder>(std::move(core));
  if (javaFrom) core = std::make_unique<JavaDecoder>(std::move(core));
  return core;
}

}  // namespace vorenn::encoding
