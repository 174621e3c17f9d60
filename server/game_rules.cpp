#include "server/game_rules.h"

#include "server/amount_memo.h"

namespace vorenn::server {

namespace {

// Base prices and outputs rise in roughly tenfold steps, so each new skill takes a while to afford
// and then outearns all the earlier ones together.
constexpr Skill kSkills[kSkillCount] = {
    {1, "吐纳术", "10", "1"},
    {2, "炼体诀", "100", "8"},
    {3, "聚灵阵", "1100", "47"},
    {4, "御剑术", "12000", "260"},
    {5, "炼丹术", "130000", "1400"},
    {6, "金丹大道", "1400000", "7800"},
    {7, "元婴秘法", "20000000", "44000"},
    {8, "渡劫真经", "330000000", "260000"},
};

}  // namespace

std::optional<Amount> ParseAmount(std::string_view text) {
  // A remembered text is a canonical amount: valid, nothing to check.
  if (auto known = amount_memo::ValueOf(text)) return known;
  std::string_view digits = text;
  if (!digits.empty() && digits.front() == '-') digits.remove_prefix(1);
  if (digits.empty() || digits.size() > 100000) return std::nullopt;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  Amount value;
  if (value.set_str(std::string(text), 10) != 0) return std::nullopt;
  // Only the canonical form (no leading zeros) is what FormatAmount gives back for the value.
  if (digits.front() != '0') amount_memo::Remember(value, text);
  return value;
}

std::string FormatAmount(const Amount& amount) {
  if (auto known = amount_memo::TextOf(amount)) return std::move(*known);
  std::string text = amount.get_str(10);
  amount_memo::Remember(amount, text);
  return text;
}

std::string FormatAmountNear(const Amount& value, const Amount& base, std::string_view baseText) {
  if (sgn(value) <= 0 || sgn(base) <= 0 || baseText.size() < amount_memo::kMinimumDigits) return FormatAmount(value);
  Amount difference = value - base;
  bool up = sgn(difference) >= 0;
  if (!up) difference = -difference;
  std::string delta = difference.get_str(10);
  // Beyond a few dozen digits of change the full conversion is as cheap.
  if (delta.size() > 64 || delta.size() + 16 > baseText.size()) return FormatAmount(value);
  std::string text(baseText);
  int carry = 0;
  size_t i = text.size();
  for (size_t k = delta.size(); k > 0 || carry != 0; --i) {
    if (i == 0) {  // only an addition carries past the first digit
      text.insert(text.begin(), '1');
      break;
    }
    int digit = text[i - 1] - '0';
    int change = (k > 0 ? delta[--k] - '0' : 0) + carry;
    if (up) {
      digit += change;
      carry = digit >= 10;
      if (carry) digit -= 10;
    } else {
      digit -= change;
      carry = digit < 0;
      if (carry) digit += 10;
    }
    text[i - 1] = static_cast<char>('0' + digit);
  }
  // A subtraction may leave leading zeros; the value is positive, so a nonzero digit remains.
  size_t first = text.find_first_not_of('0');
  if (first > 0) text.erase(0, first);
  amount_memo::Remember(value, text);
  return text;
}

std::span<const Skill> Skills() { return kSkills; }

const Skill* FindSkill(int id) {
  if (id < 1 || id > kSkillCount) return nullptr;
  return &kSkills[id - 1];
}

Amount NextLevelPrice(const Skill& skill, int64_t level) {
  Amount base(skill.basePrice, 10);
  if (level <= 0) return base;
  Amount numerator;
  Amount denominator;
  mpz_ui_pow_ui(numerator.get_mpz_t(), 115, static_cast<unsigned long>(level));
  mpz_ui_pow_ui(denominator.get_mpz_t(), 100, static_cast<unsigned long>(level));
  numerator *= base;
  Amount price;
  mpz_cdiv_q(price.get_mpz_t(), numerator.get_mpz_t(), denominator.get_mpz_t());
  return price;
}

Amount SkillOutput(const Skill& skill, int64_t level) {
  Amount output(skill.outputPerLevel, 10);
  output *= Amount(static_cast<long>(level));
  return output;
}

Amount RateFor(const SkillLevels& levels) {
  Amount rate(kBaseRate);
  for (const Skill& skill : kSkills) rate += SkillOutput(skill, levels[skill.id - 1]);
  return rate;
}

void Settle(Character& character, int64_t now) {
  if (now <= character.settledAt) return;
  character.total += character.rate * Amount(static_cast<long>(now - character.settledAt));
  character.settledAt = now;
}

LevelUpOutcome LevelUp(Character& character, int skillId) {
  const Skill* skill = FindSkill(skillId);
  if (skill == nullptr) return LevelUpOutcome::UnknownSkill;
  int64_t& level = character.levels[skillId - 1];
  Amount price = NextLevelPrice(*skill, level);
  if (character.total < price) return LevelUpOutcome::NotEnough;
  character.total -= price;
  ++level;
  character.rate = RateFor(character.levels);
  return LevelUpOutcome::Done;
}

}  // namespace vorenn::server
