// UnlNumDivide: schoolbook long division on the nine-digit groups.
//
// With A and B the operands' groups read as integers (A = |a| * 10^(9 * Fa), B likewise), the
// quotient to p places is Q = floor(A * 10^(9 * Fb + p) / (B * 10^(9 * Fa))), and the result holds
// Q / 10^p. Q is stored with ceil(p / 9) fraction groups, so it is scaled up to whole groups first.
#include <algorithm>
#include <cstddef>
#include <new>
#include <vector>

#include "commands/unlnum.h"

namespace vorenn {
namespace {

using unlnum_internal::AllocNumber;
using unlnum_internal::NewZero;
using unlnum_internal::Normalize;
using unlnum_internal::OrZero;

using Groups = std::vector<uint32_t>;  // least significant first, base 10^9
constexpr uint64_t kBase = kUnlNumGroupBase;

uint32_t PowerOfTen(int64_t exponent) {
  uint32_t value = 1;
  while (exponent-- > 0) value *= 10;
  return value;
}

void TrimTop(Groups& g) {
  while (!g.empty() && g.back() == 0) g.pop_back();
}

Groups Magnitude(const UnlNum* n) {
  const uint32_t* groups = UnlNumGroups(n);
  Groups g(groups, groups + UnlNumGroupCount(n));
  TrimTop(g);
  return g;
}

// g *= factor (factor < 10^9); the top carry group is always appended, even when 0.
void MultiplySmall(Groups& g, uint32_t factor) {
  uint64_t carry = 0;
  for (uint32_t& group : g) {
    uint64_t product = uint64_t(group) * factor + carry;
    group = uint32_t(product % kBase);
    carry = product / kBase;
  }
  g.push_back(uint32_t(carry));
}

// g *= 10^digits.
void ScaleUp(Groups& g, int64_t digits) {
  if (digits % kUnlNumGroupDigits != 0) {
    MultiplySmall(g, PowerOfTen(digits % kUnlNumGroupDigits));
    TrimTop(g);
  }
  g.insert(g.begin(), size_t(digits / kUnlNumGroupDigits), 0u);
}

Groups DivideByGroup(const Groups& u, uint32_t v) {
  Groups q(u.size());
  uint64_t remainder = 0;
  for (size_t i = u.size(); i-- > 0;) {
    uint64_t current = remainder * kBase + u[i];
    q[i] = uint32_t(current / v);
    remainder = current % v;
  }
  return q;
}

// floor(u / v) for v of two or more groups with a nonzero top (Knuth's algorithm D in base 10^9).
Groups DivideLong(const Groups& u, const Groups& v) {
  size_t n = v.size();
  size_t m = u.size() - n;
  // Scale both so that the divisor's top group is at least half the base; the quotient is unchanged
  // and each trial quotient digit is then at most two too large.
  uint32_t scale = uint32_t(kBase / (uint64_t(v[n - 1]) + 1));
  // Room for the carry group from the start, so that scaling does not move the copies again.
  Groups un;
  un.reserve(u.size() + 1);
  un.assign(u.begin(), u.end());
  MultiplySmall(un, scale);
  Groups vn;
  vn.reserve(n + 1);
  vn.assign(v.begin(), v.end());
  MultiplySmall(vn, scale);
  vn.pop_back();
  uint64_t vTop = vn[n - 1];
  uint64_t vNext = vn[n - 2];
  Groups q(m + 1);
  for (size_t j = m + 1; j-- > 0;) {
    uint64_t numerator = uint64_t(un[j + n]) * kBase + un[j + n - 1];
    uint64_t qhat = numerator / vTop;
    uint64_t rhat = numerator % vTop;
    while (qhat >= kBase || qhat * vNext > rhat * kBase + un[j + n - 2]) {
      --qhat;
      rhat += vTop;
      if (rhat >= kBase) break;
    }
    uint64_t carry = 0;
    uint32_t borrow = 0;
    for (size_t i = 0; i < n; ++i) {
      uint64_t product = qhat * vn[i] + carry;
      carry = product / kBase;
      int64_t t = int64_t(un[i + j]) - int64_t(product % kBase) - borrow;
      borrow = t < 0;
      un[i + j] = uint32_t(borrow ? t + int64_t(kBase) : t);
    }
    int64_t top = int64_t(un[j + n]) - int64_t(carry) - borrow;
    if (top < 0) {  // qhat was one too large: add the divisor back
      --qhat;
      uint32_t c = 0;
      for (size_t i = 0; i < n; ++i) {
        uint32_t sum = un[i + j] + vn[i] + c;
        c = sum >= kBase;
        un[i + j] = c ? sum - uint32_t(kBase) : sum;
      }
      top += c;
    }
    un[j + n] = uint32_t(top);
    q[j] = uint32_t(qhat);
  }
  return q;
}

Groups DivideGroups(const Groups& u, const Groups& v) {
  if (u.size() < v.size()) return {};
  return v.size() == 1 ? DivideByGroup(u, v[0]) : DivideLong(u, v);
}

UnlNum* QuotientNumber(Groups q, int32_t places, bool negative) {
  int64_t fractionGroups = (int64_t(places) + kUnlNumGroupDigits - 1) / kUnlNumGroupDigits;
  ScaleUp(q, fractionGroups * kUnlNumGroupDigits - places);
  TrimTop(q);
  int64_t integerGroups = std::max<int64_t>(1, int64_t(q.size()) - fractionGroups);
  UnlNum* r = AllocNumber(integerGroups, fractionGroups);
  if (r == nullptr) return nullptr;
  uint32_t* out = UnlNumGroups(r);
  std::copy(q.begin(), q.end(), out);
  std::fill(out + q.size(), out + integerGroups + fractionGroups, 0u);
  r->negative = negative;
  Normalize(r);
  return r;
}

}  // namespace

UnlNum* UnlNumDivide(const UnlNum* a, const UnlNum* b, int32_t places) {
  if (a == nullptr || b == nullptr || places < 0) return NewZero();
  try {
    Groups n = Magnitude(a);
    Groups d = Magnitude(b);
    if (n.empty() || d.empty()) return NewZero();
    int64_t exponent = int64_t(kUnlNumGroupDigits) * (b->fractionGroupCount - int64_t(a->fractionGroupCount)) + places;
    if (exponent >= 0) {
      ScaleUp(n, exponent);
    } else {
      ScaleUp(d, -exponent);
    }
    // floor(N / (D' * 10^(9k))) = floor(floor(N / 10^(9k)) / D'): drop the divisor's zero groups
    // together with as many low groups of the dividend.
    size_t zeros = size_t(std::find_if(d.begin(), d.end(), [](uint32_t g) { return g != 0; }) - d.begin());
    if (zeros >= n.size()) return NewZero();
    n.erase(n.begin(), n.begin() + std::ptrdiff_t(zeros));
    d.erase(d.begin(), d.begin() + std::ptrdiff_t(zeros));
    return OrZero(QuotientNumber(DivideGroups(n, d), places, a->negative != b->negative));
  } catch (const std::bad_alloc&) {
    return NewZero();
  }
}

}  // namespace vorenn
