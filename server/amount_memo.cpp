#include "server/amount_memo.h"

#include <array>
#include <functional>
#include <memory>
#include <mutex>

namespace vorenn::server::amount_memo {

namespace {

struct Entry {
  Amount value;
  std::string text;
};

// Direct-mapped, twice: once by a hash of the value's limbs, once by a hash of the text. A slot
// taken by another amount is simply overwritten.
constexpr size_t kSlots = 256;

struct Memo {
  std::mutex mutex;
  std::array<std::shared_ptr<const Entry>, kSlots> byValue;
  std::array<std::shared_ptr<const Entry>, kSlots> byText;
};

Memo& TheMemo() {
  static Memo memo;
  return memo;
}

size_t ValueSlot(const Amount& value) {
  const mpz_srcptr z = value.get_mpz_t();
  size_t limbs = mpz_size(z);
  const mp_limb_t* data = mpz_limbs_read(z);
  // The low limbs and the length tell values of one player's total apart well enough; a collision
  // only costs a miss.
  size_t hash = limbs * 0x9e3779b97f4a7c15ULL + static_cast<size_t>(mpz_sgn(z) + 1);
  for (size_t i = 0; i < limbs && i < 4; ++i) hash = (hash ^ data[i]) * 0x100000001b3ULL;
  hash ^= data[limbs - 1];
  return (hash ^ (hash >> 29)) % kSlots;
}

size_t TextSlot(std::string_view text) { return std::hash<std::string_view>{}(text) % kSlots; }

bool Large(const Amount& value) {
  // About 3.3 bits per digit.
  return mpz_sizeinbase(value.get_mpz_t(), 2) >= kMinimumDigits * 10 / 3;
}

}  // namespace

std::optional<std::string> TextOf(const Amount& value) {
  if (!Large(value)) return std::nullopt;
  size_t slot = ValueSlot(value);
  Memo& memo = TheMemo();
  std::shared_ptr<const Entry> entry;
  {
    std::lock_guard lock(memo.mutex);
    entry = memo.byValue[slot];
  }
  if (!entry || entry->value != value) return std::nullopt;
  return entry->text;
}

std::optional<Amount> ValueOf(std::string_view text) {
  if (text.size() < kMinimumDigits) return std::nullopt;
  size_t slot = TextSlot(text);
  Memo& memo = TheMemo();
  std::shared_ptr<const Entry> entry;
  {
    std::lock_guard lock(memo.mutex);
    entry = memo.byText[slot];
  }
  if (!entry || entry->text != text) return std::nullopt;
  return entry->value;
}

void Remember(const Amount& value, std::string_view text) {
  if (text.size() < kMinimumDigits || !Large(value)) return;
  auto entry = std::make_shared<const Entry>(Entry{value, std::string(text)});
  size_t valueSlot = ValueSlot(value);
  size_t textSlot = TextSlot(text);
  Memo& memo = TheMemo();
  std::lock_guard lock(memo.mutex);
  memo.byValue[valueSlot] = entry;
  memo.byText[textSlot] = std::move(entry);
}

}  // namespace vorenn::server::amount_memo
