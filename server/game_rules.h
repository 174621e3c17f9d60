// The game's rules: the skills, their prices and outputs, and how a character's total accrues.
// Amounts are whole numbers of any size; they are exact everywhere (GMP integers), written as plain
// decimal digits on the wire and in storage.
#pragma once

#include <gmpxx.h>

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vorenn::server {

using Amount = mpz_class;

// Reads optional '-' and decimal digits, nothing else (no blanks, no exponent, no fraction).
std::optional<Amount> ParseAmount(std::string_view text);
std::string FormatAmount(const Amount& amount);
// FormatAmount(value), given the text of a value near it (`baseText` = FormatAmount(base)): when
// both are positive and they differ in far fewer digits than they have, the difference is added to
// the text digit by digit instead of converting the whole number again. A player's total of
// thousands of digits changes by a few digits' worth per settlement or level-up.
std::string FormatAmountNear(const Amount& value, const Amount& base, std::string_view baseText);

struct Skill {
  int id;                 // 1..kSkillCount, the row the client shows it in
  const char* name;       // UTF-8
  const char* basePrice;  // price of level 1
  const char* outputPerLevel;
};

inline constexpr int kSkillCount = 8;
// Every character earns this much per second before any skill.
inline constexpr int kBaseRate = 1;

std::span<const Skill> Skills();
// Null for an id outside 1..kSkillCount.
const Skill* FindSkill(int id);

// The price of going from `level` to `level` + 1: basePrice × 1.15^level, rounded up, computed
// exactly as basePrice × 115^level / 100^level.
Amount NextLevelPrice(const Skill& skill, int64_t level);
// What a skill at `level` adds to the character's output per second.
Amount SkillOutput(const Skill& skill, int64_t level);

using SkillLevels = std::array<int64_t, kSkillCount>;  // index = skill id - 1

struct Character {
  int64_t accountId = 0;
  std::string name;        // UTF-8
  int64_t createdAt = 0;   // seconds, the moment cultivation started
  Amount total;            // settled total as of settledAt
  Amount rate;             // output per second, always RateFor(levels)
  int64_t settledAt = 0;   // seconds
  SkillLevels levels{};
};

Amount RateFor(const SkillLevels& levels);

// Folds the output earned since settledAt into the total. A clock that went backwards earns nothing
// and never moves settledAt back, so no second is paid twice.
void Settle(Character& character, int64_t now);

enum class LevelUpOutcome { Done, UnknownSkill, NotEnough };

// Buys one level of a skill from the settled total; changes nothing unless it returns Done.
LevelUpOutcome LevelUp(Character& character, int skillId);

}  // namespace vorenn::server
