// SkillRow: one skill of the character, shown on the skills canvas by copies of four template
// units (price box, output box, waiting-time box and level-up button) placed by the row number.
//
// Row geometry, relative to the canvas, for row number r (left, width and height as the template):
//   unit             left  top        width  height
//   price box        4     42r - 38   200    24
//   level-up button  204   42r - 38   128    24
//   output box       4     42r - 15   200    16
//   time box         203   42r - 15   129    16
#pragma once

#include <cstdint>
#include <memory>

#include "engine/core/runtime_value.h"
#include "game/big_number.h"
#include "game/engine_calls.h"

namespace vorenn {
class JsonValue;
}

namespace vorenn::game {

class SkillRow {
 public:
  SkillRow() = default;
  SkillRow(const SkillRow&) = delete;
  SkillRow& operator=(const SkillRow&) = delete;

  // A copy refers to the same units; destroying a row leaves its units alone.
  ~SkillRow();
  std::unique_ptr<SkillRow> Copy() const;
  void CreateUnits();
  void Load(const JsonValue& item);
  void DestroyUnits();
  void Refresh(const BigNumber& total, const BigNumber& rate);
  void LevelUp();

  double RowId() const { return rowId_; }
  bool Affordable() const { return affordable_; }
  UnitRef PriceBox() const { return priceBox_; }
  UnitRef OutputBox() const { return outputBox_; }
  UnitRef TimeBox() const { return timeBox_; }
  UnitRef Button() const { return button_; }

 private:
  UnitRef priceBox_{};
  UnitRef outputBox_{};
  UnitRef timeBox_{};
  UnitRef button_{};
  double rowId_ = 0;
  EngineText name_;
  BigNumber output_;
  double level_ = 0;
  BigNumber price_;
  bool affordable_ = false;
};

// The row geometry above.
constexpr int32_t kSkillRowHeight = 42;
int32_t PriceTopOfRow(double rowId);
int32_t OutputTopOfRow(double rowId);

}  // namespace vorenn::game
