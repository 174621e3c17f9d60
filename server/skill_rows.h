// A skill's row in the user-information answer ({"id","name","money","lvl","buy"}) depends only on
// the skill and its level, and pricing a level costs two large powers and a division: rows are
// written once and kept, shared by every answer that shows that skill at that level.
#pragma once

#include <cstdint>
#include <string>

#include "server/game_rules.h"

namespace vorenn::server {

// The row as a JSON object, with what SkillOutput and NextLevelPrice give at `level`.
std::string SkillRowJson(const Skill& skill, int64_t level);
// The same row, appended to `out` from the rows kept (at most a few thousand).
void AppendSkillRow(std::string& out, const Skill& skill, int64_t level);
// Every skill's row at `levels`, as a JSON array, the kept rows looked up together.
void AppendSkillRows(std::string& out, const SkillLevels& levels);

}  // namespace vorenn::server
