// Fuzzes UnlNumFromText and the arithmetic on what it accepts, with GMP as the oracle.
//
// Input: byte 0 picks the decimal places of the division (0 to 63); the rest is two texts split at
// the first newline (the second may be empty).
#include <gmp.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "commands/unlnum.h"

namespace {

using vorenn::UnlNum;

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "unlnum_text: %s\n", what);
    std::abort();
  }
}

// What the printed form of an accepted text must be: no leading zeros, no trailing fraction zeros,
// no lone point, no minus on zero.
std::string Canonical(const std::string& text) {
  bool negative = !text.empty() && text[0] == '-';
  std::string body = text.substr(negative ? 1 : 0);
  size_t point = body.find('.');
  std::string integer = body.substr(0, point);
  std::string fraction = point == std::string::npos ? "" : body.substr(point + 1);
  integer.erase(0, std::min(integer.find_first_not_of('0'), integer.size() - 1));
  fraction.erase(fraction.find_last_not_of('0') + 1);
  if (integer == "0" && fraction.empty()) negative = false;
  return (negative ? "-" : "") + integer + (fraction.empty() ? "" : "." + fraction);
}

// Value * 10^scale as an integer.
void Scaled(mpz_t out, const std::string& canonical, unsigned long scale) {
  std::string digits;
  size_t point = canonical.find('.');
  unsigned long fraction = point == std::string::npos ? 0 : canonical.size() - point - 1;
  for (char c : canonical) {
    if (c >= '0' && c <= '9') digits += c;
  }
  mpz_set_str(out, digits.c_str(), 10);
  mpz_t p;
  mpz_init(p);
  mpz_ui_pow_ui(p, 10, scale - fraction);
  mpz_mul(out, out, p);
  mpz_clear(p);
  if (canonical[0] == '-') mpz_neg(out, out);
}

std::string Expected(const mpz_t value, unsigned long scale) {
  char* raw = mpz_get_str(nullptr, 10, value);
  std::string digits = raw[0] == '-' ? raw + 1 : raw;
  bool negative = raw[0] == '-';
  std::free(raw);
  if (digits.size() <= scale) digits.insert(0, scale + 1 - digits.size(), '0');
  std::string text = (negative ? "-" : "") + digits.substr(0, digits.size() - scale);
  if (scale > 0) text += "." + digits.substr(digits.size() - scale);
  return Canonical(text);
}

unsigned long FractionLength(const std::string& canonical) {
  size_t point = canonical.find('.');
  return point == std::string::npos ? 0 : canonical.size() - point - 1;
}

struct Num {
  UnlNum* n = nullptr;
  ~Num() { vorenn::UnlNumFree(&n); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > 4096) return 0;
  int32_t places = data[0] % 64;
  std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
  size_t split = rest.find('\n');
  std::string ta = rest.substr(0, split);
  std::string tb = split == std::string::npos ? "" : rest.substr(split + 1);

  Num a, b;
  bool okA = vorenn::UnlNumFromText(&a.n, ta.data(), ta.size());
  bool okB = vorenn::UnlNumFromText(&b.n, tb.data(), tb.size());
  Check(a.n != nullptr && b.n != nullptr, "a variable was left without a number");
  std::string ca = okA ? Canonical(ta) : "0";
  std::string cb = okB ? Canonical(tb) : "0";
  Check(vorenn::UnlNumToString(a.n) == ca, "first text does not print back in canonical form");
  Check(vorenn::UnlNumToString(b.n) == cb, "second text does not print back in canonical form");

  unsigned long scale = std::max(FractionLength(ca), FractionLength(cb));
  mpz_t va, vb, r, num, den, p;
  mpz_inits(va, vb, r, num, den, p, nullptr);
  Scaled(va, ca, scale);
  Scaled(vb, cb, scale);

  Num sum, difference, quotient, integer;
  sum.n = vorenn::UnlNumAdd(a.n, b.n);
  difference.n = vorenn::UnlNumSubtract(a.n, b.n);
  mpz_add(r, va, vb);
  Check(vorenn::UnlNumToString(sum.n) == Expected(r, scale), "sum differs");
  mpz_sub(r, va, vb);
  Check(vorenn::UnlNumToString(difference.n) == Expected(r, scale), "difference differs");
  Check(vorenn::UnlNumLess(a.n, b.n) == (mpz_cmp(va, vb) < 0), "comparison differs");

  integer.n = vorenn::UnlNumIntegerPart(a.n);
  mpz_ui_pow_ui(p, 10, scale);
  mpz_tdiv_q(r, va, p);
  Check(vorenn::UnlNumToString(integer.n) == Expected(r, 0), "integer part differs");

  quotient.n = vorenn::UnlNumDivide(a.n, b.n, places);
  mpz_set_ui(r, 0);
  if (mpz_sgn(vb) != 0) {
    mpz_ui_pow_ui(p, 10, static_cast<unsigned long>(places));
    mpz_mul(num, va, p);
    mpz_tdiv_q(r, num, vb);
  }
  Check(vorenn::UnlNumToString(quotient.n) == Expected(r, static_cast<unsigned long>(places)), "quotient differs");
  mpz_clears(va, vb, r, num, den, p, nullptr);
  return 0;
}
