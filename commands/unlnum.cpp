#include "commands/unlnum.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "engine/core/memory.h"

namespace vorenn {

using unlnum_internal::AllocNumber;
using unlnum_internal::NewZero;
using unlnum_internal::Normalize;
using unlnum_internal::OrZero;

namespace {

std::atomic<uint64_t> g_failCountdown{0};

bool InjectedFailure() {
  uint64_t n = g_failCountdown.load(std::memory_order_relaxed);
  while (n != 0) {
    if (g_failCountdown.compare_exchange_weak(n, n - 1)) return n == 1;
  }
  return false;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

uint32_t ReadGroup(const char* digits, size_t count) {
  uint32_t value = 0;
  for (size_t i = 0; i < count; ++i) value = value * 10 + uint32_t(digits[i] - '0');
  return value;
}

int DecimalWidth(uint32_t group) {
  int width = 1;
  while (group >= 10) {
    group /= 10;
    ++width;
  }
  return width;
}

// Writes `group` as exactly nine digits.
void WriteGroup9(char* out, uint32_t group) {
  for (int i = kUnlNumGroupDigits - 1; i >= 0; --i) {
    out[i] = char('0' + group % 10);
    group /= 10;
  }
}

// Fraction group k counted from the point (0 = first after the point), 0 past the end.
uint32_t FractionGroupFromPoint(const UnlNum* n, int32_t k) {
  return k < n->fractionGroupCount ? UnlNumGroups(n)[n->fractionGroupCount - 1 - k] : 0;
}

int CompareMagnitudes(const UnlNum* a, const UnlNum* b) {
  if (a->integerGroupCount != b->integerGroupCount) return a->integerGroupCount < b->integerGroupCount ? -1 : 1;
  const uint32_t* ga = UnlNumGroups(a) + a->fractionGroupCount;
  const uint32_t* gb = UnlNumGroups(b) + b->fractionGroupCount;
  for (int32_t i = a->integerGroupCount - 1; i >= 0; --i) {
    if (ga[i] != gb[i]) return ga[i] < gb[i] ? -1 : 1;
  }
  int32_t fractions = a->fractionGroupCount > b->fractionGroupCount ? a->fractionGroupCount : b->fractionGroupCount;
  for (int32_t k = 0; k < fractions; ++k) {
    uint32_t x = FractionGroupFromPoint(a, k);
    uint32_t y = FractionGroupFromPoint(b, k);
    if (x != y) return x < y ? -1 : 1;
  }
  return 0;
}

// Where the groups of an operand sit in a result with `fractions` fraction groups.
struct Aligned {
  const uint32_t* groups;
  int32_t begin;  // result position of the operand's lowest group
  int32_t end;    // one past its highest
};

Aligned Align(const UnlNum* n, int32_t fractions) {
  int32_t begin = fractions - n->fractionGroupCount;
  return {UnlNumGroups(n), begin, begin + UnlNumGroupCount(n)};
}

// out[k] = x[k] + y[k] + carry, group by group; returns the carry out.
uint32_t AddWithCarry(const uint32_t* x, const uint32_t* y, uint32_t* out, int32_t count, uint32_t carry) {
  for (int32_t k = 0; k < count; ++k) {
    uint32_t sum = x[k] + y[k] + carry;
    carry = sum >= kUnlNumGroupBase;
    out[k] = carry ? sum - kUnlNumGroupBase : sum;
  }
  return carry;
}

// The same without a carry chain: each group takes the carry its lower neighbour generates by
// itself. That is exact unless a carry arrives at a group summing to 999999999 and should ripple
// on; then the groups are added again the slow way. Returns the carry out.
uint32_t AddGroups(const uint32_t* x, const uint32_t* y, uint32_t* out, int32_t count) {
  if (count == 0) return 0;
  uint32_t rippled = 0;
  out[0] = x[0] + y[0];
  for (int32_t k = 1; k < count; ++k) {
    uint32_t carryIn = x[k - 1] + y[k - 1] >= kUnlNumGroupBase;
    uint32_t sum = x[k] + y[k] + carryIn;
    rippled |= carryIn & (sum == kUnlNumGroupBase);
    out[k] = sum;
  }
  if (rippled) return AddWithCarry(x, y, out, count, 0);
  for (int32_t k = 0; k < count; ++k) out[k] = out[k] >= kUnlNumGroupBase ? out[k] - kUnlNumGroupBase : out[k];
  return x[count - 1] + y[count - 1] >= kUnlNumGroupBase;
}

// |a| + |b| with the given sign.
UnlNum* AddMagnitudes(const UnlNum* a, const UnlNum* b, int32_t negative) {
  int32_t fractions = a->fractionGroupCount > b->fractionGroupCount ? a->fractionGroupCount : b->fractionGroupCount;
  int32_t integers = a->integerGroupCount > b->integerGroupCount ? a->integerGroupCount : b->integerGroupCount;
  UnlNum* r = AllocNumber(int64_t(integers) + 1, fractions);
  if (r == nullptr) return nullptr;
  uint32_t* out = UnlNumGroups(r);
  Aligned x = Align(a, fractions);
  Aligned y = Align(b, fractions);
  if (x.begin > y.begin) std::swap(x, y);  // x now holds the lowest group; y.begin is where both meet
  // x starts at position 0 and holds an integer group, so it reaches up to where y begins.
  std::memcpy(out, x.groups, sizeof(uint32_t) * size_t(y.begin));
  int32_t both = x.end < y.end ? x.end : y.end;
  uint32_t carry = AddGroups(x.groups + y.begin, y.groups, out + y.begin, both - y.begin);
  const Aligned& longer = x.end > y.end ? x : y;
  int32_t pos = both;
  for (; pos < longer.end && carry != 0; ++pos) {
    uint32_t sum = longer.groups[pos - longer.begin] + 1;
    carry = sum == kUnlNumGroupBase;
    out[pos] = carry ? 0 : sum;
  }
  std::memcpy(out + pos, longer.groups + (pos - longer.begin), sizeof(uint32_t) * size_t(longer.end - pos));
  out[longer.end] = carry;
  r->negative = negative;
  Normalize(r);
  return r;
}

// |a| - |b| for |a| >= |b|, with the given sign.
UnlNum* SubtractMagnitudes(const UnlNum* a, const UnlNum* b, int32_t negative) {
  int32_t fractions = a->fractionGroupCount > b->fractionGroupCount ? a->fractionGroupCount : b->fractionGroupCount;
  UnlNum* r = AllocNumber(a->integerGroupCount, fractions);
  if (r == nullptr) return nullptr;
  uint32_t* out = UnlNumGroups(r);
  Aligned x = Align(a, fractions);
  Aligned y = Align(b, fractions);
  int32_t end = fractions + a->integerGroupCount;
  uint32_t borrow = 0;
  for (int32_t pos = 0; pos < end; ++pos) {
    uint32_t top = pos >= x.begin ? x.groups[pos - x.begin] : 0;
    uint32_t low = pos >= y.begin && pos < y.end ? y.groups[pos - y.begin] : 0;
    uint32_t take = low + borrow;
    borrow = top < take;
    out[pos] = borrow ? top + kUnlNumGroupBase - take : top - take;
  }
  r->negative = negative;
  Normalize(r);
  return r;
}

UnlNum* AddSigned(const UnlNum* a, const UnlNum* b, bool negateB) {
  if (a == nullptr || b == nullptr) return NewZero();
  int32_t negA = a->negative;
  int32_t negB = negateB ? !b->negative : b->negative;
  if (negA == negB) return AddMagnitudes(a, b, negA);
  if (CompareMagnitudes(a, b) >= 0) return SubtractMagnitudes(a, b, negA);
  return SubtractMagnitudes(b, a, negB);
}

UnlNum* Copy(const UnlNum* n) {
  UnlNum* r = AllocNumber(n->integerGroupCount, n->fractionGroupCount);
  if (r == nullptr) return nullptr;
  r->negative = n->negative;
  std::memcpy(UnlNumGroups(r), UnlNumGroups(n), sizeof(uint32_t) * size_t(UnlNumGroupCount(n)));
  return r;
}

void Release(UnlNum* n) {
  if (n != nullptr && n->owned == 1) std::free(n);
}

// Fills `out` with the text; returns its length. `out` has room for the longest text.
size_t Format(const UnlNum* n, char* out) {
  const uint32_t* groups = UnlNumGroups(n);
  char* p = out;
  if (n->negative) *p++ = '-';
  int32_t f = n->fractionGroupCount;
  int32_t top = f + n->integerGroupCount - 1;
  int width = DecimalWidth(groups[top]);
  uint32_t value = groups[top];
  for (int i = width - 1; i >= 0; --i, value /= 10) p[i] = char('0' + value % 10);
  p += width;
  for (int32_t i = top - 1; i >= f; --i, p += kUnlNumGroupDigits) WriteGroup9(p, groups[i]);
  int32_t lowest = 0;  // the least significant nonzero fraction group
  while (lowest < f && groups[lowest] == 0) ++lowest;
  if (lowest < f) {
    *p++ = '.';
    for (int32_t i = f - 1; i >= lowest; --i, p += kUnlNumGroupDigits) WriteGroup9(p, groups[i]);
    while (p[-1] == '0') --p;
  }
  return size_t(p - out);
}

size_t MaxTextLength(const UnlNum* n) {
  return 2 + size_t(kUnlNumGroupDigits) * size_t(UnlNumGroupCount(n));
}

}  // namespace

namespace unlnum_internal {

UnlNum* AllocNumber(int64_t integerGroups, int64_t fractionGroups) {
  int64_t groups = integerGroups + fractionGroups;
  if (integerGroups < 1 || fractionGroups < 0 || groups > INT32_MAX / 4 || InjectedFailure()) return nullptr;
  auto n = static_cast<UnlNum*>(std::malloc(sizeof(UnlNum) + sizeof(uint32_t) * size_t(groups)));
  if (n == nullptr) return nullptr;
  n->negative = 0;
  n->owned = 1;
  n->integerGroupCount = int32_t(integerGroups);
  n->fractionGroupCount = int32_t(fractionGroups);
  return n;
}

void Normalize(UnlNum* n) {
  const uint32_t* integers = UnlNumGroups(n) + n->fractionGroupCount;
  while (n->integerGroupCount > 1 && integers[n->integerGroupCount - 1] == 0) --n->integerGroupCount;
  if (n->negative == 0) return;
  const uint32_t* groups = UnlNumGroups(n);
  for (int32_t i = UnlNumGroupCount(n) - 1; i >= 0; --i) {
    if (groups[i] != 0) return;
  }
  n->negative = 0;
}

UnlNum* OrZero(UnlNum* n) { return n != nullptr ? n : NewZero(); }

UnlNum* NewZero() {
  UnlNum* n = AllocNumber(1, 0);
  if (n != nullptr) UnlNumGroups(n)[0] = 0;
  return n;
}

}  // namespace unlnum_internal

int64_t UnlNumIntegerDigits(const UnlNum* n) {
  const uint32_t* integers = UnlNumGroups(n) + n->fractionGroupCount;
  return DecimalWidth(integers[n->integerGroupCount - 1]) + int64_t(kUnlNumGroupDigits) * (n->integerGroupCount - 1);
}

int64_t UnlNumFractionDigits(const UnlNum* n) { return int64_t(kUnlNumGroupDigits) * n->fractionGroupCount; }

bool IsUnlNumText(const char* text, size_t length) {
  if (text == nullptr || length == 0) return false;
  size_t i = 0;
  if (text[0] == '-') {
    bool nonzeroDigit = length >= 2 && text[1] >= '1' && text[1] <= '9';
    bool zeroPoint = length >= 4 && text[1] == '0' && text[2] == '.';
    if (!nonzeroDigit && !zeroPoint) return false;
    i = 1;
  } else if (!IsDigit(text[0])) {
    return false;
  }
  bool point = false;
  for (; i < length; ++i) {
    if (IsDigit(text[i])) continue;
    if (text[i] != '.' || point) return false;
    point = true;
  }
  return true;
}

void UnlNumCreate(UnlNum** variable) {
  if (variable == nullptr) return;
  Release(*variable);
  *variable = NewZero();
}

bool UnlNumFromText(UnlNum** variable, const char* text) {
  return UnlNumFromText(variable, text, text == nullptr ? 0 : std::strlen(text));
}

bool UnlNumFromText(UnlNum** variable, const char* text, size_t length) {
  if (variable == nullptr) return false;
  Release(*variable);
  *variable = nullptr;
  if (!IsUnlNumText(text, length)) {
    *variable = NewZero();
    return false;
  }
  const char* end = text + length;
  const char* p = text;
  bool negative = *p == '-';
  if (negative) ++p;
  while (p + 1 < end && *p == '0' && IsDigit(p[1])) ++p;  // leading zeros would make zero groups on top
  const char* point = static_cast<const char*>(std::memchr(p, '.', size_t(end - p)));
  const char* integerEnd = point != nullptr ? point : end;
  size_t integerDigits = size_t(integerEnd - p);
  size_t fractionDigits = point != nullptr ? size_t(end - point - 1) : 0;
  int64_t integerGroups = int64_t((integerDigits + kUnlNumGroupDigits - 1) / kUnlNumGroupDigits);
  int64_t fractionGroups = int64_t((fractionDigits + kUnlNumGroupDigits - 1) / kUnlNumGroupDigits);
  UnlNum* n = AllocNumber(integerGroups, fractionGroups);
  if (n == nullptr) {
    *variable = NewZero();
    return false;
  }
  uint32_t* groups = UnlNumGroups(n);
  // Integer groups from the right, least significant first.
  uint32_t* out = groups + fractionGroups;
  for (const char* stop = integerEnd; stop > p; stop -= kUnlNumGroupDigits) {
    const char* start = stop - p > kUnlNumGroupDigits ? stop - kUnlNumGroupDigits : p;
    *out++ = ReadGroup(start, size_t(stop - start));
  }
  // Fraction groups from the point, the last one padded with zeros on the right.
  const char* digits = point != nullptr ? point + 1 : end;
  for (int64_t k = 0; k < fractionGroups; ++k, digits += kUnlNumGroupDigits) {
    size_t count = size_t(end - digits) < size_t(kUnlNumGroupDigits) ? size_t(end - digits) : kUnlNumGroupDigits;
    uint32_t value = ReadGroup(digits, count);
    for (size_t pad = count; pad < size_t(kUnlNumGroupDigits); ++pad) value *= 10;
    groups[fractionGroups - 1 - k] = value;
  }
  n->negative = negative;
  Normalize(n);
  *variable = n;
  return true;
}

void UnlNumAssign(UnlNum** variable, const UnlNum* source) {
  if (variable == nullptr || source == nullptr) return;
  UnlNum* copy = Copy(source);  // before the release: the source may be the variable's own number
  Release(*variable);
  *variable = copy;
}

void UnlNumFree(UnlNum** variable) {
  if (variable == nullptr) return;
  Release(*variable);
  *variable = nullptr;
}

UnlNum* UnlNumIntegerPart(const UnlNum* n) {
  if (n == nullptr) return NewZero();
  UnlNum* r = AllocNumber(n->integerGroupCount, 0);
  if (r == nullptr) return NewZero();
  std::memcpy(UnlNumGroups(r), UnlNumGroups(n) + n->fractionGroupCount, sizeof(uint32_t) * size_t(n->integerGroupCount));
  r->negative = n->negative;
  Normalize(r);
  return r;
}

char* UnlNumToText(const UnlNum* n) {
  if (n == nullptr) return nullptr;
  size_t room = MaxTextLength(n) + 1;
  if (room > size_t(INT32_MAX)) return nullptr;
  auto text = static_cast<char*>(AllocBlock(int32_t(room)));
  text[Format(n, text)] = '\0';
  return text;
}

std::string UnlNumToString(const UnlNum* n) {
  if (n == nullptr) return {};
  std::string text(MaxTextLength(n), '\0');
  text.resize(Format(n, text.data()));
  return text;
}

UnlNum* UnlNumAdd(const UnlNum* a, const UnlNum* b) { return OrZero(AddSigned(a, b, /*negateB=*/false)); }
UnlNum* UnlNumSubtract(const UnlNum* a, const UnlNum* b) { return OrZero(AddSigned(a, b, /*negateB=*/true)); }

int UnlNumCompare(const UnlNum* a, const UnlNum* b) {
  if (a->negative != b->negative) return a->negative ? -1 : 1;
  int magnitude = CompareMagnitudes(a, b);
  return a->negative ? -magnitude : magnitude;
}

bool UnlNumLess(const UnlNum* a, const UnlNum* b) {
  return a != nullptr && b != nullptr && UnlNumCompare(a, b) < 0;
}

void UnlNumFailAllocationAfter(uint64_t n) { g_failCountdown.store(n); }
bool UnlNumAllocationFailurePending() { return g_failCountdown.load() != 0; }

}  // namespace vorenn
