#include "server/skill_rows.h"

#include <array>
#include <mutex>

#include "server/json_writer.h"

namespace vorenn::server {

namespace {

// Direct-mapped by skill and level: a row of another level in the slot is replaced.
constexpr size_t kSlots = 4096;

struct Slot {
  int skillId = 0;  // 0: empty
  int64_t level = 0;
  std::string json;
};

struct Rows {
  std::mutex mutex;
  std::array<Slot, kSlots> slots;
};

Rows& TheRows() {
  static Rows rows;
  return rows;
}

size_t SlotOf(int skillId, int64_t level) {
  uint64_t key = static_cast<uint64_t>(level) * kSkillCount + static_cast<uint64_t>(skillId - 1);
  return static_cast<size_t>((key ^ (key >> 12)) % kSlots);
}

}  // namespace

std::string SkillRowJson(const Skill& skill, int64_t level) {
  return JsonObject()
      .Text("id", std::to_string(skill.id))
      .Text("name", skill.name)
      .Text("money", FormatAmount(SkillOutput(skill, level)))
      .Text("lvl", std::to_string(level))
      .Text("buy", FormatAmount(NextLevelPrice(skill, level)))
      .Finish();
}

void AppendSkillRow(std::string& out, const Skill& skill, int64_t level) {
  Rows& rows = TheRows();
  Slot& slot = rows.slots[SlotOf(skill.id, level)];
  {
    std::lock_guard lock(rows.mutex);
    if (slot.skillId == skill.id && slot.level == level) {
      out += slot.json;
      return;
    }
  }
  // Written outside the lock; another thread may write the same row meanwhile, to the same text.
  std::string json = SkillRowJson(skill, level);
  out += json;
  std::lock_guard lock(rows.mutex);
  slot.skillId = skill.id;
  slot.level = level;
  slot.json = std::move(json);
}

void AppendSkillRows(std::string& out, const SkillLevels& levels) {
  Rows& rows = TheRows();
  std::array<bool, kSkillCount> missing{};
  // The kept rows under one lock; the missing ones are written afterwards, outside it.
  std::array<std::string, kSkillCount> found;
  {
    std::lock_guard lock(rows.mutex);
    for (const Skill& skill : Skills()) {
      const Slot& slot = rows.slots[SlotOf(skill.id, levels[skill.id - 1])];
      if (slot.skillId == skill.id && slot.level == levels[skill.id - 1]) {
        found[skill.id - 1] = slot.json;
      } else {
        missing[skill.id - 1] = true;
      }
    }
  }
  out += '[';
  for (const Skill& skill : Skills()) {
    if (skill.id > 1) out += ',';
    if (missing[skill.id - 1]) {
      AppendSkillRow(out, skill, levels[skill.id - 1]);
    } else {
      out += found[skill.id - 1];
    }
  }
  out += ']';
}

}  // namespace vorenn::server
