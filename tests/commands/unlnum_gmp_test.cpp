// Differential check of the UnlNum arithmetic against GMP on random operands of 1 to 300 digits,
// with fractions, signs, leading zeros and runs of nines and zeros that stress carries and borrows.
// The seed is printed; set VORENN_UNLNUM_SEED to replay a run.
#include <gmpxx.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "commands/unlnum.h"

namespace vorenn {
namespace {

// A decimal number as GMP sees it: value / 10^scale.
struct Reference {
  std::string text;
  mpz_class value;
  int scale = 0;
};

mpz_class PowerOfTen(int exponent) {
  mpz_class p;
  mpz_ui_pow_ui(p.get_mpz_t(), 10, unsigned(exponent));
  return p;
}

// The expected text: no leading zeros, no trailing fraction zeros, no point without digits after
// it, no minus on zero.
std::string Expected(const mpz_class& value, int scale) {
  std::string digits = mpz_class(abs(value)).get_str();
  if (int(digits.size()) <= scale) digits.insert(0, size_t(scale + 1) - digits.size(), '0');
  std::string integer = digits.substr(0, digits.size() - size_t(scale));
  std::string fraction = digits.substr(digits.size() - size_t(scale));
  fraction.erase(fraction.find_last_not_of('0') + 1);
  std::string text = value < 0 ? "-" + integer : integer;
  return fraction.empty() ? text : text + "." + fraction;
}

class OperandMaker {
 public:
  explicit OperandMaker(uint64_t seed) : rng_(seed) {}

  Reference Make() {
    int total = Uniform(0, 1) ? Uniform(1, 30) : Uniform(1, 300);
    int fraction = Uniform(0, 2) == 0 ? 0 : Uniform(0, total - 1);
    std::string integer = Digits(total - fraction);
    std::string tail = Digits(fraction);
    bool negative = Uniform(0, 2) == 0;
    if (negative) {
      // A negative text has no leading zeros, and "-0." needs a fraction.
      integer.erase(0, std::min(integer.find_first_not_of('0'), integer.size() - 1));
      if (integer == "0" && tail.empty()) negative = false;
    } else if (Uniform(0, 9) == 0) {
      integer.insert(0, size_t(Uniform(1, 20)), '0');
    }
    Reference r;
    r.text = (negative ? "-" : "") + integer;
    if (!tail.empty()) r.text += "." + tail;
    r.value = mpz_class(integer + tail, 10);
    if (negative) r.value = -r.value;
    r.scale = int(tail.size());
    return r;
  }

  int Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

 private:
  // Random digits, or runs of 9s and 0s so that carries and borrows ripple across groups.
  std::string Digits(int count) {
    std::string s;
    int style = Uniform(0, 5);
    for (int i = 0; i < count; ++i) {
      char d;
      switch (style) {
        case 0: d = '9'; break;
        case 1: d = i == 0 ? '1' : '0'; break;
        case 2: d = Uniform(0, 7) == 0 ? char('0' + Uniform(0, 9)) : '9'; break;
        case 3: d = Uniform(0, 7) == 0 ? char('0' + Uniform(0, 9)) : '0'; break;
        default: d = char('0' + Uniform(0, 9)); break;
      }
      s += d;
    }
    return s;
  }

  std::mt19937_64 rng_;
};

struct Num {
  UnlNum* n = nullptr;
  explicit Num(UnlNum* owned = nullptr) : n(owned) {}
  Num(const Num&) = delete;
  ~Num() { UnlNumFree(&n); }
};

uint64_t Seed() {
  if (const char* fixed = std::getenv("VORENN_UNLNUM_SEED")) return std::strtoull(fixed, nullptr, 10);
  return std::random_device{}();
}

TEST(UnlNumAgainstGmp, RandomOperandsAgree) {
  const uint64_t seed = Seed();
  std::printf("UnlNum differential seed: %llu (VORENN_UNLNUM_SEED to replay)\n", (unsigned long long)seed);
  RecordProperty("seed", std::to_string(seed));
  OperandMaker maker(seed);
  const int kPairs = 20000;
  for (int i = 0; i < kPairs && !::testing::Test::HasFailure(); ++i) {
    Reference ra = maker.Make();
    Reference rb = maker.Uniform(0, 7) != 0 ? maker.Make() : ra;  // equal operands now and then
    if (maker.Uniform(0, 15) == 0) rb = Reference{maker.Uniform(0, 1) ? "1" : "-1", 1, 0};
    if (rb.text == "-1") rb.value = -1;
    Num a, b;
    ASSERT_TRUE(UnlNumFromText(&a.n, ra.text.c_str())) << ra.text;
    ASSERT_TRUE(UnlNumFromText(&b.n, rb.text.c_str())) << rb.text;
    SCOPED_TRACE("seed " + std::to_string(seed) + " a=" + ra.text + " b=" + rb.text);

    EXPECT_EQ(UnlNumToString(a.n), Expected(ra.value, ra.scale));
    int scale = std::max(ra.scale, rb.scale);
    mpz_class va = ra.value * PowerOfTen(scale - ra.scale);
    mpz_class vb = rb.value * PowerOfTen(scale - rb.scale);
    Num sum(UnlNumAdd(a.n, b.n)), difference(UnlNumSubtract(a.n, b.n));
    EXPECT_EQ(UnlNumToString(sum.n), Expected(va + vb, scale));
    EXPECT_EQ(UnlNumToString(difference.n), Expected(va - vb, scale));
    EXPECT_EQ(UnlNumLess(a.n, b.n), va < vb);
    EXPECT_EQ(UnlNumLess(b.n, a.n), vb < va);

    Num integer(UnlNumIntegerPart(a.n));
    mpz_class truncated;
    mpz_tdiv_q(truncated.get_mpz_t(), ra.value.get_mpz_t(), PowerOfTen(ra.scale).get_mpz_t());
    EXPECT_EQ(UnlNumToString(integer.n), Expected(truncated, 0));

    int places = maker.Uniform(0, 2) == 0 ? 0 : maker.Uniform(0, 40);
    Num quotient(UnlNumDivide(a.n, b.n, places));
    mpz_class q;
    if (rb.value != 0) {
      mpz_class numerator = ra.value * PowerOfTen(rb.scale + places);
      mpz_class denominator = rb.value * PowerOfTen(ra.scale);
      mpz_tdiv_q(q.get_mpz_t(), numerator.get_mpz_t(), denominator.get_mpz_t());
    }
    EXPECT_EQ(UnlNumToString(quotient.n), Expected(q, places)) << "places " << places;
  }
}

}  // namespace
}  // namespace vorenn
