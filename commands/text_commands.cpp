#include "commands/text_commands.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "engine/core/memory.h"

namespace vorenn {
namespace {

constexpr unsigned char kFullWidthSpaceByte = 0xA1;

unsigned char Byte(std::string_view s, size_t i) { return static_cast<unsigned char>(s[i]); }

unsigned char FoldAscii(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 0x20 : c; }

bool BytesEqual(const char* a, const char* b, size_t n, CaseMode mode) {
  if (mode == CaseMode::kExact) return std::memcmp(a, b, n) == 0;
  for (size_t i = 0; i < n; ++i) {
    if (FoldAscii(static_cast<unsigned char>(a[i])) != FoldAscii(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

// Width of the character at `i`: two for a lead byte with a byte after it, else one. A lead byte
// that is the last byte of the text is a character of its own.
size_t CharWidth(std::string_view s, size_t i) { return (IsLeadByte(Byte(s, i)) && i + 1 < s.size()) ? 2 : 1; }

// Finds the next match at or after `from` that begins on a character boundary, where `boundary`
// is a known boundary at or before `from`. Returns npos when none. Candidates are found with a fast
// byte search and then checked against the character grid, which only ever walks forward, so a
// whole scan costs one pass over the text.
size_t NextMatch(std::string_view text, std::string_view sought, size_t from, size_t& boundary, CaseMode mode) {
  const size_t n = sought.size();
  while (from + n <= text.size()) {
    size_t candidate;
    if (mode == CaseMode::kExact) {
      candidate = text.find(sought, from);
      if (candidate == std::string_view::npos) return candidate;
    } else {
      const unsigned char lower = FoldAscii(Byte(sought, 0));
      const unsigned char upper = (lower >= 'a' && lower <= 'z') ? lower - 0x20 : lower;
      candidate = from;
      while (candidate + n <= text.size() && Byte(text, candidate) != lower && Byte(text, candidate) != upper) {
        ++candidate;
      }
      if (candidate + n > text.size()) return std::string_view::npos;
      if (!BytesEqual(text.data() + candidate, sought.data(), n, mode)) {
        from = candidate + 1;
        continue;
      }
    }
    while (boundary < candidate) {
      // A lead byte followed by the end of the text ends every scan.
      if (IsLeadByte(Byte(text, boundary)) && boundary + 1 >= text.size()) return std::string_view::npos;
      boundary += CharWidth(text, boundary);
    }
    if (boundary == candidate) return candidate;
    from = boundary;  // the candidate began on a trail byte
  }
  return std::string_view::npos;
}

bool IsSpaceAt(std::string_view s, size_t i) {
  return Byte(s, i) == ' ' ||
         (Byte(s, i) == kFullWidthSpaceByte && i + 1 < s.size() && Byte(s, i + 1) == kFullWidthSpaceByte);
}

std::string ChangeAsciiCase(std::string_view text, unsigned char from, unsigned char to) {
  std::string out(text);
  for (size_t i = 0; i < out.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(out[i]);
    if (IsLeadByte(c)) {
      if (i + 1 >= out.size()) break;
      ++i;
    } else if (c >= from && c <= to) {
      out[i] = static_cast<char>(from == 'a' ? c - 0x20 : c + 0x20);
    }
  }
  return out;
}

// The character at `i` as one comparable unit: lead byte high for a double-byte character.
unsigned CharUnit(std::string_view s, size_t& i, CaseMode mode) {
  unsigned char c = Byte(s, i);
  if (IsLeadByte(c) && i + 1 < s.size()) {
    unsigned unit = (unsigned(c) << 8) | Byte(s, i + 1);
    i += 2;
    return unit;
  }
  ++i;
  return mode == CaseMode::kIgnoreAscii ? FoldAscii(c) : c;
}

}  // namespace

int32_t TextLength(std::string_view text) { return int32_t(text.size()); }

std::string TextLeft(std::string_view text, int32_t n) {
  if (n <= 0) return {};
  return std::string(text.substr(0, std::min(size_t(n), text.size())));
}

std::string TextRight(std::string_view text, int32_t n) {
  if (n <= 0) return {};
  size_t count = std::min(size_t(n), text.size());
  return std::string(text.substr(text.size() - count));
}

std::string TextMiddle(std::string_view text, int32_t start, int32_t n) {
  int64_t p = int64_t(start) - 1;
  if (p < 0 || p >= int64_t(text.size()) || n <= 0) return {};
  return std::string(text.substr(size_t(p), std::min(size_t(n), text.size() - size_t(p))));
}

std::string CharFromCode(uint8_t code) { return code == 0 ? std::string() : std::string(1, char(code)); }

std::string SpaceText(int32_t n) { return n < 1 ? std::string() : std::string(size_t(n), ' '); }

std::string RepeatText(int32_t count, std::string_view text) {
  if (count <= 0 || text.empty()) return {};
  // A result no text block can hold ends the program as any allocation failure does.
  if (uint64_t(count) * text.size() >= uint64_t(INT32_MAX)) AllocBlock(-1);
  if (text.size() == 1) return std::string(size_t(count), text[0]);
  std::string out;
  out.reserve(size_t(count) * text.size());
  for (int32_t i = 0; i < count; ++i) out.append(text);
  return out;
}

std::string ToUpper(std::string_view text) { return ChangeAsciiCase(text, 'a', 'z'); }
std::string ToLower(std::string_view text) { return ChangeAsciiCase(text, 'A', 'Z'); }

int CompareText(std::string_view a, std::string_view b, CaseMode mode) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    unsigned x = CharUnit(a, i, mode);
    unsigned y = CharUnit(b, j, mode);
    if (x != y) return x < y ? -1 : 1;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

int32_t FindText(std::string_view text, std::string_view sought, std::optional<int32_t> start, CaseMode mode) {
  size_t offset = start ? size_t(std::max<int64_t>(int64_t(*start) - 1, 0)) : 0;
  if (offset >= text.size()) return -1;
  if (sought.empty()) return 1;
  size_t boundary = offset;
  size_t at = NextMatch(text, sought, offset, boundary, mode);
  return at == std::string_view::npos ? -1 : int32_t(at + 1);
}

std::string ReplaceText(std::string_view text, int32_t start, int32_t length, std::string_view replacement) {
  size_t p = std::min(size_t(std::max<int64_t>(int64_t(start) - 1, 0)), text.size());
  size_t rest = text.size() - p;
  size_t removed = 0;
  if (length > 0) removed = std::min(size_t(length), rest);
  std::string out;
  out.reserve(text.size() - removed + replacement.size());
  out.append(text.substr(0, p));
  out.append(replacement);
  out.append(text.substr(p + removed));
  return out;
}

std::string ReplaceSubText(std::string_view text, std::string_view sought, std::string_view replacement,
                           std::optional<int32_t> start, std::optional<int32_t> count, CaseMode mode) {
  size_t offset = size_t(std::max<int64_t>(int64_t(start.value_or(1)) - 1, 0));
  int64_t remaining = count.value_or(-1);
  if (text.empty() || sought.empty() || offset >= text.size() || remaining == 0) return std::string(text);

  std::string out;
  out.reserve(text.size());
  out.append(text.substr(0, offset));
  size_t copied = offset;
  size_t boundary = offset;
  for (;;) {
    size_t at = NextMatch(text, sought, copied, boundary, mode);
    if (at == std::string_view::npos) break;
    out.append(text.substr(copied, at - copied));
    out.append(replacement);
    copied = at + sought.size();
    boundary = copied;
    if (remaining > 0 && --remaining == 0) break;
  }
  out.append(text.substr(copied));
  return out;
}

std::string TrimText(std::string_view text) {
  size_t begin = 0;
  while (begin < text.size() && IsSpaceAt(text, begin)) begin += Byte(text, begin) == ' ' ? 1 : 2;
  // Walk forward over whole characters to find where the trailing run of spaces begins.
  size_t end = text.size();
  size_t runStart = std::string_view::npos;
  for (size_t i = begin; i < text.size();) {
    if (IsSpaceAt(text, i)) {
      if (runStart == std::string_view::npos) runStart = i;
      i += Byte(text, i) == ' ' ? 1 : 2;
    } else {
      runStart = std::string_view::npos;
      i += CharWidth(text, i);
    }
  }
  if (runStart != std::string_view::npos) end = runStart;
  return std::string(text.substr(begin, end - begin));
}

std::string RemoveAllSpaces(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    if (IsSpaceAt(text, i)) {
      i += Byte(text, i) == ' ' ? 1 : 2;
    } else if (IsLeadByte(Byte(text, i))) {
      if (i + 1 >= text.size()) break;  // a lead byte without its trail byte ends the copy
      out.append(text.substr(i, 2));
      i += 2;
    } else {
      out.push_back(text[i++]);
    }
  }
  return out;
}

}  // namespace vorenn
