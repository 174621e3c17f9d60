#include "engine/units/unit_pointers.h"

namespace vorenn {
namespace {

constexpr uint32_t kFirstUnitPointer = 32513;
constexpr uint32_t kLastGamePointer = 14;

uint32_t FirstWord(std::span<const uint8_t> data) {
  return uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16 | uint32_t(data[3]) << 24;
}

std::vector<uint8_t> WithFirstWord(std::span<const uint8_t> data, uint32_t word) {
  std::vector<uint8_t> out(data.begin(), data.end());
  for (int i = 0; i < 4; ++i) out[size_t(i)] = uint8_t(word >> (8 * i));
  return out;
}

}  // namespace

uint32_t UnitPointerOfGame(uint32_t gamePointer) {
  if (gamePointer == 0 || gamePointer > kLastGamePointer) return gamePointer;
  return kFirstUnitPointer + gamePointer - 1;
}

uint32_t GamePointerOfUnit(uint32_t unitPointer) {
  if (unitPointer < kFirstUnitPointer || unitPointer >= kFirstUnitPointer + kLastGamePointer) return unitPointer;
  return unitPointer - kFirstUnitPointer + 1;
}

std::vector<uint8_t> PointerDataToUnit(std::span<const uint8_t> gameData) {
  if (gameData.size() < 4) return {gameData.begin(), gameData.end()};
  return WithFirstWord(gameData, UnitPointerOfGame(FirstWord(gameData)));
}

std::vector<uint8_t> PointerDataToGame(std::span<const uint8_t> unitData) {
  if (unitData.size() < 4) return {unitData.begin(), unitData.end()};
  return WithFirstWord(unitData, GamePointerOfUnit(FirstWord(unitData)));
}

uintptr_t CursorOfPointerData(std::span<const uint8_t> unitData) {
  if (unitData.size() < 4) return 0;
  uint32_t pointer = FirstWord(unitData);
  bool known = pointer >= kFirstUnitPointer && pointer < kFirstUnitPointer + kLastGamePointer;
  return known ? uintptr_t(pointer) : 0;
}

platform::PointerShape PointerShapeOfCursor(uintptr_t cursor) {
  if (cursor < kFirstUnitPointer || cursor >= kFirstUnitPointer + kLastGamePointer) {
    return platform::PointerShape::Default;
  }
  // The shapes follow the game numbering, Arrow first.
  return platform::PointerShape(cursor - kFirstUnitPointer + 1);
}

}  // namespace vorenn
