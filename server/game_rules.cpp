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
  std::string_view digits = text;
  if (!digits.empty() && digits.front() == '-') digits.remove_prefix(1);
  if (digits.empty() || digits.size() > 100000) return std::nullopt;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  if (auto known = amount_memo::ValueOf(text)) return known;
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
